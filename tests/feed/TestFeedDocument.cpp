#include <QtTest>

class TestFeedDocument : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(TestFeedDocument)
#include "TestFeedDocument.moc"
