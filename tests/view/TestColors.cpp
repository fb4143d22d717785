#include <QtTest>

class TestColors : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(TestColors)
#include "TestColors.moc"
