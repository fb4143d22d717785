#include <QtTest>

class TestInfoBlocks : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(TestInfoBlocks)
#include "TestInfoBlocks.moc"
