#!/usr/bin/python3
"""The reader measured side by side with the feed readers a member could install instead.

Every program runs on one virtual screen (Xvfb with openbox, every window maximized), from a
fresh profile folder with the same items subscribed, served by one HTTP server on 127.0.0.1:
the reader gets its feed, the others an RSS 2.0 copy of the same items (make-big-feed.py
--rss), and all of them the same pictures. The programs take turns, one run each in every
round, and each figure is the median over the rounds:

- start to content: from starting the program until its screen stops changing for good
  ("visually complete"). The screen is grabbed every 50 ms, reduced to 320 x 256 grey
  pixels; the figure is the time of the first grab that matches the one the screen settles
  on (no grab differs from it for SETTLE_S seconds afterwards);
- memory once idle, after the first refresh: PSS of every process of the program's tree and
  the main process's RSS (/proc/PID/smaps_rollup);
- CPU of one refresh triggered by the program's own key for "refresh" (xdotool, window
  activated): user and system time of the whole tree (/proc/PID/stat, children that ended
  included), from the key until the tree is idle again, less the tree's idle rate; once with
  the feed unchanged and once with ten new items.
"""

import argparse
import http.server
import os
import shutil
import signal
import sqlite3
import statistics
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

from PIL import Image, ImageChops, ImageGrab

SCREEN = (1280, 1024)
GRAB_SIZE = (320, 256)
SETTLE_S = 3.0
START_BOUND_S = 40.0
TICK = os.sysconf("SC_CLK_TCK")

# The reader's goals: a fixed bound (None: none) and the peers it must not exceed, with the
# factor on the peer's figure ("best": the best peer's figure).
GOALS = {
    "start-s": (1.0, "best", 1.0),
    "pss-MiB": (190.0, "RSS Guard", 1.0),
    "rss-MiB": (180.0, "RSS Guard", 1.0),
    "refresh-unchanged-cpu-s": (0.1, "best", 0.5),
    "refresh-ten-new-cpu-s": None,  # no goal: printed beside the best peer
}


# ---------------------------------------------------------------------------- the server

class Feeds:
    """What the server hands out; `ten_new` switches every feed to the one with ten more items."""

    def __init__(self, folder, pictures):
        self.folder = Path(folder)
        self.pictures = {p.name: p.read_bytes() for p in Path(pictures).glob("*.png")}
        self.ten_new = False
        self.requests = 0
        self.lock = threading.Lock()

    def body(self, path):
        name = path.split("?")[0].rsplit("/", 1)[-1]
        items = 1010 if self.ten_new else 1000
        if name == "xml.php":
            return "application/xml", (self.folder / f"feed-{items}.xml").read_bytes(), True
        if name == "feed.rss":
            return "application/rss+xml", (self.folder / f"feed-{items}.rss").read_bytes(), True
        if name in self.pictures:
            return "image/png", self.pictures[name], False
        return None, None, False


def serve(feeds, port):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def do_GET(self):
            kind, body, is_feed = feeds.body(self.path)
            if body is None:
                self.send_error(404)
                return
            if is_feed:
                with feeds.lock:
                    feeds.requests += 1
            self.send_response(200)
            self.send_header("Content-Type", kind)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


# --------------------------------------------------------------------------- the programs

def tree(root):
    """The pids of `root` and all its descendants."""
    parent = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            stat = Path(f"/proc/{entry}/stat").read_text()
        except OSError:
            continue
        parent[int(entry)] = int(stat[stat.rindex(")") + 2:].split()[1])
    pids, grown = {root}, True
    while grown:
        more = {pid for pid, ppid in parent.items() if ppid in pids and pid not in pids}
        pids |= more
        grown = bool(more)
    return pids


def cpu_seconds(root):
    total = 0
    for pid in tree(root):
        try:
            stat = Path(f"/proc/{pid}/stat").read_text()
        except OSError:
            continue
        fields = stat[stat.rindex(")") + 2:].split()
        # utime stime cutime cstime
        total += sum(int(value) for value in fields[11:15])
    return total / TICK


def smaps_kib(pid, key):
    try:
        for line in Path(f"/proc/{pid}/smaps_rollup").read_text().splitlines():
            if line.startswith(key + ":"):
                return int(line.split()[1])
    except OSError:
        pass
    return 0


class Program:
    name = ""
    # The command-line option that holds the program's refresh keys.
    key_option = "reader_key"

    def __init__(self, args, base):
        self.args = args
        self.base = base
        self.process = None

    def environment(self, home):
        env = {key: os.environ[key] for key in ("PATH", "DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "LANG")
               if key in os.environ}
        env.update(HOME=str(home), XDG_CONFIG_HOME=str(home / ".config"),
                   XDG_DATA_HOME=str(home / ".local/share"), XDG_CACHE_HOME=str(home / ".cache"),
                   XDG_RUNTIME_DIR=str(home / "run"), QTWEBENGINE_DISABLE_SANDBOX="1")
        (home / "run").mkdir(parents=True, exist_ok=True, mode=0o700)
        return env

    def prepare(self, home):
        """Writes the profile with the feed subscribed into `home`."""

    def command(self, home):
        raise NotImplementedError

    def start(self, home, log):
        self.process = subprocess.Popen(self.command(home), env=self.environment(home), cwd=home,
                                        stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
        return self.process

    def stop(self):
        if self.process and self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGTERM)
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait()
        # What the program left running in its session (e.g. a helper it started) ends too.
        try:
            os.killpg(self.process.pid, signal.SIGKILL)
        except (ProcessLookupError, PermissionError):
            pass


class Reader(Program):
    name = "this reader"

    def prepare(self, home):
        # A copy of the program's own folder: the reader keeps its files beside a writable
        # executable, so each run starts from nothing but the organization's ID.
        folder = home / "reader"
        folder.mkdir(parents=True)
        shutil.copy2(self.args.reader, folder / "ZeltonReader")
        (folder / "Settings.ini").write_text("[ZELTON_INFO_READER]\nID=big\n")

    def command(self, home):
        return [str(home / "reader" / "ZeltonReader"), "--feed-base-url", self.base + "reader/"]


class ReaderOnOpenGl(Reader):
    """The same reader told to draw through OpenGL (on this screen Mesa's software OpenGL),
    as it did before it chose the software path on a machine without a graphics device. Not a
    peer: it shows what that choice changes."""

    name = "this reader, OpenGL"

    def environment(self, home):
        env = super().environment(home)
        env.update(QT_XCB_GL_INTEGRATION="xcb_glx")
        return env


def first_start(command, template, environment, ready, nudge=None, settle_s=2.0):
    """Runs a peer once in the fresh profile `template`, as a user's first start would, until
    `ready()` says its database is there (a minute at most; `nudge()` answers its first-start
    dialog between looks), lets it settle and ends it. The profile is then a template."""
    with open(template / "first-start.log", "w") as log:
        process = subprocess.Popen(command, env=environment, stdout=log, stderr=subprocess.STDOUT,
                                   start_new_session=True)
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline and not ready():
            if nudge:
                nudge()
            time.sleep(1 if nudge else 0.5)
        time.sleep(settle_s)
        os.killpg(process.pid, signal.SIGTERM)
        process.wait()


class RssGuard(Program):
    name = "RSS Guard"
    key_option = "rssguard_key"
    template = None

    def prepare(self, home):
        # The database of a first start, with the one standard account it offers and the
        # example feeds it adds taken out again; then the bench feed as the only subscription.
        if RssGuard.template is None:
            RssGuard.template = Path(tempfile.mkdtemp(prefix="rssguard-profile-"))
            database = RssGuard.template / ".config/RSS Guard 4/database/database.db"
            first_start(["rssguard"], RssGuard.template, self.environment(RssGuard.template),
                        ready=lambda: database.exists()
                        and bool(list(sqlite3.connect(database).execute("select id from Accounts"))),
                        nudge=lambda: subprocess.run(["xdotool", "search", "--name", "Add new account",
                                                      "windowactivate", "--sync", "key", "Return"],
                                                     capture_output=True),
                        settle_s=2)
            shutil.rmtree(RssGuard.template / ".cache", ignore_errors=True)
            shutil.rmtree(RssGuard.template / ".local", ignore_errors=True)
            db = sqlite3.connect(database)
            db.execute("delete from Feeds")
            db.execute("delete from Categories")
            db.execute("delete from Messages")
            account = db.execute("select id from Accounts").fetchone()[0]
            db.execute(
                "insert into Feeds (title, description, date_created, category, source, update_type,"
                " update_interval, account_id, custom_id, custom_data) values (?, '', 0, -1, ?, 1, 15, ?, '1', ?)",
                ("Komunitní centrum Lipová", self.base + "feed.rss", account,
                 '{"encoding": "UTF-8", "post_process": "", "protected": false, "source_type": 0,'
                 ' "type": 1, "username": "", "password": ""}'))
            db.execute("update Feeds set custom_id = id")
            db.commit()
            db.close()
        shutil.copytree(RssGuard.template, home, dirs_exist_ok=True)

    def command(self, home):
        return ["rssguard"]


class Liferea(Program):
    name = "Liferea"
    key_option = "liferea_key"

    def prepare(self, home):
        folder = home / ".config/liferea"
        folder.mkdir(parents=True)
        (folder / "feedlist.opml").write_text(
            '<?xml version="1.0" encoding="utf-8"?>\n<opml version="1.0">\n  <head><title>Feeds</title></head>\n'
            '  <body>\n    <outline title="Komunitní centrum Lipová" text="Komunitní centrum Lipová"'
            f' description="" id="zrbench" sortColumn="time" xmlUrl="{self.base}feed.rss" htmlUrl=""'
            ' updateInterval="-1"/>\n  </body>\n</opml>\n', encoding="utf-8")

    def command(self, home):
        return ["liferea"]


class QuiteRss(Program):
    name = "QuiteRSS"
    key_option = "quiterss_key"
    template = None

    def prepare(self, home):
        if QuiteRss.template is None:
            QuiteRss.template = Path(tempfile.mkdtemp(prefix="quiterss-profile-"))
            database = QuiteRss.template / ".local/share/QuiteRss/QuiteRss/feeds.db"
            first_start(["quiterss"], QuiteRss.template, self.environment(QuiteRss.template),
                        ready=database.exists, settle_s=3)
            db = sqlite3.connect(database)
            db.execute("insert into feeds (text, title, xmlUrl, parentId, rowToParent, updateOnStartup,"
                       " displayOnStartup) values (?, ?, ?, 0, 0, 0, 0)",
                       ("Komunitní centrum Lipová", "Komunitní centrum Lipová", self.base + "feed.rss"))
            db.commit()
            db.close()
        shutil.copytree(QuiteRss.template, home, dirs_exist_ok=True)

    def command(self, home):
        return ["quiterss"]


# --------------------------------------------------------------------------- measurements

def grab(display):
    image = ImageGrab.grab(xdisplay=display).convert("L").resize(GRAB_SIZE, Image.BILINEAR)
    return image


def same(a, b):
    # Grey levels within a few steps count as equal (a caret or a hover may blink); at most
    # 0.1 % of the reduced pixels may differ.
    difference = ImageChops.difference(a, b).point(lambda level: 255 if level > 8 else 0)
    return difference.histogram()[255] <= GRAB_SIZE[0] * GRAB_SIZE[1] // 1000


def start_to_content(display, blank, started, shots_folder, label):
    """Seconds from `started` until the screen, first changed from `blank`, settled, and
    until it first changed."""
    frames = []  # (seconds since start, image)
    settled_since = None
    while time.monotonic() - started < START_BOUND_S:
        moment = time.monotonic()
        image = grab(display)
        if not frames and same(blank, image):
            time.sleep(0.02)
            continue
        if frames and same(frames[-1][1], image):
            if settled_since is None:
                settled_since = frames[-1][0]
            if moment - started - settled_since >= SETTLE_S:
                break
        else:
            settled_since = None
        frames.append((moment - started, image))
        time.sleep(max(0.0, 0.05 - (time.monotonic() - moment)))
    final = frames[-1][1]
    # The first grab from which on every grab matches the final one.
    first = len(frames) - 1
    while first > 0 and same(frames[first - 1][1], final):
        first -= 1
    ImageGrab.grab(xdisplay=display).save(shots_folder / f"{label}-settled.png")
    if not frames:
        return START_BOUND_S, START_BOUND_S
    return frames[first][0], frames[0][0]


def idle(root, quiet_cpu=0.02, window=1.0, bound=60.0):
    """Waits until the tree used under `quiet_cpu` s of CPU in `window` seconds."""
    deadline = time.monotonic() + bound
    last = cpu_seconds(root)
    while time.monotonic() < deadline:
        time.sleep(window)
        now = cpu_seconds(root)
        if now - last < quiet_cpu:
            return True
        last = now
    return False


def window_of(root):
    for pid in sorted(tree(root)):
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                               capture_output=True, text=True).stdout.split()
        if found:
            return found[-1]
    return None


def refresh(program, feeds, keys):
    """CPU seconds of the whole tree for one refresh, and whether the feed was asked for."""
    root = program.process.pid
    idle(root)
    # The idle rate over three seconds, taken off the refresh's time.
    before, clock = cpu_seconds(root), time.monotonic()
    time.sleep(3)
    idle_rate = (cpu_seconds(root) - before) / (time.monotonic() - clock)
    window = window_of(root)
    asked = feeds.requests
    start_cpu, start_clock = cpu_seconds(root), time.monotonic()
    if window:
        subprocess.run(["xdotool", "windowactivate", "--sync", window], capture_output=True)
    subprocess.run(["xdotool", "key", "--clearmodifiers", *keys.split()], capture_output=True)
    deadline = time.monotonic() + 30
    while feeds.requests == asked and time.monotonic() < deadline:
        time.sleep(0.05)
    fetched = feeds.requests > asked
    idle(root)
    spent = cpu_seconds(root) - start_cpu
    elapsed = time.monotonic() - start_clock
    return max(0.0, spent - idle_rate * elapsed), fetched


def memory(root):
    time.sleep(5)
    pss = sum(smaps_kib(pid, "Pss") for pid in tree(root)) / 1024
    rss = smaps_kib(root, "Rss") / 1024
    return pss, rss, len(tree(root))


def run_once(program, feeds, display, logs, label):
    home = Path(tempfile.mkdtemp(prefix="peer-"))
    try:
        program.prepare(home)
        feeds.ten_new = False
        with open(logs / f"{label}.log", "w") as log:
            blank = grab(display)
            started = time.monotonic()
            program.start(home, log)
            start_s, first_drawn_s = start_to_content(display, blank, started, logs, label)
            # The first grab that differs from the empty screen: the window's first frame.
            figures = {"start-s": start_s, "first-frame-s": first_drawn_s}
            # The first refresh fetches what the program has not read at start; then the
            # program holds the 1,000 items and is measured idle.
            program_keys = getattr(program.args, program.key_option)
            first_cpu, first_fetched = refresh(program, feeds, program_keys)
            idle(program.process.pid)
            figures["pss-MiB"], figures["rss-MiB"], figures["processes"] = memory(program.process.pid)
            figures["refresh-unchanged-cpu-s"], fetched_unchanged = refresh(program, feeds, program_keys)
            feeds.ten_new = True
            figures["refresh-ten-new-cpu-s"], fetched_new = refresh(program, feeds, program_keys)
            ImageGrab.grab(xdisplay=display).save(logs / f"{label}-end.png")
            # A program that ended, or a refresh that never asked for the feed, spoils the run.
            figures["fetched"] = (first_fetched and fetched_unchanged and fetched_new
                                  and program.process.poll() is None)
            return figures
    finally:
        program.stop()
        shutil.rmtree(home, ignore_errors=True)


OPENBOX_RC = """<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew></focus>
  <applications><application class="*"><maximized>yes</maximized></application></applications>
</openbox_config>
"""


def desktop(work):
    """A virtual screen with openbox (every window maximized) and a session bus, for all
    programs alike; returns their processes and the environment that reaches them."""
    number = next(n for n in range(90, 200) if not Path(f"/tmp/.X11-unix/X{n}").exists()
                  and not Path(f"/tmp/.X{n}-lock").exists())
    display = f":{number}"
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 20
    while not Path(f"/tmp/.X11-unix/X{number}").exists() and time.monotonic() < deadline:
        time.sleep(0.1)
    os.environ["DISPLAY"] = display
    rc = work / "openbox-rc.xml"
    rc.write_text(OPENBOX_RC)
    openbox = subprocess.Popen(["openbox", "--config-file", str(rc)],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1"],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
    time.sleep(1)
    return [bus, openbox, xvfb]


def main():
    # Ended by a signal, the benchmark still ends the programs and the screen it started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--reader", required=True, help="the reader's executable")
    parser.add_argument("--feeds", required=True,
                        help="folder with feed-1000.xml, feed-1010.xml and their .rss copies")
    parser.add_argument("--pictures", required=True, help="folder of the demo pictures")
    parser.add_argument("--logs", required=True, help="folder for logs and screenshots")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--port", type=int, default=18421,
                        help="the server's port on 127.0.0.1; the RSS copies name their pictures under it")
    parser.add_argument("--only", nargs="*", help="names of the programs to run")
    parser.add_argument("--reader-key", default="F5")
    parser.add_argument("--with-reader-on-opengl", action="store_true",
                        help="also measure the reader told to draw through OpenGL (not a peer)")
    parser.add_argument("--rssguard-key", default="ctrl+shift+U")
    parser.add_argument("--liferea-key", default="ctrl+u")
    parser.add_argument("--quiterss-key", default="ctrl+F5")
    args = parser.parse_args()

    logs = Path(args.logs)
    logs.mkdir(parents=True, exist_ok=True)
    work = Path(tempfile.mkdtemp(prefix="bench-peers-"))
    tempfile.tempdir = str(work)
    helpers = desktop(work)
    try:
        return measure(args, logs)
    finally:
        for process in helpers:
            process.terminate()
            process.wait()
        shutil.rmtree(work, ignore_errors=True)


def measure(args, logs):
    display = os.environ["DISPLAY"]
    feeds = Feeds(args.feeds, args.pictures)
    server = serve(feeds, args.port)
    base = f"http://127.0.0.1:{server.server_address[1]}/"

    programs = [Reader(args, base), RssGuard(args, base), Liferea(args, base)]
    if args.with_reader_on_opengl:
        programs.insert(1, ReaderOnOpenGl(args, base))
    if shutil.which("quiterss"):
        programs.append(QuiteRss(args, base))
    if args.only:
        programs = [p for p in programs if p.name in args.only]
    results = {program.name: [] for program in programs}
    print(f"{len(programs)} programs, {args.rounds} rounds, server {base}", flush=True)
    for round_number in range(args.rounds):
        for program in programs:
            label = f"{program.name.replace(' ', '-').lower()}-{round_number + 1}"
            figures = run_once(program, feeds, display, logs, label)
            results[program.name].append(figures)
            print(label, " ".join(f"{k}={v:.3f}" if isinstance(v, float) else f"{k}={v}"
                                  for k, v in figures.items()), flush=True)

    spoiled = {name: sum(not run["fetched"] for run in runs) for name, runs in results.items()}
    medians = {name: {key: statistics.median(run[key] for run in runs if run["fetched"]) for key in GOALS}
               for name, runs in results.items() if len(runs) > spoiled[name]}
    for name, count in spoiled.items():
        if count:
            print(f"{name}: {count} spoiled runs left out")
    print("\nmedians over the rounds:")
    print("| program | " + " | ".join(GOALS) + " |")
    print("|---|" + "---|" * len(GOALS))
    for name, figures in medians.items():
        print(f"| {name} | " + " | ".join(f"{figures[key]:.2f}" for key in GOALS) + " |")
    reader = medians.pop("this reader", None)
    medians.pop("this reader, OpenGL", None)
    if reader is None or not medians:
        return 0
    print()
    for key, goal in GOALS.items():
        best_name = min(medians, key=lambda name: medians[name][key])
        best = medians[best_name][key]
        if goal is None:
            print(f"RESULT peers/{key} {reader[key]:.3f} no goal : best peer {best_name.replace(' ', '-')}"
                  f" {best:.3f} ratio {reader[key] / best:.2f}" if best else f"RESULT peers/{key} {reader[key]:.3f} no goal")
            continue
        bound, against, factor = goal
        peer_name = best_name if against == "best" or against not in medians else against
        peer = medians[peer_name][key]
        within = reader[key] <= factor * peer and (bound is None or reader[key] <= bound)
        goal = (f"{bound:g}&" if bound is not None else "") + (f"{factor:g}x" if factor != 1 else "") \
            + peer_name.replace(" ", "-")
        print(f"RESULT peers/{key} {reader[key]:.3f} goal <= {goal} : {'ok' if within else 'OVER'}"
              f" best peer {best_name.replace(' ', '-')} {best:.3f} ratio {reader[key] / best:.2f}"
              if best else f"RESULT peers/{key} {reader[key]:.3f} goal <= {goal} : {'ok' if within else 'OVER'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
