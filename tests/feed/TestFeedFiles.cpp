#include <QtTest>

class TestFeedFiles : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(TestFeedFiles)
#include "TestFeedFiles.moc"
