#!/usr/bin/env python3
"""Where a process's resident memory goes, by mapping: /proc/PID/smaps summed into kinds.

    python3 bench/memory-map.py PID [PID...]

For each process: RSS and PSS by kind (the C heap, other anonymous memory, each large
library, fonts, the engine's data files, ...), largest first, and the ten largest mappings
themselves. Anonymous mappings of 64 MiB reserve are the allocator's arenas of other threads;
the engine's own heap (PartitionAlloc) and its V8 heaps are anonymous too and show as
"anonymous".
"""

import collections
import sys
from pathlib import Path


def kind_of(name):
    if not name:
        return "anonymous"
    if name == "[heap]":
        return "C heap (brk)"
    if name.startswith("[stack"):
        return "stacks"
    if name.startswith("["):
        return name
    if name.startswith("/memfd:") or name.startswith("/dev/shm") or "(deleted)" in name:
        return "shared memory (memfd, /dev/shm)"
    path = Path(name)
    if path.suffix in (".ttf", ".otf", ".pfb") or "/fonts/" in name:
        return "fonts"
    if ".so" in path.name:
        stem = path.name.split(".so")[0]
        if stem.startswith("libQt6"):
            return stem
        if stem.startswith(("libicu", "libLLVM", "libgallium", "libGL", "libEGL", "libvulkan")) or "dri" in name:
            return stem
        return "other libraries"
    if path.suffix in (".pak", ".dat", ".bin"):
        return "engine data (" + path.name + ")"
    return "other files"


def summary(pid):
    kinds = collections.defaultdict(lambda: [0, 0])
    mappings = []
    name, rss, pss = None, 0, 0

    def flush():
        if name is not None:
            kinds[kind_of(name)][0] += rss
            kinds[kind_of(name)][1] += pss
            mappings.append((rss, name or "anonymous"))

    for line in Path(f"/proc/{pid}/smaps").read_text().splitlines():
        fields = line.split()
        if "-" in fields[0] and ":" not in fields[0]:
            flush()
            name, rss, pss = (" ".join(fields[5:]) if len(fields) > 5 else ""), 0, 0
        elif fields[0] == "Rss:":
            rss = int(fields[1])
        elif fields[0] == "Pss:":
            pss = int(fields[1])
    flush()
    command = Path(f"/proc/{pid}/cmdline").read_bytes().split(b"\0")[0].decode(errors="replace")
    total_rss = sum(value[0] for value in kinds.values())
    total_pss = sum(value[1] for value in kinds.values())
    print(f"pid {pid} {command}: RSS {total_rss / 1024:.1f} MiB, PSS {total_pss / 1024:.1f} MiB")
    print("  kind                                      RSS MiB   PSS MiB")
    for kind, (kind_rss, kind_pss) in sorted(kinds.items(), key=lambda item: -item[1][0]):
        if kind_rss >= 512:
            print(f"  {kind[:40]:40} {kind_rss / 1024:8.1f}  {kind_pss / 1024:8.1f}")
    print("  largest mappings (RSS MiB):")
    for mapping_rss, mapping_name in sorted(mappings, reverse=True)[:10]:
        print(f"    {mapping_rss / 1024:7.1f}  {mapping_name}")


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    for pid in sys.argv[1:]:
        summary(pid)
    return 0


if __name__ == "__main__":
    sys.exit(main())
