#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

// A large feed that exercises every way an item and the organization info may be written,
// the same bytes on every machine and every run (its own random sequence, no library
// distribution), so that digests of the pages built from it can be recorded once.
//
// Every item varies in: picture or none (and picture sizes that do not convert), start time
// "00:00", empty or shown, end date empty, "0000-00-00" or real, end time likewise, texts in
// CDATA or as escaped plain text, missing and empty children, children with a namespace
// prefix, items in a default namespace with a same-named child of another namespace in
// front, a second child of the same name (the first counts), comments and unknown children
// between the children, and groups that differ only in letter case.
// With `faultyGroup` set, every item of group "Porucha" holds a date and a text that cannot
// be read: they are never read while another group is chosen, but fail the walk under "Vše".
class BigFeed
{
public:
    static QByteArray bytes(int items, bool faultyGroup = false)
    {
        BigFeed feed;
        QByteArray out;
        out.reserve(qsizetype(items) * 1400 + 4096);
        out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
        // The faulty variant also puts the whole document in a default namespace.
        out += faultyGroup ? "<zelton_reader xmlns=\"urn:zelton:feed\">\n" : "<zelton_reader>\n";
        for (int number = 1; number <= items; ++number)
            out += feed.item(number, faultyGroup);
        out += feed.info(QByteArrayLiteral("FFFFFF"), QByteArrayLiteral("<!-- first of two -->"));
        out += feed.info(QByteArrayLiteral("FAFAF0"), QByteArray());
        out += "</zelton_reader>\n";
        return out;
    }

private:
    std::uint32_t next(std::uint32_t range)
    {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return std::uint32_t(m_state >> 33) % range;
    }

    template<std::size_t N>
    const char *pick(const std::array<const char *, N> &choices)
    {
        return choices[next(std::uint32_t(N))];
    }

    static QByteArray element(const QByteArray &name, const QByteArray &value, bool cdata = false)
    {
        if (cdata)
            return '<' + name + "><![CDATA[" + value + "]]></" + name + '>';
        if (value.isEmpty())
            return '<' + name + "/>";
        return '<' + name + '>' + value + "</" + name + '>';
    }

    QByteArray text(int number)
    {
        static const std::array<const char *, 6> Sentences{
            "Zveme všechny příznivce na příjemné odpoledne.",
            "S sebou si vezměte přezůvky a dobrou náladu.",
            "Akce se koná za každého počasí — i když prší.",
            "Vstupné je dobrovolné 🙂, děkujeme za každý příspěvek.",
            "Děti do deseti let pouze v doprovodu dospělé osoby.",
            "Podrobnosti najdete na nástěnce u vchodu.",
        };
        QByteArray body = "<b>Akce č. " + QByteArray::number(number) + "</b><br>" + pick(Sentences);
        if (next(3) == 0)
            body += "<ul><li>" + QByteArray(pick(Sentences)) + "</li><li>čaj zdarma</li></ul>";
        body += ' ';
        body += pick(Sentences);
        return body;
    }

    QByteArray item(int number, bool faultyGroup)
    {
        static const std::array<const char *, 9> Groups{
            "Kultura", "kultura", "Sport", "Vzdělávání", "Pro děti", "", "Čtení", "Šachy", "Turistika"};
        static const std::array<const char *, 4> Backgrounds{"E8EEF4", "fafafa", "C0FFEE", "0A0B0C"};
        static const std::array<const char *, 4> CardColours{"FFFFFF", "FFF4E0", "e6eefb", "FDE8EF"};
        static const std::array<const char *, 5> Times{"00:00", "", "09:30", "17:05", "00:00"};
        static const std::array<const char *, 3> Pictures{"obrazky/vystava.png", "obrazky/kino.png",
                                                          "a b/č.png?x=1&amp;y=2"};
        static const std::array<const char *, 5> Paddings{"8", "0", "x", "", "+7"};

        const bool faulty = faultyGroup && next(7) == 0;
        const QByteArray group = faulty ? QByteArrayLiteral("Porucha") : QByteArray(pick(Groups));
        const std::uint32_t form = next(8);
        // Form 5: the item in a default namespace of its own, where a child of another
        // namespace with a reader's name does not count.
        const bool ownNamespace = form == 5 && !faultyGroup;
        QByteArray children;
        if (ownNamespace)
            children += "<o:ZELTON_FIRMA xmlns:o=\"urn:other\">Cizí</o:ZELTON_FIRMA>";
        children += element("ZELTON_FIRMA", number % 2 ? "Komunitní centrum Lipová" : "KC &amp; spol.");
        children += element("ZELTON_BACKGROUNG", pick(Backgrounds));
        if (form == 1)
            children += "<!-- colours follow -->\n    <ZELTON_POZNAMKA>neznámý prvek</ZELTON_POZNAMKA>";
        children += element("ZELTON_BARVA_BARVA", pick(CardColours));
        children += element("ZELTON_BARVA_BARVATEXT", number % 3 ? "2B2F36" : "4a2c00");
        children += element("ZELTON_SKUPINA_POPIS", group);

        const bool picture = next(3) != 0;
        if (picture || form == 2) {
            children += element("ZELTON_OBRAZEK_PADDING", picture ? pick(Paddings) : "0");
            children += element("ZELTON_OBRAZEK_SIZE_X", QByteArray::number(80 + next(80)));
            if (form != 3)
                children += element("ZELTON_OBRAZEK_SIZE_Y", QByteArray::number(60 + next(60)));
        }

        const QByteArray date = "2026-12-" + QByteArray::number(10 + next(20));
        if (faulty) {
            children += "<ZELTON_DATE>" + date + "<b/></ZELTON_DATE>";
        } else {
            children += element("ZELTON_DATE", date);
        }
        if (form != 4)
            children += element("ZELTON_TIME", pick(Times));
        const std::uint32_t end = next(3);
        if (end == 1)
            children += element("ZELTON_DATE_DO", "0000-00-00");
        else if (end == 2)
            children += element("ZELTON_DATE_DO", "2027-01-" + QByteArray::number(10 + next(20)));
        children += element("ZELTON_TIME_DO", pick(Times));
        if (picture) {
            const QByteArray name = pick(Pictures);
            children += form == 6 ? "<p:ZELTON_OBRAZEK xmlns:p=\"urn:zelton:p\">" + name + "</p:ZELTON_OBRAZEK>"
                                  : element("ZELTON_OBRAZEK", name);
        }

        if (faulty) {
            children += "<ZELTON_TEXT>začátek<![CDATA[ a pokračování]]></ZELTON_TEXT>";
        } else if (next(2) == 0) {
            children += element("ZELTON_TEXT", text(number), true);
        } else {
            // Plain text: the markup escaped, character references and line breaks that the
            // parser normalises.
            children += element("ZELTON_TEXT", "&lt;b&gt;Oznámení&lt;/b&gt; č. " + QByteArray::number(number)
                                                   + " &#x10D;&#269; &quot;A&quot; &amp; B\r\ndalší řádek\rkonec");
        }
        if (form == 7)
            children += element("ZELTON_TEXT", "druhý text se nečte");

        const QByteArray open = ownNamespace ? QByteArrayLiteral("<zelton_information xmlns=\"urn:zelton:own\">")
                                             : QByteArrayLiteral("<zelton_information>");
        return "  " + open + "\n    " + children + "\n  </zelton_information>\n";
    }

    QByteArray info(const QByteArray &background, const QByteArray &comment)
    {
        QByteArray children;
        children += comment;
        children += element("ZT_INFO_INFORMACE",
                            "<NADPIS>O nás</NADPIS>Centrum pro všechny.<nadpis>Otevřeno</Nadpis>"
                            "<ul><li>po–čt 9–20</li></ul><NADPIS>Konec</NADPIS>",
                            true);
        children += "<i:ZT_INFO_KONTAKT xmlns:i=\"urn:zelton:i\">&lt;nAdPiS&gt;Adresa&lt;/NADPIS&gt;Na Návsi "
                    "214&lt;br&gt;&lt;NADPIS&gt;Telefon&lt;/nadpis&gt;555 210 480</i:ZT_INFO_KONTAKT>";
        children += element("ZT_INFO_BARVA_POZADI_OS", background);
        children += element("ZT_INFO_BARVA_TEXT_OS", "2B2F36");
        children += element("ZT_INFO_BARVA_NADPIS_OS", "004080");
        return "  <zelton_other_information>\n    " + children + "\n  </zelton_other_information>\n";
    }

    std::uint64_t m_state = 0x5EED;
};
