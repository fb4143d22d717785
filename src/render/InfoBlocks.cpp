#include "render/InfoBlocks.h"

#include "document/FeedDocument.h"
#include "render/HtmlPieces.h"

#include <array>

namespace {

namespace InfoChild {
enum Child : qsizetype { Information, Contacts, Background, TextColor, HeadingColor };
} // namespace InfoChild

const std::array<QString, 5> InfoChildNames{
    QStringLiteral("ZT_INFO_INFORMACE"),     QStringLiteral("ZT_INFO_KONTAKT"),
    QStringLiteral("ZT_INFO_BARVA_POZADI_OS"), QStringLiteral("ZT_INFO_BARVA_TEXT_OS"),
    QStringLiteral("ZT_INFO_BARVA_NADPIS_OS"),
};

QString wrapBlock(const QString &text, const QString &background, const QString &textColor,
                  const QString &fontSize, int style)
{
    using namespace HtmlPieces::Info;
    return BlockOpen + background + Border + fontSize + TextColor + textColor
           + Closings[HtmlPieces::styleIndex(style)] + text + BlockEnd;
}

QString styleHeadings(const QString &block, const QString &headingOpening)
{
    using namespace HtmlPieces::Info;
    return replaceIgnoringCase(replaceIgnoringCase(block, HeadingMark, headingOpening),
                               HeadingEndMark, HeadingEnd);
}

} // namespace

QString replaceIgnoringCase(const QString &text, const QString &mark, const QString &replacement)
{
    if (mark.isEmpty())
        return text;
    QString result;
    result.reserve(text.size());
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(mark, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(mark, from, Qt::CaseInsensitive)) {
        // The search goes on in the original text, so the replacement is never looked at.
        result += QStringView(text).mid(from, at - from);
        result += replacement;
        from = at + mark.size();
    }
    result += QStringView(text).mid(from);
    return result;
}

void organizationInfoStep(const QDomElement &element, const QString &fontSize, int style,
                          InfoBlocks &blocks)
{
    using namespace HtmlPieces::Info;

    // Each element replaces both blocks completely, so the last element of the run wins.
    const ChildTexts children(element, InfoChildNames);
    blocks.info = children.text(InfoChild::Information);
    blocks.contacts = children.text(InfoChild::Contacts);
    const QString &background = children.text(InfoChild::Background);
    const QString &textColor = children.text(InfoChild::TextColor);
    const QString &headingColor = children.text(InfoChild::HeadingColor);

    blocks.info = wrapBlock(blocks.info, background, textColor, fontSize, style);
    blocks.contacts = wrapBlock(blocks.contacts, background, textColor, fontSize, style);

    const QString headingOpening = HeadingOpen + fontSize + HeadingColor + headingColor
                                   + HeadingStyleEnd;
    blocks.info = styleHeadings(blocks.info, headingOpening);
    blocks.contacts = styleHeadings(blocks.contacts, headingOpening);
}
