#include "render/PageAssembly.h"

#include "common/LargeBuffers.h"
#include "render/HtmlPieces.h"

#include <algorithm>
#include <utility>

namespace {

// Room for the header in front of the cards: the fixed pieces, the offline mark and a page
// background of any reasonable length. A longer one costs a copy, nothing else.
constexpr qsizetype HeaderRoom = 320;

// One header for all three pages, so the offline mark tops each of them.
QString pageHeader(const QString &pageBackground, bool offline)
{
    using namespace HtmlPieces::Page;
    QString header = Doctype + HeadOpen + Meta + BodyOpen + pageBackground + BodyStyleEnd;
    if (offline)
        header += OfflineMark;
    return header;
}

} // namespace

Pages assemblePages(const QString &cardsHtml, const QString &infoBlock, const QString &contactsBlock,
                    const QString &pageBackground, bool offline)
{
    using namespace HtmlPieces::Page;
    const QString header = pageHeader(pageBackground, offline);
    return Pages{header + cardsHtml + End, header + infoBlock + End, header + contactsBlock + End};
}

QString startCardsBuffer(qsizetype cardChars)
{
    QString buffer;
    const qsizetype chars = HeaderRoom + cardChars + HtmlPieces::Page::End.size();
    buffer.reserve(chars);
    adviseLargePages(buffer.data(), chars * qsizetype(sizeof(QChar)));
    buffer.resize(HeaderRoom);
    return buffer;
}

Pages assembleBufferedPages(QString cardsBuffer, const QString &infoBlock, const QString &contactsBlock,
                            const QString &pageBackground, bool offline)
{
    using namespace HtmlPieces::Page;
    const QString header = pageHeader(pageBackground, offline);
    QString main;
    if (cardsBuffer.size() < HeaderRoom) {
        // Not a buffer from startCardsBuffer (no walk ran): it holds cards only.
        main = header + cardsBuffer;
    } else if (header.size() <= HeaderRoom) {
        // The header fills the end of the room; dropping the unused start of a text only
        // moves its beginning, the cards stay where they are.
        const qsizetype unused = HeaderRoom - header.size();
        std::copy(header.cbegin(), header.cend(), cardsBuffer.begin() + unused);
        cardsBuffer.remove(0, unused);
        main = std::move(cardsBuffer);
    } else {
        main = header;
        main += QStringView(cardsBuffer).sliced(HeaderRoom);
    }
    main += End;
    return Pages{main, header + infoBlock + End, header + contactsBlock + End};
}

const QString &choosePage(const Pages &pages, const QString &viewMode)
{
    if (viewMode == u"I")
        return pages.info;
    if (viewMode == u"K")
        return pages.contacts;
    return pages.main;
}
