#include <QtTest>

class TestPageAssembly : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(TestPageAssembly)
#include "TestPageAssembly.moc"
