#include <QtTest>

class TestGroupFilter : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(TestGroupFilter)
#include "TestGroupFilter.moc"
