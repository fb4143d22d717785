#!/usr/bin/env python3
"""Writes a large, valid reader feed for measuring the refresh cycle.

The feed has the same shape as demo/feeds/demo.xml: an XML declaration naming UTF-8, a run
of zelton_information items followed by one zelton_other_information element. Items are
spread over a fixed set of Czech group names, carry HTML markup in one CDATA section each
and, for about two items in three, name one of the demo pictures with its real size.

The output depends only on the options, so two runs with the same options give the same
file and measurements stay comparable.
"""

import argparse
import datetime
import email.utils
import random
import sys
from xml.sax.saxutils import escape

GROUPS = [
    "Kultura", "Sport", "Vzdělávání", "Pro děti", "Senioři", "Hudba", "Divadlo", "Výstavy",
    "Turistika", "Cyklistika", "Zahrádkáři", "Hasiči", "Myslivci", "Rybáři", "Šachy", "Tanec",
    "Jóga", "Keramika", "Fotografie", "Knihovna", "Farnost", "Škola", "Mateřská škola",
    "Obecní úřad", "Zdraví", "Vaření", "Jazyky", "Počítače", "Filmový klub", "Příroda",
    "Dobrovolníci", "Mládež", "Mateřské centrum", "Tenis", "Fotbal", "Volejbal", "Florbal",
    "Plavání", "Běh", "Řemesla",
]

# Light card colour and dark text colour pairs; each group keeps one pair.
CARD_COLOURS = [
    ("FFF4E0", "4A2C00"), ("E4F4E4", "1E4620"), ("E6EEFB", "1C3559"), ("FDE8EF", "5A1F36"),
    ("F3E9FF", "3D2466"), ("E0F7F4", "0F4A44"), ("FFFBE0", "4D4300"), ("FFFFFF", "2B2F36"),
]

# Pictures of the demo data folder with their sizes, so the cards can show real images.
PICTURES = [
    ("obrazky/vystava.png", 120, 90), ("obrazky/mikulas.png", 100, 100),
    ("obrazky/jarmark.png", 120, 90), ("obrazky/koncert.png", 120, 90),
    ("obrazky/dilna.png", 90, 120), ("obrazky/beh.png", 120, 90),
    ("obrazky/brusle.png", 100, 100), ("obrazky/anglictina.png", 120, 90),
    ("obrazky/pocitace.png", 120, 90), ("obrazky/kino.png", 140, 80),
    ("obrazky/karneval.png", 120, 90),
]

KINDS = ["Setkání", "Přednáška", "Kurz", "Turnaj", "Výlet", "Dílna", "Koncert", "Schůze",
         "Beseda", "Soutěž", "Brigáda", "Promítání"]
TOPICS = ["pro celou rodinu", "pro začátečníky", "pro pokročilé", "u rybníka", "v sále centra",
          "na návsi", "ve školní tělocvičně", "v knihovně", "pod lipami", "v klubovně",
          "na hřišti", "v obřadní síni"]
SENTENCES = [
    "Zveme všechny příznivce, kteří mají chuť strávit příjemné odpoledne v dobré společnosti.",
    "S sebou si vezměte přezůvky, pití a dobrou náladu.",
    "Akce se koná za každého počasí, v případě deště se přesuneme pod střechu.",
    "Počet míst je omezený, proto prosíme o přihlášení předem na recepci centra.",
    "Občerstvení zajišťují členové spolku, výtěžek poputuje na nové vybavení.",
    "Děti do deseti let pouze v doprovodu dospělé osoby.",
    "Vstupné je dobrovolné, děkujeme za každý příspěvek.",
    "Srdečně zveme také nové zájemce, kteří s námi ještě nikdy nebyli.",
    "Podrobnosti najdete na nástěnce u vchodu a na webu obce.",
    "Těšíme se na shledání a přejeme krásné zimní dny!",
]
LIST_ITEMS = ["čaj a perník zdarma", "soutěž o ceny", "hudební doprovod",
              "půjčovna vybavení", "hlídání dětí", "ukázky řemesel", "fotokoutek"]

FIRST_DAY = datetime.date(2026, 12, 1)


def card_text(rng, title):
    sentences = rng.sample(SENTENCES, 3)
    parts = [f"<b>{title}</b><br>", sentences[0], " ", sentences[1]]
    if rng.random() < 0.4:
        items = "".join(f"<li>{item}</li>" for item in rng.sample(LIST_ITEMS, 3))
        parts.append(f"<ul>{items}</ul>")
    else:
        parts.append("<br>")
    parts.append(f"<i>{sentences[2]}</i>")
    if rng.random() < 0.3:
        parts.append(' Více na <a href="https://example.org/kc-lipova/akce">'
                     "example.org/kc-lipova/akce</a>.")
    return "".join(parts)


def element(name, value, cdata=False):
    if cdata and value:
        return f"<{name}><![CDATA[{value}]]></{name}>"
    return f"<{name}>{value}</{name}>"


def item_fields(rng, number, group_count):
    """The item's title, date, picture and children, in the feed's order."""
    group_index = rng.randrange(group_count)
    group = GROUPS[group_index]
    card, text_colour = CARD_COLOURS[group_index % len(CARD_COLOURS)]
    start = FIRST_DAY + datetime.timedelta(days=rng.randrange(62))
    start_time = rng.choice(["00:00", "09:00", "10:30", "14:00", "16:00", "17:30", "19:00"])
    end_date, end_time = "0000-00-00", "00:00"
    if rng.random() < 0.5:
        end_date = (start + datetime.timedelta(days=rng.randrange(0, 30))).isoformat()
        end_time = rng.choice(["00:00", "12:00", "18:00", "21:30"])
    picture, padding, width, height = "", 0, 0, 0
    if rng.random() < 2 / 3:
        picture, width, height = rng.choice(PICTURES)
        padding = rng.randrange(5, 11)
    title = f"{rng.choice(KINDS)} {rng.choice(TOPICS)} č. {number}"
    children = [
        ("ZELTON_FIRMA", "Komunitní centrum Lipová"),
        ("ZELTON_BACKGROUNG", "E8EEF4"),
        ("ZELTON_BARVA_BARVA", card),
        ("ZELTON_BARVA_BARVATEXT", text_colour),
        ("ZELTON_SKUPINA_POPIS", group),
        ("ZELTON_OBRAZEK_PADDING", padding),
        ("ZELTON_OBRAZEK_SIZE_X", width),
        ("ZELTON_OBRAZEK_SIZE_Y", height),
        ("ZELTON_DATE", start.isoformat()),
        ("ZELTON_TIME", start_time),
        ("ZELTON_DATE_DO", end_date),
        ("ZELTON_TIME_DO", end_time),
        ("ZELTON_OBRAZEK", picture),
        ("ZELTON_TEXT", card_text(rng, title)),
    ]
    return {"title": title, "group": group, "date": start, "picture": picture, "children": children}


def item_xml(fields):
    children = [element(name, value) for name, value in fields["children"][:-1]]
    name, text = fields["children"][-1]
    children.append(element(name, text, cdata=True))
    return "  <zelton_information>\n    " + "\n    ".join(children) + "\n  </zelton_information>\n"


def rss_item(fields, number, base_url):
    """The same item as RSS 2.0: its title, its card text (with its picture) as the description."""
    text = fields["children"][-1][1]
    if fields["picture"]:
        text = f'<img src="{base_url}{fields["picture"]}"> ' + text
    day = fields["date"]
    pub_date = datetime.datetime(day.year, day.month, day.day, 12, tzinfo=datetime.timezone.utc)
    return ("    <item>\n"
            f"      <title>{escape(fields['title'])}</title>\n"
            f"      <link>{base_url}item/{number}</link>\n"
            f'      <guid isPermaLink="false">zelton-item-{number}</guid>\n'
            f"      <category>{escape(fields['group'])}</category>\n"
            f"      <pubDate>{email.utils.format_datetime(pub_date)}</pubDate>\n"
            f"      <description><![CDATA[{text}]]></description>\n"
            "    </item>\n")


ORGANIZATION_XML = (
    "  <zelton_other_information>\n    "
    + "\n    ".join([
        element("ZT_INFO_INFORMACE",
                "<NADPIS>O nás</NADPIS>Komunitní centrum Lipová je místem pro setkávání "
                "všech generací.<br><br><NADPIS>Otevírací doba</NADPIS><ul>"
                "<li>pondělí až čtvrtek: 9:00–20:00</li><li>pátek: 9:00–16:00</li></ul>",
                cdata=True),
        element("ZT_INFO_KONTAKT",
                "<NADPIS>Adresa</NADPIS>Na Návsi 214<br>549 99 Lipová<br><br>"
                "<NADPIS>Recepce</NADPIS>Telefon: 555 210 480<br>E-mail: info@example.org",
                cdata=True),
        element("ZT_INFO_BARVA_POZADI_OS", "FFFFFF"),
        element("ZT_INFO_BARVA_TEXT_OS", "2B2F36"),
        element("ZT_INFO_BARVA_NADPIS_OS", "004080"),
    ])
    + "\n  </zelton_other_information>\n"
)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output", help="path of the feed file to write")
    parser.add_argument("--items", type=int, default=5000, help="number of items (default 5000)")
    parser.add_argument("--groups", type=int, default=len(GROUPS),
                        help=f"number of groups used, 1 to {len(GROUPS)} (default {len(GROUPS)})")
    parser.add_argument("--seed", type=int, default=1, help="random seed (default 1)")
    parser.add_argument("--rss", metavar="PATH",
                        help="also write the same items as an RSS 2.0 feed, newest item first")
    parser.add_argument("--base-url", default="http://127.0.0.1:8080/reader/",
                        help="where the RSS copy's pictures and links point (default %(default)s)")
    args = parser.parse_args()
    if args.items < 1:
        parser.error("--items must be at least 1: a feed without items is refused")
    if not 1 <= args.groups <= len(GROUPS):
        parser.error(f"--groups must be between 1 and {len(GROUPS)}")

    rng = random.Random(args.seed)
    items = [item_fields(rng, number, args.groups) for number in range(1, args.items + 1)]
    with open(args.output, "w", encoding="utf-8", newline="\n") as out:
        out.write('<?xml version="1.0" encoding="UTF-8"?>\n<zelton_reader>\n')
        for fields in items:
            out.write(item_xml(fields))
        out.write(ORGANIZATION_XML)
        out.write("</zelton_reader>\n")
    if args.rss:
        with open(args.rss, "w", encoding="utf-8", newline="\n") as out:
            out.write('<?xml version="1.0" encoding="UTF-8"?>\n<rss version="2.0">\n  <channel>\n'
                      "    <title>Komunitní centrum Lipová</title>\n"
                      f"    <link>{escape(args.base_url)}</link>\n"
                      "    <description>Novinky komunitního centra</description>\n")
            for number in range(len(items), 0, -1):
                out.write(rss_item(items[number - 1], number, args.base_url))
            out.write("  </channel>\n</rss>\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
