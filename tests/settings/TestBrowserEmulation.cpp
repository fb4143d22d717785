#include <QtTest>

class TestBrowserEmulation : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(TestBrowserEmulation)
#include "TestBrowserEmulation.moc"
