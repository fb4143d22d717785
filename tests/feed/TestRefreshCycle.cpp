#include "common/ReaderPaths.h"
#include "common/Texts.h"
#include "feed/RefreshCycle.h"
#include "feed/RefreshHost.h"
#include "feed/StoredChoices.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsKeys.h"
#include "support/FeedBuilder.h"
#include "support/FileInode.h"
#include "support/FileBytes.h"
#include "support/LocalHttpServer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

// A window that records what the cycle did to it and stores the choices as the reader's
// window does.
class RecordingHost : public RefreshHost
{
public:
    void setToolbarEnabled(bool enabled) override { toolbarEnabled = enabled; }
    void showLook(const WindowLook &look) override
    {
        if (look.caption)
            caption = *look.caption;
        if (look.toolbarColor)
            toolbarColor = *look.toolbarColor;
    }
    void pumpEvents() override
    {
        ++pumps;
        if (onPump)
            onPump();
    }
    void showMessage(const QString &text) override
    {
        messages << text;
        captionsAtMessages << caption;
    }
    void showError(const QString &message) override { errors << message; }
    void showPage(const QString &html) override { pages << html; }
    void cycleCompleted(const CycleOutcome &completed) override
    {
        outcome = completed;
        groupEntries = completed.groupList.entries;
        groupSelected = completed.groupList.selected;
        ++groupRefills;
        storeChoices(*settings, completed.choices);
    }
    void cycleFailed() override { ++timerStops; }

    int groupIndex() const { return groupEntries.isEmpty() ? -1 : groupSelected; }
    QString groupText() const { return groupIndex() < 0 ? QString() : groupEntries.at(groupSelected); }

    SettingsFile *settings = nullptr;
    CycleOutcome outcome;  // the last completed cycle's
    QString caption;
    quint32 toolbarColor = 0xFFFFFFFF;
    bool toolbarEnabled = true;
    int pumps = 0;
    std::function<void()> onPump;
    QStringList messages;
    QStringList captionsAtMessages;  // the caption each message box appeared under
    QStringList errors;
    QStringList groupEntries{Texts::AllGroups};
    int groupSelected = 0;
    int groupRefills = 0;
    QStringList pages;
    int timerStops = 0;
};

FeedItem item(const QString &firm, const QString &group, const QString &text)
{
    return FeedItem::news(firm, group, text)
        .set(QStringLiteral("ZELTON_BACKGROUNG"), QStringLiteral("102030"))
        .set(QStringLiteral("ZELTON_BARVA_BARVA"), QStringLiteral("FFFFFF"))
        .set(QStringLiteral("ZELTON_BARVA_BARVATEXT"), QStringLiteral("000000"))
        .set(QStringLiteral("ZELTON_DATE"), QStringLiteral("2026-12-10"));
}

const FeedItem Info = FeedItem::info(QStringLiteral("O nás")).set(QStringLiteral("ZT_INFO_KONTAKT"), QStringLiteral("Telefon"));

const QByteArray GoodFeed = FeedBuilder()
                                .add(item(QStringLiteral("Spolek"), QStringLiteral("Sport"), QStringLiteral("Závod")))
                                .add(item(QStringLiteral("Spolek"), QStringLiteral("Kultura"), QStringLiteral("Koncert")))
                                .add(Info)
                                .bytes();

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
            , servedStatus(status)
            , server([this](const QByteArray &) {
                LocalHttpServer::Response response;
                response.status = servedStatus;
                response.body = served;
                return response;
            })
            , paths(dir.path())
            , settings(paths.settingsFile())
            , cycle(host, paths, server.baseUrl())
        {
            QDir(dir.path()).mkdir(QStringLiteral("tmp"));
            host.settings = &settings;
            DownloadLimits limits;
            limits.idleTimeoutMs = 2000;
            limits.totalTimeoutMs = 4000;
            cycle.setDownloadLimits(limits);
        }

        // The choices of a window whose font size list shows "12" (entry 4) and whose style
        // list the second style; `restoredGroup` as the window gives it.
        ReaderChoices choices(const QString &restoredGroup) const
        {
            ReaderChoices choices;
            choices.organizationId = QStringLiteral("demo");
            choices.version = QStringLiteral("1.50");
            choices.fontSizeIndex = 4;
            choices.fontSizeText = QStringLiteral("12");
            choices.style = 1;
            choices.groupIndex = host.groupIndex();
            choices.groupText = host.groupText();
            choices.viewMode = viewMode;
            choices.restoredGroup = restoredGroup;
            return choices;
        }

        // Runs a cycle that keeps the group list's own choice.
        void run() { run(host.groupText()); }
        void run(const QString &restoredGroup)
        {
            QCOMPARE(cycle.refresh(choices(restoredGroup)), RefreshCycle::Run::Ran);
        }

        QStringList tempFiles() const
        {
            return QDir(paths.workFolder()).entryList(QDir::Files);
        }

        QByteArray served;
        int servedStatus;
        QTemporaryDir dir;
        LocalHttpServer server;
        ReaderPaths paths;
        SettingsFile settings;
        RecordingHost host;
        QString viewMode = QStringLiteral("S");
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
        QCOMPARE(f.settings.readString(SettingsKeys::Group, QStringLiteral("-")), QStringLiteral("-"));
        QCOMPARE(f.settings.readString(SettingsKeys::FontSize, QStringLiteral("-")), QStringLiteral("-"));
        QCOMPARE(f.settings.readString(SettingsKeys::Style, QStringLiteral("-")), QStringLiteral("-"));
    }

private slots:
    void shouldCompleteCycleAndShowNewsPage()
    {
        Fixture f(GoodFeed);
        f.run();

        QVERIFY(f.host.messages.isEmpty());
        QVERIFY(f.host.errors.isEmpty());
        QCOMPARE(f.host.pages.size(), 1);
        QCOMPARE(f.host.pages.first(), f.host.outcome.pages.main);
        QVERIFY(f.host.outcome.pages.main.contains(QStringLiteral("Závod")));
        QVERIFY(f.host.outcome.pages.main.contains(QStringLiteral("Koncert")));
        QVERIFY(f.host.outcome.pages.info.contains(QStringLiteral("O nás")));
        QVERIFY(!f.host.outcome.pages.main.contains(Texts::OfflineMark));
        QCOMPARE(f.host.caption, QStringLiteral("Spolek - 1.50"));
        QCOMPARE(f.host.toolbarColor, quint32(0x302010));
        QCOMPARE(f.host.groupEntries, (QStringList{Texts::AllGroups, QStringLiteral("Kultura"), QStringLiteral("Sport")}));
        QVERIFY(f.host.toolbarEnabled);
        QVERIFY(f.host.pumps >= 4);  // before the fetch and after each of three elements
        QCOMPARE(f.host.timerStops, 0);
        QVERIFY(f.cycle.document().isOpen());
        QVERIFY(f.tempFiles().isEmpty());
        QCOMPARE(fileBytes(f.paths.offlineCopy()), GoodFeed);
        QCOMPARE(f.settings.readString(SettingsKeys::Group, {}), Texts::AllGroups);
        QCOMPARE(f.settings.readInteger(SettingsKeys::FontSize, -5), 4);
        QCOMPARE(f.settings.readInteger(SettingsKeys::Style, -5), 1);
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
        f.viewMode = viewMode;
        f.run();
        QCOMPARE(f.host.pages.size(), 1);
        QVERIFY(f.host.pages.first().contains(expected));
    }

    // The window names the group to select in the refilled list: the stored one in its first
    // cycle, later the list's own choice.
    void shouldSelectRestoredGroupInRefilledList()
    {
        Fixture f(GoodFeed);
        f.host.groupEntries = {Texts::AllGroups, QStringLiteral("Sport")};
        f.host.groupSelected = 1;
        f.run(QStringLiteral("Sport"));
        QVERIFY(f.host.outcome.pages.main.contains(QStringLiteral("Závod")));
        QVERIFY(!f.host.outcome.pages.main.contains(QStringLiteral("Koncert")));
        QCOMPARE(f.host.groupSelected, 2);  // "Vše", "Kultura", "Sport"
        QCOMPARE(f.host.outcome.groupList.selected, 2);

        f.host.groupSelected = 1;
        f.run();
        QCOMPARE(f.settings.readString(SettingsKeys::Group, {}), QStringLiteral("Kultura"));
    }

    // A group name comes from the feed; stored, its line break must not start a key.
    void shouldStoreChosenGroupWithLineBreakOnOneLine()
    {
        const QString hostile = QStringLiteral("Sport\nID=other");
        Fixture f(FeedBuilder().add(item(QStringLiteral("Spolek"), hostile, QStringLiteral("text"))).add(Info).bytes());
        f.settings.writeString(SettingsKeys::Id, QStringLiteral("demo"));
        f.run();
        QVERIFY(f.host.groupEntries.contains(hostile));

        // The user chooses that group; the next cycle stores it.
        f.host.groupSelected = int(f.host.groupEntries.indexOf(hostile));
        f.run();

        QCOMPARE(f.host.pages.size(), 2);
        QCOMPARE(f.settings.readString(SettingsKeys::Group, {}), QStringLiteral("Sport ID=other"));
        QCOMPARE(f.settings.readString(SettingsKeys::Id, {}), QStringLiteral("demo"));
        QCOMPARE(fileBytes(f.paths.settingsFile()),
                 QByteArray("[ZELTON_INFO_READER]\nID=demo\nSkupina=Sport ID=other\nFontSize=4\nVzhled=1\n"));
    }

    void shouldFailWithoutConnectionAndOfflineCopy()
    {
        Fixture f(GoodFeed, 404);
        f.run();
        verifyFailureExit(f, Texts::NoConnection);
        QVERIFY(!QFile::exists(f.paths.offlineCopy()));
    }

    void shouldFallBackToOfflineCopy()
    {
        Fixture f(GoodFeed);
        f.server.stop();
        writeFile(f.paths.offlineCopy(), GoodFeed);
        const ino_t copy = inodeOf(f.paths.offlineCopy());
        f.run();

        QVERIFY(f.host.messages.isEmpty());
        QCOMPARE(f.host.pages.size(), 1);
        for (const QString *page : {&f.host.outcome.pages.main, &f.host.outcome.pages.info, &f.host.outcome.pages.contacts})
            QVERIFY(page->contains(QStringLiteral("<div>Offline</div>")));
        QCOMPARE(fileBytes(f.paths.offlineCopy()), GoodFeed);
        // The copy is what was read: it is left as it is, not written again.
        QCOMPARE(inodeOf(f.paths.offlineCopy()), copy);
        QCOMPARE(f.host.timerStops, 0);
    }

    void shouldFailWhenWorkFolderIsTakenByFile()
    {
        Fixture f(GoodFeed, 500);
        QDir(f.paths.workFolder()).removeRecursively();
        writeFile(f.paths.workFolder(), "not a folder");
        writeFile(f.paths.offlineCopy(), GoodFeed);
        f.run();
        verifyFailureExit(f, Texts::NoTempFeed);
    }

    void shouldReportParserMessageForMalformedFeed()
    {
        Fixture f("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<feed><zelton_information>\n</feed>");
        writeFile(f.paths.offlineCopy(), GoodFeed);
        f.run();

        QCOMPARE(f.host.messages.size(), 1);
        QVERIFY(f.host.messages.first().contains(QStringLiteral("\r\nLine: 3\r\n")));
        QCOMPARE(f.host.timerStops, 1);
        QVERIFY(!f.cycle.document().isOpen());
        QCOMPARE(f.tempFiles().size(), 1);  // left for the user to look at
        QCOMPARE(fileBytes(f.paths.offlineCopy()), GoodFeed);
    }

    void shouldRefuseFeedNotDeclaredUtf8()
    {
        Fixture f(FeedBuilder().add(item(QStringLiteral("Spolek"), QStringLiteral("Sport"), QStringLiteral("text"))).add(Info).bytes("windows-1250"));
        f.run();
        verifyFailureExit(f, Texts::NotUtf8);
        QCOMPARE(f.tempFiles().size(), 1);
        QVERIFY(!QFile::exists(f.paths.offlineCopy()));
    }

    // A feed that fails on an element never replaces the last good feed.
    void shouldKeepOfflineCopyWhenElementFails_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("caption");
        QTest::newRow("no items") << FeedBuilder().add(Info).bytes() << QString();
        QTest::newRow("no organization info")
            << FeedBuilder().add(item(QStringLiteral("Nový spolek"), QStringLiteral("Sport"), QStringLiteral("text"))).bytes()
            << "Nový spolek - 1.50";
        // Markup inside the text: an element where only text may be.
        QTest::newRow("faulty item")
            << FeedBuilder()
                   .add(item(QStringLiteral("Spolek"), QStringLiteral("Sport"), {}).setUnreadable(QStringLiteral("ZELTON_TEXT")))
                   .add(Info)
                   .bytes()
            << "Spolek - 1.50";
    }
    void shouldKeepOfflineCopyWhenElementFails()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, caption);
        Fixture f(body);
        writeFile(f.paths.offlineCopy(), GoodFeed);
        f.run();

        verifyFailureExit(f, Texts::BadTag);
        QCOMPARE(f.host.caption, caption);
        QCOMPARE(fileBytes(f.paths.offlineCopy()), GoodFeed);
        QCOMPARE(f.tempFiles().size(), 1);
    }

    // Each item's caption and colour reach the window at the pump after that item; those of
    // a failing item before its message.
    void shouldShowEachItemsLookAtThePumpAfterIt()
    {
        const QByteArray body = FeedBuilder()
                                    .add(item(QStringLiteral("První"), QStringLiteral("Sport"), QStringLiteral("a")))
                                    .add(item(QStringLiteral("Druhý"), QStringLiteral("Sport"), QStringLiteral("b"))
                                             .set(QStringLiteral("ZELTON_BACKGROUNG"), QStringLiteral("0A0B0C")))
                                    .add(item(QStringLiteral("Vadný"), QStringLiteral("Sport"), {})
                                             .setUnreadable(QStringLiteral("ZELTON_TEXT")))
                                    .add(Info)
                                    .bytes();
        Fixture f(body);
        QStringList captions;
        QList<quint32> colors;
        f.host.onPump = [&] {
            captions << f.host.caption;
            colors << f.host.toolbarColor;
        };
        f.run();

        // Before the fetch, then after each of the two good items.
        QCOMPARE(captions, (QStringList{QString(), QStringLiteral("První - 1.50"), QStringLiteral("Druhý - 1.50")}));
        QCOMPARE(colors, (QList<quint32>{0xFFFFFFFF, 0x302010, 0x0C0B0A}));
        QCOMPARE(f.host.messages, QStringList{Texts::BadTag});
        QCOMPARE(f.host.captionsAtMessages, QStringList{QStringLiteral("Vadný - 1.50")});
        QCOMPARE(f.host.toolbarColor, quint32(0x302010));
    }

    // A tick that falls due while the cycle pumps must not start a second cycle on the
    // same state.
    // A refresh whose download is byte for byte the feed of the shown page, with the same
    // choices, ends after the download: nothing would come out otherwise. Anything else
    // between the two cycles makes the second a whole one.
    void shouldEndUnchangedRefreshAfterDownload_data()
    {
        QTest::addColumn<QString>("between");
        QTest::addColumn<bool>("whole");
        QTest::newRow("nothing") << QString() << false;
        QTest::newRow("feed changed") << QStringLiteral("feed") << true;
        QTest::newRow("style chosen") << QStringLiteral("style") << true;
        QTest::newRow("information page") << QStringLiteral("page") << true;
        QTest::newRow("offline copy deleted") << QStringLiteral("copy") << true;
        QTest::newRow("offline cycle") << QStringLiteral("offline") << true;
        QTest::newRow("failed cycle") << QStringLiteral("failed") << true;
    }

    void shouldEndUnchangedRefreshAfterDownload()
    {
        QFETCH(QString, between);
        QFETCH(bool, whole);
        Fixture f(GoodFeed);
        f.run();
        QCOMPARE(f.host.pages.size(), 1);

        int style = 1;
        if (between == u"feed") {
            f.served = FeedBuilder().add(item(QStringLiteral("Spolek"), QStringLiteral("Sport"), QStringLiteral("Jiný závod"))).add(Info).bytes();
        } else if (between == u"style") {
            style = 2;
        } else if (between == u"page") {
            f.viewMode = QStringLiteral("I");
        } else if (between == u"copy") {
            QVERIFY(QFile::remove(f.paths.offlineCopy()));
        } else if (between == u"offline" || between == u"failed") {
            f.servedStatus = 500;
            if (between == u"failed")
                QVERIFY(QFile::remove(f.paths.offlineCopy()));
            f.run();
            f.servedStatus = 200;
        }
        f.host.pages.clear();
        const int refills = f.host.groupRefills;
        ReaderChoices choices = f.choices(f.host.groupText());
        choices.style = style;
        QCOMPARE(f.cycle.refresh(choices), RefreshCycle::Run::Ran);

        QCOMPARE(f.host.pages.size(), whole ? 1 : 0);
        QCOMPARE(f.host.groupRefills, refills + (whole ? 1 : 0));
        QVERIFY(f.host.toolbarEnabled);
        QVERIFY(f.host.errors.isEmpty());
        QCOMPARE(f.tempFiles(), QStringList());  // the downloaded feed is gone either way
        QCOMPARE(fileBytes(f.paths.offlineCopy()), f.served);
        QVERIFY(f.cycle.document().isOpen());
        if (whole)
            QVERIFY(!f.host.pages.first().contains(Texts::OfflineMark));
    }

    void shouldSkipCycleStartedWhileOneRuns()
    {
        Fixture f(GoodFeed);
        int nested = 0;
        f.host.onPump = [&] {
            ++nested;
            QVERIFY(f.cycle.isRunning());
            QCOMPARE(f.cycle.refresh(f.choices(Texts::AllGroups)), RefreshCycle::Run::Skipped);
        };
        f.run();

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
        f.host.settings = &unwritable;
        f.run();

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
