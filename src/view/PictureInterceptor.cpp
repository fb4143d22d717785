#include "PictureInterceptor.h"

#include "PictureSchemeHandler.h"

PictureInterceptor::PictureInterceptor(const PictureSchemeHandler *pictures, QObject *parent)
    : QWebEngineUrlRequestInterceptor(parent), m_pictures(pictures)
{
}

void PictureInterceptor::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeImage
        && m_pictures->serves(info.requestUrl()))
        info.redirect(PictureSchemeHandler::localUrl(info.requestUrl()));
}
