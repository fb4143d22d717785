#include "render/NewsCard.h"

#include "common/WholeNumber.h"
#include "document/FeedDocument.h"
#include "render/HtmlPieces.h"
#include "render/Colors.h"

#include <QStringBuilder>
#include <QStringView>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>

namespace {

const QString NoTime = QStringLiteral("00:00");
const QString NoDate = QStringLiteral("0000-00-00");
constexpr int FallbackBoxSide = 110;

bool isShownTime(const QString &time)
{
    return !time.isEmpty() && time != NoTime;
}

// Appends the pieces with one size change and plain copies: the card goes straight into the
// walk's text, which has room reserved, with no temporary per card (and none of the
// regrowing that `+=` of a concatenation does to a text more than half full).
void appendPieces(QString &html, std::initializer_list<QStringView> pieces)
{
    qsizetype total = 0;
    for (const QStringView piece : pieces)
        total += piece.size();
    const qsizetype at = html.size();
    html.resize(at + total);
    QChar *out = html.data() + at;
    for (const QStringView piece : pieces)
        out = std::copy(piece.begin(), piece.end(), out);
}

void appendCardDate(QString &text, const QString &date, const QString &time, const QString &dateTo,
                    const QString &timeTo)
{
    appendPieces(text, {date});
    if (isShownTime(time))
        appendPieces(text, {u" ", time});
    if (!dateTo.isEmpty() && dateTo != NoDate) {
        appendPieces(text, {u" - ", dateTo});
        if (isShownTime(timeTo))
            appendPieces(text, {u" ", timeTo});
    }
}

// The children an item step reads, in the order it reads them.
namespace Item {
enum Child : qsizetype {
    Firm,
    Background,
    CardColor,
    TextColor,
    Group,
    Spacing,
    SizeX,
    SizeY,
    Date,
    Time,
    DateTo,
    TimeTo,
    Picture,
    Body,
};
} // namespace Item

const std::array<QString, 14> ItemChildNames{
    QStringLiteral("ZELTON_FIRMA"),           QStringLiteral("ZELTON_BACKGROUNG"),
    QStringLiteral("ZELTON_BARVA_BARVA"),     QStringLiteral("ZELTON_BARVA_BARVATEXT"),
    QStringLiteral("ZELTON_SKUPINA_POPIS"),   QStringLiteral("ZELTON_OBRAZEK_PADDING"),
    QStringLiteral("ZELTON_OBRAZEK_SIZE_X"),  QStringLiteral("ZELTON_OBRAZEK_SIZE_Y"),
    QStringLiteral("ZELTON_DATE"),            QStringLiteral("ZELTON_TIME"),
    QStringLiteral("ZELTON_DATE_DO"),         QStringLiteral("ZELTON_TIME_DO"),
    QStringLiteral("ZELTON_OBRAZEK"),         QStringLiteral("ZELTON_TEXT"),
};

// The indexes of CardPieces::joined.
namespace Piece {
enum : qsizetype { Box, BoxText, BoxGroup, GroupText, Date, DateText, Body, BodyText, End,
                   PictureSource, PictureText, PictureEnd };
} // namespace Piece

const CardPieces &cardPieces(const CardSettings &settings, CardPieces &pieces)
{
    if (pieces.made && pieces.fontSize == settings.fontSize && pieces.style == settings.style
        && pieces.baseUrl == settings.baseUrl)
        return pieces;

    using namespace HtmlPieces::Card;
    const QString &font = settings.fontSize;
    const HtmlPieces::StylePieces &style = Styles[HtmlPieces::styleIndex(settings.style)];
    auto &p = pieces.joined;
    p[Piece::Box] = BoxOpen;
    p[Piece::BoxText] = style.border + font + TextColor;
    p[Piece::BoxGroup] = style.closing + GroupOpen + font + FontColor;
    p[Piece::GroupText] = GroupStyleEnd;
    p[Piece::Date] = DivEnd + DateOpen + font + FontColor;
    p[Piece::DateText] = StyleEnd;
    p[Piece::Body] = DivEnd + BodyOpen + font + FontColor;
    p[Piece::BodyText] = StyleEnd;
    p[Piece::End] = DivEnd + DivEnd + Spacer;
    p[Piece::PictureSource] = PictureImgSrc + settings.baseUrl;
    p[Piece::PictureText] = PictureImgEnd + TextPadding;
    p[Piece::PictureEnd] = DivEnd + DivEnd + p[Piece::End];
    pieces.fontSize = settings.fontSize;
    pieces.style = settings.style;
    pieces.baseUrl = settings.baseUrl;
    pieces.made = true;
    return pieces;
}

} // namespace

QString cardDateText(const QString &date, const QString &time, const QString &dateTo,
                     const QString &timeTo)
{
    QString text;
    appendCardDate(text, date, time, dateTo, timeTo);
    return text;
}

QSize pictureBoxSize(const QString &spacing, const QString &sizeX, const QString &sizeY)
{
    // All four conversions must succeed; a partial result is never used.
    const auto space = parseWholeNumber(spacing);
    if (!space)
        return {FallbackBoxSide, FallbackBoxSide};
    const auto width = parseWholeNumber(sizeX);
    if (!width)
        return {FallbackBoxSide, FallbackBoxSide};
    const auto height = parseWholeNumber(sizeY);
    if (!height)
        return {FallbackBoxSide, FallbackBoxSide};
    // The sums are not range-checked: they wrap like the 32-bit numbers they are.
    const auto sum = [](int a, int b) { return int(qint32(quint32(a) + quint32(b))); };
    return {sum(*space, *width), sum(*space, *height)};
}

void newsCardStep(const QDomElement &item, const CardSettings &settings, ItemWalk &walk)
{
    using namespace HtmlPieces::Card;

    // Every child is found in one pass; each text is read (and may fail) in the order below.
    const ChildTexts children(item, ItemChildNames);

    walk.toolbarColor.reset();
    walk.caption = QString(children.text(Item::Firm) % u" - " % settings.version);

    // Everything up to the filter runs for skipped items too: they still colour the
    // window, set the page background and contribute their group.
    walk.pageBackground = children.text(Item::Background);
    const QString &cardColor = children.text(Item::CardColor);
    const QString &textColor = children.text(Item::TextColor);
    const QString &group = children.text(Item::Group);
    walk.groups.add(group);
    const QString &spacing = children.text(Item::Spacing);
    const QString &sizeX = children.text(Item::SizeX);
    const QString &sizeY = children.text(Item::SizeY);

    walk.toolbarColor = colorFromHex(walk.pageBackground);

    const QSize box = pictureBoxSize(spacing, sizeX, sizeY);

    if (!passesGroupFilter(settings.groupIndex, settings.groupText, group)) {
        walk.items.append({children.fingerprint(), false, {}});
        return;
    }

    const QString &date = children.text(Item::Date);
    const QString &time = children.text(Item::Time);
    const QString &dateTo = children.text(Item::DateTo);
    const QString &timeTo = children.text(Item::TimeTo);
    const QString &picture = children.text(Item::Picture);
    const QString &body = children.text(Item::Body);

    // The card: Box, card colour, BoxText, text colour, BoxGroup, text colour, GroupText,
    // group, Date, text colour, DateText, date, Body, text colour, BodyText, then the body
    // alone or in its picture block, and End.
    const CardPieces &pieces = cardPieces(settings, walk.pieces);
    const auto &p = pieces.joined;
    QString &html = walk.cardsHtml;
    appendPieces(html, {p[Piece::Box], cardColor, p[Piece::BoxText], textColor, p[Piece::BoxGroup], textColor,
                        p[Piece::GroupText], group, p[Piece::Date], textColor, p[Piece::DateText]});
    appendCardDate(html, date, time, dateTo, timeTo);
    appendPieces(html, {p[Piece::Body], textColor, p[Piece::BodyText]});
    if (picture.isEmpty()) {
        appendPieces(html, {body, p[Piece::End]});
    } else {
        appendPieces(html, {PictureMinWidth, QString::number(box.width()), PictureMinHeight,
                            QString::number(box.height()), p[Piece::PictureSource], picture,
                            PictureImgPadding, spacing, PicturePx, spacing, p[Piece::PictureText], spacing,
                            TextPaddingEnd, body, p[Piece::PictureEnd]});
    }
    walk.items.append({children.fingerprint(), true, body});
}
