#include <QtTest>

class TestFeedDownload : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(TestFeedDownload)
#include "TestFeedDownload.moc"
