#include "render/NewsCard.h"

#include "common/WholeNumber.h"
#include "document/FeedDocument.h"
#include "render/HtmlPieces.h"
#include "render/Colors.h"

#include <optional>

namespace {

const QString NoTime = QStringLiteral("00:00");
const QString NoDate = QStringLiteral("0000-00-00");
constexpr int FallbackBoxSide = 110;

// The feed writes its whole numbers by the same rule as the settings file.
std::optional<int> toWholeNumber(const QString &text)
{
    return parseWholeNumber(text);
}

bool isShownTime(const QString &time)
{
    return !time.isEmpty() && time != NoTime;
}

} // namespace

QString cardDateText(const QString &date, const QString &time, const QString &dateTo,
                     const QString &timeTo)
{
    QString text = date;
    if (isShownTime(time))
        text += u' ' + time;
    if (!dateTo.isEmpty() && dateTo != NoDate) {
        text += QStringLiteral(" - ") + dateTo;
        if (isShownTime(timeTo))
            text += u' ' + timeTo;
    }
    return text;
}

QSize pictureBoxSize(const QString &spacing, const QString &sizeX, const QString &sizeY)
{
    // All four conversions must succeed; a partial result is never used.
    const auto space = toWholeNumber(spacing);
    if (!space)
        return {FallbackBoxSide, FallbackBoxSide};
    const auto width = toWholeNumber(sizeX);
    if (!width)
        return {FallbackBoxSide, FallbackBoxSide};
    const auto height = toWholeNumber(sizeY);
    if (!height)
        return {FallbackBoxSide, FallbackBoxSide};
    // The sums are not range-checked: they wrap like the 32-bit numbers they are.
    const auto sum = [](int a, int b) { return int(qint32(quint32(a) + quint32(b))); };
    return {sum(*space, *width), sum(*space, *height)};
}

void NewsCardStep(const QDomElement &item, const CardSettings &settings, ItemWalk &walk)
{
    using namespace HtmlPieces::Card;

    walk.look = {};
    walk.look.caption = ChildText(item, QStringLiteral("ZELTON_FIRMA")) + QStringLiteral(" - ")
                        + settings.version;

    // Everything up to the filter runs for skipped items too: they still colour the
    // window, set the page background and contribute their group.
    walk.pageBackground = ChildText(item, QStringLiteral("ZELTON_BACKGROUNG"));
    const QString cardColor = ChildText(item, QStringLiteral("ZELTON_BARVA_BARVA"));
    const QString textColor = ChildText(item, QStringLiteral("ZELTON_BARVA_BARVATEXT"));
    const QString group = ChildText(item, QStringLiteral("ZELTON_SKUPINA_POPIS"));
    walk.groups.add(group);
    const QString spacing = ChildText(item, QStringLiteral("ZELTON_OBRAZEK_PADDING"));
    const QString sizeX = ChildText(item, QStringLiteral("ZELTON_OBRAZEK_SIZE_X"));
    const QString sizeY = ChildText(item, QStringLiteral("ZELTON_OBRAZEK_SIZE_Y"));

    walk.look.toolbarColor = HexToTColor(walk.pageBackground);

    const QSize box = pictureBoxSize(spacing, sizeX, sizeY);

    if (!PassesGroupFilter(settings.groupIndex, settings.groupText, group))
        return;

    const QString date = ChildText(item, QStringLiteral("ZELTON_DATE"));
    const QString time = ChildText(item, QStringLiteral("ZELTON_TIME"));
    const QString dateTo = ChildText(item, QStringLiteral("ZELTON_DATE_DO"));
    const QString timeTo = ChildText(item, QStringLiteral("ZELTON_TIME_DO"));
    const QString picture = ChildText(item, QStringLiteral("ZELTON_OBRAZEK"));
    const QString body = ChildText(item, QStringLiteral("ZELTON_TEXT"));

    const QString &font = settings.fontSize;
    const HtmlPieces::StylePieces &style = Styles[HtmlPieces::styleIndex(settings.style)];

    QString &html = walk.cardsHtml;
    html += BoxOpen + cardColor + style.border + font + TextColor + textColor + style.closing;
    html += GroupOpen + font + FontColor + textColor + GroupStyleEnd + group + DivEnd;
    html += DateOpen + font + FontColor + textColor + StyleEnd
            + cardDateText(date, time, dateTo, timeTo) + DivEnd;
    html += BodyOpen + font + FontColor + textColor + StyleEnd;
    if (picture.isEmpty()) {
        html += body;
    } else {
        html += PictureMinWidth + QString::number(box.width()) + PictureMinHeight
                + QString::number(box.height()) + PictureImgSrc + settings.baseUrl + picture
                + PictureImgPadding + spacing + PicturePx + spacing + PictureImgEnd;
        html += TextPadding + spacing + TextPaddingEnd + body + DivEnd + DivEnd;
    }
    html += DivEnd + DivEnd + Spacer;
}
