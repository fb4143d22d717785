#include <QtTest>

class TestNewsCard : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(TestNewsCard)
#include "TestNewsCard.moc"
