#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"
#include "support/FileBytes.h"
#include "support/LocalHttpServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <csignal>

namespace {

QByteArray feed(const QByteArray &text)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><feed><zelton_information><ZELTON_FIRMA>Spolek</ZELTON_FIRMA>"
           "<ZELTON_BACKGROUNG>E8EEF4</ZELTON_BACKGROUNG><ZELTON_BARVA_BARVA>FFFFFF</ZELTON_BARVA_BARVA>"
           "<ZELTON_BARVA_BARVATEXT>203040</ZELTON_BARVA_BARVATEXT><ZELTON_SKUPINA_POPIS>Sport</ZELTON_SKUPINA_POPIS>"
           "<ZELTON_TEXT>" + text + "</ZELTON_TEXT></zelton_information><zelton_other_information>"
           "<ZT_INFO_INFORMACE>O n\xc3\xa1s</ZT_INFO_INFORMACE><ZT_INFO_KONTAKT>Telefon</ZT_INFO_KONTAKT>"
           "<ZT_INFO_BARVA_POZADI_OS>FFFFFF</ZT_INFO_BARVA_POZADI_OS><ZT_INFO_BARVA_TEXT_OS>203040</ZT_INFO_BARVA_TEXT_OS>"
           "</zelton_other_information></feed>\n";
}

// Two feeds the server takes turns with, so every cycle replaces the offline copy.
const QByteArray FeedA = feed("Zpr\xc3\xa1va A: " + QByteArray("slovo ").repeated(3000));
const QByteArray FeedB = feed("Zpr\xc3\xa1va B: " + QByteArray("v\xc4\x9bta ").repeated(4000));

// Every key the reader writes during its cycles is there already with the value it will
// write, so a complete write leaves the file byte for byte as it was.
const QByteArray Settings = "[ZELTON_INFO_READER]\nID=demo\nSkupina=V\xc5\xa1" "e\nFontSize=4\nVzhled=0\n";

} // namespace

// The real program killed with SIGKILL at random moments of its start-up, its refresh
// cycles and the choices it stores: its files are always whole, and it always starts again.
class TestCrashSafety : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_folder;      // the executable's folder, where the reader keeps its files
    QString m_executable;
    QString m_pictures;    // where the reader saves its pages
    std::atomic<int> m_requests{0};
    LocalHttpServer m_server{[this](const QByteArray &line) {
        LocalHttpServer::Response response;
        if (!line.contains("xml.php")) {
            response.status = 404;
            return response;
        }
        response.body = m_requests++ % 2 == 0 ? FeedA : FeedB;
        return response;
    }};

    // Runs the reader through its three pages (three refresh cycles), killed after `killAfterMs`
    // or, without it, to its end. Returns the exit code of a run that ended by itself.
    int runReader(std::optional<int> killAfterMs)
    {
        QProcess reader;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_root.filePath(QStringLiteral("config")));
        reader.setProcessEnvironment(environment);
        reader.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        reader.start(m_executable, {QStringLiteral("--feed-base-url"), m_server.baseUrl(),
                                    QStringLiteral("--screenshots"), m_pictures});
        if (!reader.waitForStarted())
            return -1;
        if (killAfterMs) {
            if (!reader.waitForFinished(*killAfterMs))
                ::kill(pid_t(reader.processId()), SIGKILL);
        }
        if (!reader.waitForFinished(120000)) {
            reader.kill();
            reader.waitForFinished();
            return -1;
        }
        return reader.exitStatus() == QProcess::NormalExit ? reader.exitCode() : -1;
    }

    // What may stand beside the executable at any time.
    void verifyFilesWhole()
    {
        QCOMPARE(fileBytes(m_folder + QStringLiteral("/Settings.ini")), Settings);
        QCOMPARE(IniFile(m_folder + QStringLiteral("/Settings.ini")).value(SettingsKeys::Section, SettingsKeys::Id),
                 std::optional<QString>(QStringLiteral("demo")));
        const QByteArray offline = fileBytes(m_folder + QStringLiteral("/Offline_ZeltonReader.xml"));
        QVERIFY2(offline == FeedA || offline == FeedB, "the offline copy is one feed, whole");
    }

private slots:
    void initTestCase()
    {
        m_folder = m_root.filePath(QStringLiteral("reader"));
        m_pictures = m_root.filePath(QStringLiteral("pictures"));
        QVERIFY(QDir().mkpath(m_folder));
        m_executable = m_folder + QStringLiteral("/ZeltonReader");
        QVERIFY(QFile::copy(QStringLiteral(ZR_READER_EXE), m_executable));
        QFile settings(m_folder + QStringLiteral("/Settings.ini"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write(Settings);
    }

    void shouldKeepFilesWholeWhenKilledAtAnyMoment()
    {
        // One undisturbed run first: it makes the offline copy and tells how long a run takes.
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(runReader(std::nullopt), 0);
        const int runMs = int(clock.elapsed());
        verifyFilesWhole();

        const quint32 seed = qEnvironmentVariableIsSet("ZR_CRASH_SEED")
                                 ? quint32(qEnvironmentVariableIntValue("ZR_CRASH_SEED"))
                                 : QRandomGenerator::global()->generate();
        qInfo("seed %u (ZR_CRASH_SEED repeats it), a whole run takes %d ms", seed, runMs);
        QRandomGenerator random(seed);

        const QStringList allowed{QStringLiteral("Offline_ZeltonReader.xml"), QStringLiteral("Settings.ini"),
                                  QStringLiteral("SeenNews.txt"),
                                  QStringLiteral("ZeltonReader"), QStringLiteral("ZeltonReader.lock"),
                                  QStringLiteral("pictures"), QStringLiteral("tmp")};
        for (int run = 0; run < 30; ++run) {
            const int killAfterMs = random.bounded(runMs + 1);
            runReader(killAfterMs);
            verifyFilesWhole();
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("after a kill at %1 ms of run %2").arg(killAfterMs).arg(run)));

            // The next start goes through as always and tidies what the killed one left.
            QCOMPARE(runReader(std::nullopt), 0);
            verifyFilesWhole();
            QStringList beside = QDir(m_folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
            beside.removeIf([&](const QString &name) { return allowed.contains(name); });
            QVERIFY2(beside.isEmpty(), qPrintable(beside.join(u' ')));
        }
    }
};

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "TestCrashSafety.moc"
