#include "render/PageAssembly.h"

#include "render/HtmlPieces.h"

Pages AssemblePages(const QString &cardsHtml, const QString &infoBlock, const QString &contactsBlock,
                    const QString &pageBackground, bool offline)
{
    using namespace HtmlPieces::Page;

    // One header for all three pages, so the offline mark tops each of them.
    QString header = Doctype + HeadOpen + Meta + BodyOpen + pageBackground + BodyStyleEnd;
    if (offline)
        header += OfflineMark;

    return Pages{header + cardsHtml + End, header + infoBlock + End, header + contactsBlock + End};
}

const QString &ChoosePage(const Pages &pages, const QString &viewMode)
{
    if (viewMode == u"I")
        return pages.info;
    if (viewMode == u"K")
        return pages.contacts;
    return pages.main;
}
