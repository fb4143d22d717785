#include "app/CommandLine.h"
#include "common/Texts.h"

#include <QDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString DefaultUrl = u"http://127.0.0.1:8080/reader/"_s;

} // namespace

// The reader's command line as the parser sees it, and the rule for the feed address.
class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void shouldAcceptOnlyReaderBaseAddresses_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("http") << u"http://feeds.example.org/reader/"_s << true;
        QTest::newRow("https") << u"https://feeds.example.org/reader/"_s << true;
        QTest::newRow("port") << u"http://127.0.0.1:8081/reader/"_s << true;
        QTest::newRow("deeper path") << u"https://example.org/a/b/reader/"_s << true;
        QTest::newRow("missing /reader/") << u"http://example.org/"_s << false;
        QTest::newRow("no trailing slash") << u"http://example.org/reader"_s << false;
        QTest::newRow("reader inside a name") << u"http://example.org/myreader/"_s << false;
        QTest::newRow("query") << u"http://example.org/reader/?id=demo"_s << false;
        QTest::newRow("query before the path's end") << u"http://example.org/x?/reader/"_s << false;
        QTest::newRow("fragment") << u"http://example.org/reader/#top"_s << false;
        QTest::newRow("no host") << u"http:///reader/"_s << false;
        QTest::newRow("blank in the host") << u"http://exa mple.org/reader/"_s << false;
        QTest::newRow("ftp") << u"ftp://example.org/reader/"_s << false;
        QTest::newRow("file") << u"file:///srv/reader/"_s << false;
        QTest::newRow("no scheme") << u"example.org/reader/"_s << false;
        QTest::newRow("empty") << QString() << false;
    }

    void shouldAcceptOnlyReaderBaseAddresses()
    {
        QFETCH(QString, url);
        QFETCH(bool, accepted);
        QCOMPARE(isFeedBaseUrl(url), accepted);
    }

    void shouldReadOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("feedBaseUrl");
        QTest::addColumn<QString>("screenshotFolder");

        QTest::newRow("nothing") << QStringList() << DefaultUrl << QString();
        QTest::newRow("feed address") << QStringList{u"--feed-base-url"_s, u"https://example.org/reader/"_s}
                                      << u"https://example.org/reader/"_s << QString();
        QTest::newRow("feed address with =") << QStringList{u"--feed-base-url=http://h:81/reader/"_s}
                                             << u"http://h:81/reader/"_s << QString();
        QTest::newRow("screenshots, relative")
            << QStringList{u"--screenshots"_s, u"pictures"_s} << DefaultUrl << QDir::current().filePath(u"pictures"_s);
        QTest::newRow("screenshots, absolute") << QStringList{u"--screenshots"_s, u"/tmp/shots"_s} << DefaultUrl
                                               << u"/tmp/shots"_s;
    }

    void shouldReadOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, feedBaseUrl);
        QFETCH(QString, screenshotFolder);

        const CommandLineVerdict verdict = parseCommandLine(QStringList{u"ZeltonReader"_s} + arguments, DefaultUrl);
        QVERIFY2(verdict.options.has_value(), qPrintable(verdict.error));
        QCOMPARE(verdict.options->feedBaseUrl, feedBaseUrl);
        QCOMPARE(verdict.options->screenshotFolder, screenshotFolder);
        QVERIFY(verdict.output.isEmpty());
        QVERIFY(verdict.error.isEmpty());
    }

    void shouldAnswerWithoutRunning_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("outputPart");  // in the output, or in the one error line
        QTest::addColumn<bool>("isError");

        QTest::newRow("help") << QStringList{u"--help"_s} << 0 << u"--feed-base-url <"_s << false;
        QTest::newRow("-h") << QStringList{u"-h"_s} << 0 << u"--screenshots <"_s << false;
        QTest::newRow("version") << QStringList{u"--version"_s} << 0 << u"ZeltonReader 1.50\n"_s << false;
        QTest::newRow("unknown option") << QStringList{u"--bogus"_s} << 2 << u"bogus"_s << true;
        QTest::newRow("bad feed address") << QStringList{u"--feed-base-url"_s, u"ftp://h/reader/"_s} << 2
                                          << u"ftp://h/reader/"_s << true;
        QTest::newRow("empty feed address") << QStringList{u"--feed-base-url="_s} << 2 << u"--feed-base-url"_s << true;
        QTest::newRow("missing value") << QStringList{u"--screenshots"_s} << 2 << u"screenshots"_s << true;
        QTest::newRow("empty folder") << QStringList{u"--screenshots="_s} << 2 << Texts::EmptyScreenshotFolder << true;
        QTest::newRow("toolkit option") << QStringList{u"-platform"_s, u"offscreen"_s} << 2 << u"'platform'"_s << true;
        QTest::newRow("stray argument") << QStringList{u"demo"_s} << 2 << u"\"demo\""_s << true;
        QTest::newRow("mistake before help") << QStringList{u"--bogus"_s, u"--help"_s} << 2 << u"bogus"_s << true;
    }

    void shouldAnswerWithoutRunning()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, outputPart);
        QFETCH(bool, isError);

        const CommandLineVerdict verdict = parseCommandLine(QStringList{u"/opt/zr/ZeltonReader"_s} + arguments, DefaultUrl);
        QVERIFY(!verdict.options.has_value());
        QCOMPARE(verdict.exitStatus, status);
        const QString &text = isError ? verdict.error : verdict.output;
        QVERIFY2(text.contains(outputPart), qPrintable(text));
        QVERIFY((isError ? verdict.output : verdict.error).isEmpty());
        if (isError) {
            QVERIFY(text.startsWith(u"ZeltonReader: "_s));
            QCOMPARE(text.count(u'\n'), 1);
            QVERIFY(text.endsWith(u'\n'));
        }
    }

    void shouldNameTheProgramInHelp()
    {
        const CommandLineVerdict verdict = parseCommandLine({u"/opt/zr/ZeltonReader"_s, u"--help"_s}, DefaultUrl);
        QVERIFY2(verdict.output.contains(u" /opt/zr/ZeltonReader ["_s), qPrintable(verdict.output));
        QVERIFY(!verdict.output.contains(u"executable_name"_s));
        QVERIFY(verdict.output.contains(DefaultUrl));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)

#include "TestCommandLine.moc"
