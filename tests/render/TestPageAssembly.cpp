#include "render/PageAssembly.h"

#include <QtTest>

namespace {

const QString Header = QStringLiteral(
    "<!DOCTYPE html><html><head><meta http-equiv=\"content-type\" content=\"text/html; "
    "charset=utf-8\"></head><body style=\"background: #336699\">");

Pages samplePages(bool offline)
{
    return assemblePages(QStringLiteral("<p>cards</p>"), QStringLiteral("<p>info</p>"),
                         QStringLiteral("<p>contacts</p>"), QStringLiteral("336699"), offline);
}

} // namespace

class TestPageAssembly : public QObject
{
    Q_OBJECT

private slots:
    void shouldBuildThreePagesWithOneHeader();
    void shouldMarkEveryPageOffline();
    void shouldBuildNewsPageWithoutCards();
    void shouldChoosePageByViewMode_data();
    void shouldChoosePageByViewMode();
};

void TestPageAssembly::shouldBuildThreePagesWithOneHeader()
{
    const Pages pages = samplePages(false);
    QCOMPARE(pages.main, Header + QStringLiteral("<p>cards</p></body></html>"));
    QCOMPARE(pages.info, Header + QStringLiteral("<p>info</p></body></html>"));
    QCOMPARE(pages.contacts, Header + QStringLiteral("<p>contacts</p></body></html>"));
}

void TestPageAssembly::shouldMarkEveryPageOffline()
{
    const Pages pages = samplePages(true);
    const QString marked = Header + QStringLiteral("<div>Offline</div>");
    QCOMPARE(pages.main, marked + QStringLiteral("<p>cards</p></body></html>"));
    QCOMPARE(pages.info, marked + QStringLiteral("<p>info</p></body></html>"));
    QCOMPARE(pages.contacts, marked + QStringLiteral("<p>contacts</p></body></html>"));
}

void TestPageAssembly::shouldBuildNewsPageWithoutCards()
{
    const Pages pages = assemblePages(QString(), QString(), QString(), QStringLiteral("00FF00"), false);
    QCOMPARE(pages.main,
             QStringLiteral("<!DOCTYPE html><html><head><meta http-equiv=\"content-type\" "
                            "content=\"text/html; charset=utf-8\"></head><body style=\"background: "
                            "#00FF00\"></body></html>"));
}

void TestPageAssembly::shouldChoosePageByViewMode_data()
{
    QTest::addColumn<QString>("viewMode");
    QTest::addColumn<QString>("content");

    QTest::newRow("news") << "S" << "<p>cards</p>";
    QTest::newRow("information") << "I" << "<p>info</p>";
    QTest::newRow("contacts") << "K" << "<p>contacts</p>";
    QTest::newRow("lower-case letter") << "s" << "<p>cards</p>";
    QTest::newRow("lower-case information") << "i" << "<p>cards</p>";
    QTest::newRow("lower-case contacts") << "k" << "<p>cards</p>";
    QTest::newRow("empty") << "" << "<p>cards</p>";
    QTest::newRow("unknown letter") << "X" << "<p>cards</p>";
    QTest::newRow("letter with a blank") << "I " << "<p>cards</p>";
}

void TestPageAssembly::shouldChoosePageByViewMode()
{
    QFETCH(QString, viewMode);
    QFETCH(QString, content);
    const Pages pages = samplePages(false);
    QCOMPARE(choosePage(pages, viewMode), Header + content + QStringLiteral("</body></html>"));
}

QTEST_GUILESS_MAIN(TestPageAssembly)
#include "TestPageAssembly.moc"
