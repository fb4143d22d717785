#include <QtTest>

class TestRefreshCycle : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(TestRefreshCycle)
#include "TestRefreshCycle.moc"
