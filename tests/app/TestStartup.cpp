#include <QtTest>

class TestStartup : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(TestStartup)
#include "TestStartup.moc"
