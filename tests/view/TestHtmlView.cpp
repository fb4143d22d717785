#include <QtTest>

class TestHtmlView : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(TestHtmlView)
#include "TestHtmlView.moc"
