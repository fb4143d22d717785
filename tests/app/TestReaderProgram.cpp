#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int RunBoundMs = 180'000;

struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

// The built reader program itself: its command line, and its pictures of the demo pages.
class TestReaderProgram : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QProcess m_server;
    QString m_baseUrl;

    // Runs `program` with `arguments`; without a display, the web engine's sandbox off.
    Run run(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        Run result;
        if (!process.waitForFinished(RunBoundMs) || process.exitStatus() != QProcess::NormalExit) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.status = process.exitCode();
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }

    // A display-less environment where a display would be needed: the X11 platform, no X server.
    static QProcessEnvironment withoutDisplay()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"DISPLAY"_s);
        environment.remove(u"WAYLAND_DISPLAY"_s);
        environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        return environment;
    }

    // A copy of the reader in a folder of its own, so its files never land in the build.
    QString readerIn(const QString &name, const QByteArray &settings)
    {
        const QString folder = m_dir.filePath(name);
        if (!QDir().mkpath(folder))
            return {};
        const QString program = folder + u"/ZeltonReader"_s;
        if (!QFile::copy(QStringLiteral(ZR_READER_EXE), program))
            return {};
        if (!settings.isEmpty() && !writeFile(folder + u"/Settings.ini"_s, settings))
            return {};
        return program;
    }

    QProcessEnvironment offscreen() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        environment.insert(u"XDG_CONFIG_HOME"_s, m_dir.filePath(u"config"_s));
        return environment;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_server.start(QStringLiteral(ZR_FEED_SERVER), {u"--port"_s, u"0"_s, u"--root"_s, QStringLiteral(ZR_DEMO_ROOT)});
        QVERIFY(m_server.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(m_server.canReadLine(), 10'000);
        const QString line = QString::fromUtf8(m_server.readLine()).trimmed();
        const auto match = QRegularExpression(u"^Listening on (http://127\\.0\\.0\\.1:\\d+/reader/)$"_s).match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        m_baseUrl = match.captured(1);
    }

    void cleanupTestCase()
    {
        m_server.kill();
        m_server.waitForFinished();
    }

    void shouldAnswerHelpAndVersionWithoutDisplay()
    {
        const Run help = run(QStringLiteral(ZR_READER_EXE), {u"--help"_s}, withoutDisplay());
        QCOMPARE(help.status, 0);
        QVERIFY2(help.out.contains("--feed-base-url <") && help.out.contains("--screenshots <"), help.out.constData());
        QVERIFY2(help.err.isEmpty(), help.err.constData());

        const Run version = run(QStringLiteral(ZR_READER_EXE), {u"--version"_s}, withoutDisplay());
        QCOMPARE(version.status, 0);
        QCOMPARE(version.out, QByteArray("ZeltonReader 1.50\n"));
        QVERIFY2(version.err.isEmpty(), version.err.constData());
    }

    void shouldRefuseMistakesInOneLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown option") << QStringList{u"--bogus"_s};
        QTest::newRow("feed address without /reader/") << QStringList{u"--feed-base-url"_s, u"http://127.0.0.1/"_s};
        QTest::newRow("ftp feed address") << QStringList{u"--feed-base-url=ftp://127.0.0.1/reader/"_s};
        QTest::newRow("stray argument") << QStringList{u"demo"_s};
    }

    void shouldRefuseMistakesInOneLine()
    {
        QFETCH(QStringList, arguments);
        const Run result = run(QStringLiteral(ZR_READER_EXE), arguments, withoutDisplay());
        QCOMPARE(result.status, 2);
        QVERIFY(result.out.isEmpty());
        QVERIFY2(result.err.startsWith("ZeltonReader: ") && result.err.endsWith('\n') && result.err.count('\n') == 1,
                 result.err.constData());
    }

    void shouldSavePicturesOfTheThreePages()
    {
        const QString program = readerIn(u"demo"_s, "[ZELTON_INFO_READER]\nID=demo\nLeft=0\nTop=0\nWidth=600\nHeight=420\n");
        QVERIFY(!program.isEmpty());
        const QString folder = m_dir.filePath(u"pictures"_s);
        m_server.readAll();

        const Run result = run(program, {u"--feed-base-url"_s, m_baseUrl, u"--screenshots"_s, folder}, offscreen());
        QVERIFY2(result.status == 0, result.err.constData());
        const QStringList names{u"news.png"_s, u"information.png"_s, u"contacts.png"_s};
        QStringList expected;
        for (const QString &name : names)
            expected << QDir(folder).filePath(name);
        QCOMPARE(QString::fromLocal8Bit(result.out).split(u'\n', Qt::SkipEmptyParts), expected);

        QList<QImage> pictures;
        for (const QString &path : expected) {
            QVERIFY2(QFileInfo(path).size() > 0, qPrintable(path));
            const QImage picture(path);
            // The window's client area: its stored outer 600 x 420 less the frame.
            QVERIFY2(picture.width() <= 600 && picture.width() > 560 && picture.height() <= 420
                         && picture.height() > 380,
                     qPrintable(QStringLiteral("%1x%2").arg(picture.width()).arg(picture.height())));
            pictures << picture;
        }
        QVERIFY(pictures[0] != pictures[1] && pictures[1] != pictures[2] && pictures[0] != pictures[2]);

        // One feed per page and the cards' pictures: the pages came from the demo server.
        QByteArray requests;
        QTRY_COMPARE((requests += m_server.readAll()).count("GET /reader/xml.php?id=demo&"), 3);
        QVERIFY2(requests.contains("GET /reader/obrazky/"), requests.constData());
    }

    void shouldEndWithReasonWhenNoPageShows_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("feedBaseUrl");
        QTest::addColumn<QByteArray>("reason");

        // Without an ID the reader would ask for one; nobody is there to answer.
        QTest::newRow("no ID") << QByteArray() << m_baseUrl << QByteArray("Zadej ID organizace");
        QTest::newRow("unknown organization") << QByteArray("[ZELTON_INFO_READER]\nID=nobody\n") << m_baseUrl
                                              << QByteArray("Nelze se připojit");
    }

    void shouldEndWithReasonWhenNoPageShows()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, feedBaseUrl);
        QFETCH(QByteArray, reason);

        const QString program = readerIn(QString::fromLatin1(QTest::currentDataTag()), settings);
        QVERIFY(!program.isEmpty());
        const QString folder = m_dir.filePath(u"none"_s);
        const Run result = run(program, {u"--feed-base-url"_s, feedBaseUrl, u"--screenshots"_s, folder}, offscreen());
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.endsWith('\n') && result.err.contains(reason), result.err.constData());
        const QList<QByteArray> lines = result.err.split('\n');
        QVERIFY2(lines.at(lines.size() - 2).contains(reason), result.err.constData());
        QVERIFY(result.out.isEmpty());
        QVERIFY(!QFile::exists(QDir(folder).filePath(u"news.png"_s)));
    }
};

QTEST_GUILESS_MAIN(TestReaderProgram)

#include "TestReaderProgram.moc"
