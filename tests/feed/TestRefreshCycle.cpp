#include "common/ReaderPaths.h"
#include "common/Texts.h"
#include "feed/RefreshCycle.h"
#include "feed/RefreshHost.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsKeys.h"
#include "support/LocalHttpServer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

// A window that records what the cycle did to it.
class RecordingHost : public RefreshHost
{
public:
    void setCaption(const QString &caption) override { this->caption = caption; }
    void setToolbarColor(quint32 tcolor) override { toolbarColor = tcolor; }
    void setToolbarEnabled(bool enabled) override { toolbarEnabled = enabled; }
    void pumpEvents() override
    {
        ++pumps;
        if (onPump)
            onPump();
    }
    void showMessage(const QString &text) override { messages << text; }
    void showError(const QString &message) override { errors << message; }
    QString versionText() const override { return QStringLiteral("1.50"); }
    int fontSizeIndex() const override { return 4; }
    QString fontSizeText() const override { return QStringLiteral("12"); }
    int styleIndex() const override { return 1; }
    int groupIndex() const override { return groupEntries.isEmpty() ? -1 : groupSelected; }
    QString groupText() const override { return groupIndex() < 0 ? QString() : groupEntries.at(groupSelected); }
    void setGroupFilter(const QStringList &entries, int selected) override
    {
        groupEntries = entries;
        groupSelected = selected;
        ++groupRefills;
    }
    void loadPage(const QString &html) override { pages << html; }
    void stopTimer() override { ++timerStops; }

    QString caption;
    quint32 toolbarColor = 0xFFFFFFFF;
    bool toolbarEnabled = true;
    int pumps = 0;
    std::function<void()> onPump;
    QStringList messages;
    QStringList errors;
    QStringList groupEntries{Texts::AllGroups};
    int groupSelected = 0;
    int groupRefills = 0;
    QStringList pages;
    int timerStops = 0;
};

QByteArray item(const QByteArray &firm, const QByteArray &group, const QByteArray &text)
{
    return "<zelton_information><ZELTON_FIRMA>" + firm + "</ZELTON_FIRMA>"
           "<ZELTON_BACKGROUNG>102030</ZELTON_BACKGROUNG><ZELTON_BARVA_BARVA>FFFFFF</ZELTON_BARVA_BARVA>"
           "<ZELTON_BARVA_BARVATEXT>000000</ZELTON_BARVA_BARVATEXT><ZELTON_SKUPINA_POPIS>" + group +
           "</ZELTON_SKUPINA_POPIS><ZELTON_DATE>2026-12-10</ZELTON_DATE><ZELTON_TEXT>" + text +
           "</ZELTON_TEXT></zelton_information>";
}

const QByteArray Info = "<zelton_other_information><ZT_INFO_INFORMACE>O n\xc3\xa1s</ZT_INFO_INFORMACE>"
                        "<ZT_INFO_KONTAKT>Telefon</ZT_INFO_KONTAKT></zelton_other_information>";

QByteArray feed(const QByteArray &children, const QByteArray &encoding = "UTF-8")
{
    return "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>\n<feed>" + children + "</feed>";
}

const QByteArray GoodFeed = feed(item("Spolek", "Sport", "Z\xc3\xa1vod") + item("Spolek", "Kultura", "Koncert") + Info);

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestRefreshCycle : public QObject
{
    Q_OBJECT

private:
    // One reader's files, its feed server and a cycle over them.
    struct Fixture
    {
        explicit Fixture(QByteArray body, int status = 200)
            : served(std::move(body))
            , server([this, status](const QByteArray &) {
                LocalHttpServer::Response response;
                response.status = status;
                response.body = served;
                return response;
            })
            , paths(dir.path())
            , settings(paths.settingsFile())
            , cycle(host, state, settings, paths, server.baseUrl())
        {
            QDir(dir.path()).mkdir(QStringLiteral("tmp"));
            state.organizationId = QStringLiteral("demo");
            DownloadLimits limits;
            limits.idleTimeoutMs = 2000;
            limits.totalTimeoutMs = 4000;
            cycle.setDownloadLimits(limits);
        }

        QStringList tempFiles() const
        {
            return QDir(paths.workFolder()).entryList(QDir::Files);
        }

        QByteArray served;
        QTemporaryDir dir;
        LocalHttpServer server;
        ReaderPaths paths;
        SettingsFile settings;
        RecordingHost host;
        ReaderState state;
        RefreshCycle cycle;
    };

    static void verifyFailureExit(Fixture &f, const QString &message)
    {
        QCOMPARE(f.host.messages, QStringList{message});
        QVERIFY(f.host.toolbarEnabled);
        QCOMPARE(f.host.timerStops, 1);
        QVERIFY(!f.cycle.document().isOpen());
        QVERIFY(f.host.pages.isEmpty());
        QCOMPARE(f.host.groupRefills, 0);
        // A failed cycle stores none of the user's choices.
        QCOMPARE(f.settings.ReadString(SettingsKeys::Group, QStringLiteral("-")), QStringLiteral("-"));
        QCOMPARE(f.settings.ReadString(SettingsKeys::FontSize, QStringLiteral("-")), QStringLiteral("-"));
        QCOMPARE(f.settings.ReadString(SettingsKeys::Style, QStringLiteral("-")), QStringLiteral("-"));
    }

private slots:
    void shouldCompleteCycleAndShowNewsPage()
    {
        Fixture f(GoodFeed);
        f.cycle.NactiXML();

        QVERIFY(f.host.messages.isEmpty());
        QVERIFY(f.host.errors.isEmpty());
        QCOMPARE(f.host.pages.size(), 1);
        QCOMPARE(f.host.pages.first(), f.state.mainPageHtml);
        QVERIFY(f.state.mainPageHtml.contains(QStringLiteral("Závod")));
        QVERIFY(f.state.mainPageHtml.contains(QStringLiteral("Koncert")));
        QVERIFY(f.state.infoPageHtml.contains(QStringLiteral("O nás")));
        QVERIFY(!f.state.mainPageHtml.contains(Texts::OfflineMark));
        QCOMPARE(f.host.caption, QStringLiteral("Spolek - 1.50"));
        QCOMPARE(f.host.toolbarColor, quint32(0x302010));
        QCOMPARE(f.host.groupEntries, (QStringList{Texts::AllGroups, QStringLiteral("Kultura"), QStringLiteral("Sport")}));
        QVERIFY(f.host.toolbarEnabled);
        QVERIFY(f.host.pumps >= 4);  // before the fetch and after each of three elements
        QCOMPARE(f.host.timerStops, 0);
        QVERIFY(f.cycle.document().isOpen());
        QVERIFY(f.tempFiles().isEmpty());
        QCOMPARE(readFile(f.paths.offlineCopy()), GoodFeed);
        QCOMPARE(f.settings.ReadString(SettingsKeys::Group, {}), Texts::AllGroups);
        QCOMPARE(f.settings.ReadInteger(SettingsKeys::FontSize, -5), 4);
        QCOMPARE(f.settings.ReadInteger(SettingsKeys::Style, -5), 1);
        QCOMPARE(f.server.requestLines(),
                 QList<QByteArray>{"GET /reader/xml.php?id=demo&user=DELPHI%20-%20Vymazano&aplikace=DELPHI&verze=1.50 HTTP/1.1"});
    }

    void shouldShowPageOfViewMode_data()
    {
        QTest::addColumn<QString>("viewMode");
        QTest::addColumn<QString>("expected");
        QTest::newRow("news") << "S" << "Závod";
        QTest::newRow("information") << "I" << "O nás";
        QTest::newRow("contacts") << "K" << "Telefon";
    }
    void shouldShowPageOfViewMode()
    {
        QFETCH(QString, viewMode);
        QFETCH(QString, expected);
        Fixture f(GoodFeed);
        f.state.viewMode = viewMode;
        f.cycle.NactiXML();
        QCOMPARE(f.host.pages.size(), 1);
        QVERIFY(f.host.pages.first().contains(expected));
    }

    void shouldKeepStoredGroupInFirstCycleOnly()
    {
        Fixture f(GoodFeed);
        f.settings.WriteString(SettingsKeys::Group, QStringLiteral("Sport"));
        f.host.groupEntries = {Texts::AllGroups, QStringLiteral("Sport")};
        f.host.groupSelected = 1;
        f.cycle.NactiXML();
        QVERIFY(f.state.mainPageHtml.contains(QStringLiteral("Závod")));
        QVERIFY(!f.state.mainPageHtml.contains(QStringLiteral("Koncert")));
        QCOMPARE(f.host.groupSelected, 2);  // "Vše", "Kultura", "Sport"

        // After the window was activated the list's own choice is kept.
        f.state.firstLoad = false;
        f.host.groupSelected = 1;
        f.cycle.NactiXML();
        QCOMPARE(f.settings.ReadString(SettingsKeys::Group, {}), QStringLiteral("Kultura"));
    }

    // A group name comes from the feed; stored, its line break must not start a key.
    void shouldStoreChosenGroupWithLineBreakOnOneLine()
    {
        Fixture f(feed(item("Spolek", "Sport&#10;ID=other", "text") + Info));
        f.settings.WriteString(SettingsKeys::Id, QStringLiteral("demo"));
        f.cycle.NactiXML();
        const QString hostile = QStringLiteral("Sport\nID=other");
        QVERIFY(f.host.groupEntries.contains(hostile));

        // The user chooses that group; the next cycle stores it.
        f.state.firstLoad = false;
        f.host.groupSelected = int(f.host.groupEntries.indexOf(hostile));
        f.cycle.NactiXML();

        QCOMPARE(f.host.pages.size(), 2);
        QCOMPARE(f.settings.ReadString(SettingsKeys::Group, {}), QStringLiteral("Sport ID=other"));
        QCOMPARE(f.settings.ReadString(SettingsKeys::Id, {}), QStringLiteral("demo"));
        QCOMPARE(readFile(f.paths.settingsFile()),
                 QByteArray("[ZELTON_INFO_READER]\nID=demo\nSkupina=Sport ID=other\nFontSize=4\nVzhled=1\n"));
    }

    void shouldFailWithoutConnectionAndOfflineCopy()
    {
        Fixture f(GoodFeed, 404);
        f.cycle.NactiXML();
        verifyFailureExit(f, Texts::NoConnection);
        QVERIFY(!QFile::exists(f.paths.offlineCopy()));
    }

    void shouldFallBackToOfflineCopy()
    {
        Fixture f(GoodFeed);
        f.server.stop();
        writeFile(f.paths.offlineCopy(), GoodFeed);
        f.cycle.NactiXML();

        QVERIFY(f.host.messages.isEmpty());
        QCOMPARE(f.host.pages.size(), 1);
        for (const QString *page : {&f.state.mainPageHtml, &f.state.infoPageHtml, &f.state.contactsPageHtml})
            QVERIFY(page->contains(QStringLiteral("<div>Offline</div>")));
        QCOMPARE(readFile(f.paths.offlineCopy()), GoodFeed);
        QCOMPARE(f.host.timerStops, 0);
    }

    void shouldFailWhenWorkFolderIsTakenByFile()
    {
        Fixture f(GoodFeed, 500);
        QDir(f.paths.workFolder()).removeRecursively();
        writeFile(f.paths.workFolder(), "not a folder");
        writeFile(f.paths.offlineCopy(), GoodFeed);
        f.cycle.NactiXML();
        verifyFailureExit(f, Texts::NoTempFeed);
    }

    void shouldReportParserMessageForMalformedFeed()
    {
        Fixture f("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<feed><zelton_information>\n</feed>");
        writeFile(f.paths.offlineCopy(), GoodFeed);
        f.cycle.NactiXML();

        QCOMPARE(f.host.messages.size(), 1);
        QVERIFY(f.host.messages.first().contains(QStringLiteral("\r\nLine: 3\r\n")));
        QCOMPARE(f.host.timerStops, 1);
        QVERIFY(!f.cycle.document().isOpen());
        QCOMPARE(f.tempFiles().size(), 1);  // left for the user to look at
        QCOMPARE(readFile(f.paths.offlineCopy()), GoodFeed);
    }

    void shouldRefuseFeedNotDeclaredUtf8()
    {
        Fixture f(feed(item("Spolek", "Sport", "text") + Info, "windows-1250"));
        f.cycle.NactiXML();
        verifyFailureExit(f, Texts::NotUtf8);
        QCOMPARE(f.tempFiles().size(), 1);
        QVERIFY(!QFile::exists(f.paths.offlineCopy()));
    }

    // A feed that fails on an element never replaces the last good feed.
    void shouldKeepOfflineCopyWhenElementFails_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("caption");
        QTest::newRow("no items") << feed(Info) << QString();
        QTest::newRow("no organization info") << feed(item("Nový spolek", "Sport", "text")) << "Nový spolek - 1.50";
        QTest::newRow("faulty item") << feed(item("Spolek", "Sport", "<b>tučně</b>") + Info) << "Spolek - 1.50";
    }
    void shouldKeepOfflineCopyWhenElementFails()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, caption);
        Fixture f(body);
        writeFile(f.paths.offlineCopy(), GoodFeed);
        f.cycle.NactiXML();

        verifyFailureExit(f, Texts::BadTag);
        QCOMPARE(f.host.caption, caption);
        QCOMPARE(readFile(f.paths.offlineCopy()), GoodFeed);
        QCOMPARE(f.tempFiles().size(), 1);
    }

    // A tick that falls due while the cycle pumps must not start a second cycle on the
    // same state.
    void shouldSkipCycleStartedWhileOneRuns()
    {
        Fixture f(GoodFeed);
        int nested = 0;
        f.host.onPump = [&] {
            ++nested;
            QVERIFY(f.cycle.isRunning());
            f.cycle.NactiXML();
        };
        f.cycle.NactiXML();

        QVERIFY(nested > 0);
        QVERIFY(!f.cycle.isRunning());
        QCOMPARE(f.server.requestLines().size(), 1);
        QCOMPARE(f.host.pages.size(), 1);
        QVERIFY(f.tempFiles().isEmpty());
        QVERIFY(f.host.toolbarEnabled);
    }

    void shouldReportFailedSettingsWriteAndUnlockToolbar()
    {
        Fixture f(GoodFeed);
        // The settings file cannot be written: its folder is a plain file.
        const QString blocked = f.dir.filePath(QStringLiteral("blocked"));
        writeFile(blocked, "file");
        SettingsFile unwritable(blocked + QStringLiteral("/Settings.ini"));
        RefreshCycle cycle(f.host, f.state, unwritable, f.paths, f.server.baseUrl());
        cycle.NactiXML();

        QCOMPARE(f.host.pages.size(), 1);
        QCOMPARE(f.host.errors.size(), 1);
        QVERIFY(f.host.errors.first().startsWith(QStringLiteral("Unable to write to ")));
        QVERIFY(f.host.toolbarEnabled);
        QCOMPARE(f.host.timerStops, 0);
        QCOMPARE(f.tempFiles().size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestRefreshCycle)
#include "TestRefreshCycle.moc"
