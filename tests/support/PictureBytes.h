#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>

// A PNG picture of `width` x `height` pixels, for servers that hand pictures to the view.
inline QByteArray pngBytes(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}
