#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QTimer>

class ReaderWindow;

// Shows the reader's news, information and contacts pages one after another, saves each as
// a PNG picture and ends: the reader seen on a machine without a desktop.
class PageScreenshots : public QObject
{
public:
    // Made before the window: its first refresh runs while it is built, and a box that
    // opens then (the ID prompt, a failed download) would wait for a user who is not there.
    explicit PageScreenshots(QString folder);

    // Saves the three pictures, prints their paths; the program's exit status.
    int take(ReaderWindow &window);

private:
    // Waits until the shown page and its pictures are painted and the window no longer
    // changes; false when that does not happen in time.
    bool waitForPaintedPage(ReaderWindow &window, const QImage &previous, QImage &shot);
    void endOnModalBox();

    QString m_folder;
    QTimer m_boxWatch;
};
