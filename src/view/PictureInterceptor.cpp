#include "view/PictureInterceptor.h"

#include "view/PictureSchemeHandler.h"
#include "view/RequestPolicy.h"

PictureInterceptor::PictureInterceptor(const PictureSchemeHandler *pictures, QObject *parent)
    : QWebEngineUrlRequestInterceptor(parent), m_pictures(pictures)
{
}

void PictureInterceptor::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    switch (RequestPolicy::judge(info.resourceType(), info.requestUrl(), m_pictures->base())) {
    case RequestPolicy::Verdict::Allow:
        break;
    case RequestPolicy::Verdict::Block:
        info.block(true);
        break;
    case RequestPolicy::Verdict::FetchAsPicture:
        info.redirect(PictureSchemeHandler::localUrl(info.requestUrl()));
        break;
    }
}
