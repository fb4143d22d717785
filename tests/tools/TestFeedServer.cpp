#include <QtTest>

class TestFeedServer : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(TestFeedServer)
#include "TestFeedServer.moc"
