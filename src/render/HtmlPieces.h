#pragma once

#include "common/Texts.h"

#include <QString>

#include <array>

// Every fixed piece of the reader's pages. The pages are plain concatenations of these pieces
// and feed texts; the blanks inside them matter (the view renders them as written), so they
// are kept here in page order rather than scattered over the builders.
namespace HtmlPieces {

// Border piece (ends with "font-size: ") and closing piece (ends the opening tag) of one
// appearance style.
struct StylePieces
{
    QString border;
    QString closing;
};

// A style index outside the table stands for the first style.
inline int styleIndex(int style)
{
    return style >= 0 && style <= 3 ? style : 0;
}

// ---- News card --------------------------------------------------------------------------
namespace Card {

// Card box: BoxOpen, card colour, border piece, font size, TextColor, text colour, closing piece.
inline const QString BoxOpen = QStringLiteral(
    "<div style=\"position:relative; left: 0px; top: 0px; margin: 0px auto; "
    "padding: 15px 15px 15px 15px; background: #");
inline const QString TextColor = QStringLiteral("px; letter-spacing: 0px; color: #");

// Indexed by appearance style: rounded, square, shadow, full width.
inline const std::array<StylePieces, 4> Styles = {{
    {QStringLiteral("; border: 0px none #D2D4C8; font-weight: Bold; "
                    "font-family: Arial, Tahoma, sans-serif; font-size: "),
     QStringLiteral("; text-align: left; max-width: 600px; -moz-border-radius: 5px; "
                    "-webkit-border-radius: 5px; border-radius: 5px; \">")},
    {QStringLiteral("; border: 0px none #D2D4C8; font-weight: Bold; "
                    "font-family: Arial, Tahoma, sans-serif; font-size: "),
     QStringLiteral("; text-align: left; max-width: 600px; \">")},
    {QStringLiteral("; border: 0px none #FFFFFF; font-weight: Bold; "
                    "font-family: Arial, Tahoma, sans-serif; font-size: "),
     QStringLiteral("; text-align: left; max-width: 600px;  "
                    "box-shadow: 2px 2px 2px 2px rgba(0,0,0,.2) \">")},
    {QStringLiteral("; border: 0px none #D2D4C8; font-weight: Bold; "
                    "font-family: Arial, Tahoma, sans-serif; font-size: "),
     QStringLiteral("; text-align: left; \">")},
}};

// Group label: GroupOpen, font size, FontColor, text colour, GroupStyleEnd, group, DivEnd.
inline const QString GroupOpen =
    QStringLiteral("<div NOWRAP style=\"z-index: 1000; float: right; font: ");
inline const QString FontColor = QStringLiteral("px Arial; color: #");
inline const QString GroupStyleEnd = QStringLiteral("; display: inline-block;\">");

// Date line: DateOpen, font size, FontColor, text colour, StyleEnd, date text, DivEnd.
inline const QString DateOpen = QStringLiteral("<div style=\"font: ");
inline const QString StyleEnd = QStringLiteral(";\">");

// Body opening: BodyOpen, font size, FontColor, text colour, StyleEnd.
inline const QString BodyOpen = QStringLiteral("<div style=\"font: bold ");

// Picture block: PictureMinWidth, width, PictureMinHeight, height, PictureImgSrc, URL,
// PictureImgPadding, spacing, PicturePx, spacing, PictureImgEnd, TextPadding, spacing,
// TextPaddingEnd, body text, DivEnd, DivEnd.
inline const QString PictureMinWidth = QStringLiteral("<div style=\"min-width:");
inline const QString PictureMinHeight = QStringLiteral("px; min-height:");
inline const QString PictureImgSrc = QStringLiteral("px;\"><img src=\"");
inline const QString PictureImgPadding = QStringLiteral("\" style=\"float: left; padding: ");
inline const QString PicturePx = QStringLiteral("px ");
inline const QString PictureImgEnd = QStringLiteral("px 0px 0px;\">");
inline const QString TextPadding = QStringLiteral("<div style=\"padding: ");
inline const QString TextPaddingEnd = QStringLiteral("px 0px 0px 0px;\">");

// Closing: DivEnd (body), DivEnd (card box), Spacer.
inline const QString DivEnd = QStringLiteral("</div>");
inline const QString Spacer =
    QStringLiteral("<div style=\"font: 5px Arial; color: #FFFFFF;\">&nbsp;</div>");

// What finds every card's box in a page, and nothing else: the box opens with BoxOpen and
// the border piece of every style starts with a "none" border, where the information and
// contacts blocks open alike but with a "solid" one (Info::Border). The view lays out and
// marks the cards by it, so it must change with those pieces.
inline const QString Selector =
    QStringLiteral("div[style^=\"position:relative;\"][style*=\"; border: 0px none #\"]");

} // namespace Card

// ---- Organization information and contacts block -----------------------------------------
namespace Info {

// Block: BlockOpen, background, Border, font size, TextColor, text colour, closing piece
// of the style, the text, BlockEnd. Unlike the card the border is "solid" in every style.
inline const QString BlockOpen = Card::BoxOpen;
inline const QString Border = QStringLiteral(
    "; border: 0px solid #D2D4C8; font-weight: Bold; font-family: Arial, Tahoma, sans-serif; "
    "font-size: ");
inline const QString TextColor = Card::TextColor;

// Indexed by appearance style; these differ from the card's closings in their blanks.
inline const std::array<QString, 4> Closings = {
    QStringLiteral("; text-align: left; max-width: 600px; -moz-border-radius: 5px; "
                   "-webkit-border-radius: 5px; border-radius: 5px;\">"),
    QStringLiteral("; text-align: left; max-width: 600px;\">"),
    QStringLiteral("; text-align: left; max-width: 600px; "
                   "box-shadow: 2px 2px 2px 2px rgba(0,0,0,.2); \">"),
    QStringLiteral("; text-align: left; \">"),
};
inline const QString BlockEnd = QStringLiteral("</div>");

// Heading: HeadingOpen, font size, HeadingColor, heading colour, HeadingStyleEnd. It replaces
// the feed's HeadingMark; HeadingEndMark becomes HeadingEnd.
inline const QString HeadingOpen = QStringLiteral("<DIV style=\"font: ");
inline const QString HeadingColor = QStringLiteral("px Arial; color: #");
inline const QString HeadingStyleEnd = QStringLiteral("; font-weight: Bold; \">");
inline const QString HeadingMark = QStringLiteral("<NADPIS>");
inline const QString HeadingEndMark = QStringLiteral("</NADPIS>");
inline const QString HeadingEnd = QStringLiteral("</DIV>");

} // namespace Info

// ---- Page ---------------------------------------------------------------------------------
namespace Page {

// Header: Doctype, HeadOpen, Meta, BodyOpen, page background, BodyStyleEnd, then the
// offline mark when the feed came from the offline copy.
inline const QString Doctype = QStringLiteral("<!DOCTYPE html>");
inline const QString HeadOpen = QStringLiteral("<html><head>");
inline const QString Meta =
    QStringLiteral("<meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\">");
inline const QString BodyOpen = QStringLiteral("</head><body style=\"background: #");
inline const QString BodyStyleEnd = QStringLiteral("\">");
inline const QString OfflineMark =
    QStringLiteral("<div>") + Texts::OfflineMark + QStringLiteral("</div>");
inline const QString End = QStringLiteral("</body></html>");

} // namespace Page

} // namespace HtmlPieces
