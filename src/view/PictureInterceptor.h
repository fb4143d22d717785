#pragma once

#include <QWebEngineUrlRequestInterceptor>

class PictureSchemeHandler;

// Lets through only what the shown page may fetch (see RequestPolicy) and hands the view's
// requests for the feed server's pictures to the picture scheme, which keeps them for the
// offline page. The page's markup is left as it is: its <img src> still names the feed server.
class PictureInterceptor : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT

public:
    PictureInterceptor(const PictureSchemeHandler *pictures, QObject *parent = nullptr);

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

private:
    const PictureSchemeHandler *m_pictures;
};
