#include "app/ErrorBox.h"
#include "app/ReaderToolbar.h"
#include "app/ToolbarButton.h"
#include "app/ReaderWindow.h"
#include "app/WindowGeometry.h"
#include "common/Texts.h"
#include "settings/BrowserEmulation.h"
#include "settings/SettingsKeys.h"
#include "support/FeedBuilder.h"
#include "support/LocalHttpServer.h"
#include "support/ModalWatcher.h"
#include "support/WebViewTestMain.h"
#include "view/HtmlView.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <climits>
#include <limits>

namespace {

const QByteArray Feed = FeedBuilder()
                            .add(FeedItem::news(QStringLiteral("Spolek"), QStringLiteral("Sport"), QStringLiteral("Závod")))
                            .add(FeedItem::info(QStringLiteral("O nás")))
                            .bytes();

QStringList entriesOf(const QComboBox *list)
{
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries << list->itemText(i);
    return entries;
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;  // stands in for the user's configuration folder
    LocalHttpServer m_server{LocalHttpServer::answering(Feed)};

    // A reader in its own folder whose settings file holds `settings` at start.
    struct Reader
    {
        Reader(const QString &baseUrl, const QList<QPair<QString, QString>> &settings,
               QStringList answers = {QStringLiteral("demo")})
            : answers(std::move(answers))
        {
            {
                SettingsFile file(dir.filePath(QStringLiteral("Settings.ini")));
                for (const auto &[key, value] : settings)
                    file.writeString(key, value);
            }
            window = std::make_unique<ReaderWindow>(ReaderConfig{ReaderPaths(dir.path()), baseUrl, [this] {
                ++asked;
                return this->answers.isEmpty() ? QString() : this->answers.takeFirst();
            }});
        }

        template <typename T>
        T *child(const char *name) const
        {
            return window->findChild<T *>(QLatin1String(name));
        }
        ReaderToolbar *toolbar() const { return window->toolbar(); }
        SettingsFile settings() const { return SettingsFile(dir.filePath(QStringLiteral("Settings.ini"))); }

        QTemporaryDir dir;
        QStringList answers;
        int asked = 0;
        std::unique_ptr<ReaderWindow> window;
    };

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    }

    void shouldAskForIdUntilOneIsTypedAndStoreIt()
    {
        ModalWatcher boxes;
        Reader reader(m_server.baseUrl(), {}, {QString(), QString(), QStringLiteral("moje id")});
        QCOMPARE(reader.asked, 3);
        QCOMPARE(reader.window->state().organizationId, QStringLiteral("moje id"));
        QCOMPARE(reader.settings().readString(SettingsKeys::Id, {}), QStringLiteral("moje id"));
        QVERIFY(boxes.boxes.isEmpty());
        // The first cycle ran with that ID before the window was shown.
        QVERIFY(reader.window->isHidden());
        QCOMPARE(m_server.requestLines().last(),
                 "GET /reader/xml.php?id=moje%20id&user=DELPHI%20-%20Vymazano&aplikace=DELPHI&verze=1.50 HTTP/1.1");
        QVERIFY(reader.window->view()->hasDocument());
    }

    void shouldUseStoredIdWithoutAsking()
    {
        Reader reader(m_server.baseUrl(), {{SettingsKeys::Id, QStringLiteral("spolek")}});
        QCOMPARE(reader.asked, 0);
        QCOMPARE(reader.window->state().organizationId, QStringLiteral("spolek"));
    }

    void shouldStartWithDefaults()
    {
        Reader reader(m_server.baseUrl(), {{SettingsKeys::Id, QStringLiteral("demo")}});
        QCOMPARE(reader.window->size(), QSize(460, 300));
        QCOMPARE(reader.window->state().viewMode, QStringLiteral("S"));
        QVERIFY(reader.window->state().firstLoad);
        QCOMPARE(reader.toolbar()->fontSizeList()->currentText(), QStringLiteral("12"));
        QCOMPARE(reader.toolbar()->styleList()->currentIndex(), 0);
        QCOMPARE(reader.toolbar()->groupList()->currentText(), Texts::AllGroups);
        const QTimer *timer = reader.child<QTimer>("Timer1");
        QVERIFY(!timer->isActive());
        QCOMPARE(timer->interval(), 600000);
        QVERIFY(reader.toolbar()->versionLabel()->isHidden());
        QCOMPARE(reader.toolbar()->versionLabel()->text(), QStringLiteral("1.50"));
        QVERIFY(QDir(reader.dir.filePath(QStringLiteral("tmp"))).exists());
        // The first cycle stored the choices and named the window after the organization.
        QCOMPARE(reader.window->windowTitle(), QStringLiteral("Spolek - 1.50"));
        QCOMPARE(reader.settings().readInteger(SettingsKeys::FontSize, -5), 4);
    }

    void shouldRestoreStoredChoices_data()
    {
        QTest::addColumn<QString>("fontSize");
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("fontIndex");
        QTest::addColumn<int>("styleIndex");
        QTest::addColumn<QStringList>("groupEntries");
        QTest::newRow("stored values") << "31" << "3" << "Sport" << 31 << 3 << QStringList{"Vše", "Sport"};
        QTest::newRow("out of range") << "99" << "-1" << "" << -1 << -1 << QStringList{"Vše"};
        QTest::newRow("not numbers") << "abc" << "x" << "Vše" << 4 << 0 << QStringList{"Vše"};
    }
    void shouldRestoreStoredChoices()
    {
        QFETCH(QString, fontSize);
        QFETCH(QString, style);
        QFETCH(QString, group);
        QFETCH(int, fontIndex);
        QFETCH(int, styleIndex);
        QFETCH(QStringList, groupEntries);
        // No feed: the first cycle fails, so the lists show what start-up selected.
        ModalWatcher boxes;
        Reader reader(QStringLiteral("http://127.0.0.1:1/reader/"),
                      {{SettingsKeys::Id, QStringLiteral("demo")}, {SettingsKeys::FontSize, fontSize},
                       {SettingsKeys::Style, style}, {SettingsKeys::Group, group}});
        QCOMPARE(boxes.texts(), QStringList{Texts::NoConnection});
        QCOMPARE(reader.toolbar()->fontSizeList()->currentIndex(), fontIndex);
        QCOMPARE(reader.toolbar()->styleList()->currentIndex(), styleIndex);
        const QComboBox *groups = reader.toolbar()->groupList();
        QCOMPARE(entriesOf(groups), groupEntries);
        QCOMPARE(groups->currentIndex(), groupEntries.size() - 1);
        if (fontIndex < 0)
            QVERIFY(reader.toolbar()->fontSizeList()->currentText().isEmpty());
    }

    // A stored index outside a list leaves it without a selection: the pages get no font
    // size and the first style, and the completed cycle stores -1 for both.
    void shouldStoreListsWithoutSelectionAsMinusOne()
    {
        Reader reader(m_server.baseUrl(), {{SettingsKeys::Id, QStringLiteral("demo")},
                                           {SettingsKeys::FontSize, QStringLiteral("99")},
                                           {SettingsKeys::Style, QStringLiteral("7")}});
        const QString page = QString::fromUtf8(reader.window->view()->currentPageBytes());
        QVERIFY(page.contains(QStringLiteral("font-size: px; letter-spacing")));
        QVERIFY(page.contains(QStringLiteral("border-radius: 5px; \">")));
        QCOMPARE(reader.settings().readInteger(SettingsKeys::FontSize, 0), -1);
        QCOMPARE(reader.settings().readInteger(SettingsKeys::Style, 0), -1);
    }

    // Until the window was first activated, every cycle selects the stored group again: the
    // first cycle the group of the last session, later ones whatever was stored last.
    void shouldKeepStoredGroupUntilFirstActivation()
    {
        Reader reader(m_server.baseUrl(), {{SettingsKeys::Id, QStringLiteral("demo")},
                                           {SettingsKeys::Group, QStringLiteral("Sport")}});
        auto *groups = reader.toolbar()->groupList();
        QCOMPARE(entriesOf(groups), (QStringList{Texts::AllGroups, QStringLiteral("Sport")}));
        QCOMPARE(groups->currentText(), QStringLiteral("Sport"));

        groups->setCurrentIndex(0);
        emit groups->activated(0);
        QVERIFY(reader.window->state().firstLoad);
        QCOMPARE(groups->currentText(), QStringLiteral("Sport"));
        QCOMPARE(reader.settings().readString(SettingsKeys::Group, {}), QStringLiteral("Sport"));
    }

    // Saves interrupted by the end of the process leave copies beside the settings and the
    // offline copy, in the picture cache and among the temporary feed files; the next start
    // removes them by their names, which only the reader makes. The user's own copies, those
    // of earlier versions and the temporary feed files of failed cycles stay.
    void shouldRemoveCopiesOfInterruptedSavesAtStart()
    {
        QTemporaryDir dir;
        SettingsFile(dir.filePath(QStringLiteral("Settings.ini"))).writeString(SettingsKeys::Id, QStringLiteral("demo"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("tmp")));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("pictures")));
        const QString picture = QStringLiteral("pictures/9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08.picture");
        const QString failedFeed = QStringLiteral("tmp/000000042_2026_12_10_10_00_00_000.xml");
        const QStringList stale{QStringLiteral(".Settings.ini.zr-save-AbC123"),
                                QStringLiteral(".Offline_ZeltonReader.xml.zr-save-x9Y8z7"),
                                QStringLiteral("pictures/.9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08.picture.zr-save-Qw3rTy"),
                                QStringLiteral("tmp/.000000043_2026_12_10_10_10_00_000.xml.zr-save-pL9kJh")};
        const QStringList kept{failedFeed,
                               picture,
                               QStringLiteral("Settings.ini.backup"),
                               QStringLiteral("Settings.ini.123456"),
                               QStringLiteral("Settings.ini.AbC123"),
                               QStringLiteral("Offline_ZeltonReader.xml.x9Y8z7"),
                               picture + QStringLiteral(".Qw3rTy"),
                               failedFeed + QStringLiteral(".pL9kJh")};
        for (const QString &name : stale + kept) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("<?xml version=\"1.0\"");
        }

        ReaderWindow window(ReaderConfig{ReaderPaths(dir.path()), m_server.baseUrl(), [] { return QString(); }});

        for (const QString &name : stale)
            QVERIFY2(!QFile::exists(dir.filePath(name)), qPrintable(name));
        for (const QString &name : kept)
            QVERIFY2(QFile::exists(dir.filePath(name)), qPrintable(name));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Offline_ZeltonReader.xml"))));
    }

    void shouldApplyMinimumAndKeepWindowInWorkArea()
    {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        Reader reader(m_server.baseUrl(), {{SettingsKeys::Id, QStringLiteral("demo")},
                                           {SettingsKeys::Left, QStringLiteral("-500")},
                                           {SettingsKeys::Top, QString::number(area.bottom() + 50)},
                                           {SettingsKeys::Width, QStringLiteral("200")},
                                           {SettingsKeys::Height, QStringLiteral("350")}});
        QCOMPARE(reader.window->size(), QSize(460, 350));
        QCOMPARE(reader.window->pos(), QPoint(area.x() < 0 ? 0 : area.x(), area.y() + area.height() - 350));
    }

    void shouldWriteBrowserEmulationValue()
    {
        Reader reader(m_server.baseUrl(), {{SettingsKeys::Id, QStringLiteral("demo")}});
        QFile file(browserEmulationStandInFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.contains("[" + BrowserEmulationKey.toUtf8() + "]"));
        QVERIFY(text.contains("TestStartup=9000"));
    }

    // Without the browser emulation value the reader still starts: the failure is shown
    // and the ID is still asked for, and the first cycle still runs.
    void shouldGoOnWhenBrowserEmulationCannotBeWritten()
    {
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        const QString blocker = m_config.filePath(QStringLiteral("not-a-folder"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        qputenv("XDG_CONFIG_HOME", blocker.toUtf8());
        ModalWatcher boxes;
        const int requests = m_server.requestLines().size();
        Reader reader(m_server.baseUrl(), {});
        qputenv("XDG_CONFIG_HOME", saved);

        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.boxes.first().text, QStringLiteral("Failed to set data for 'TestStartup'"));
        QCOMPARE(boxes.boxes.first().icon, QMessageBox::Critical);
        QCOMPARE(boxes.boxes.first().caption, QStringLiteral("Teststartup"));
        QCOMPARE(reader.asked, 1);
        QCOMPARE(m_server.requestLines().size(), requests + 1);
    }

    void shouldStoreGeometryAtClose()
    {
        Reader reader(m_server.baseUrl(), {{SettingsKeys::Id, QStringLiteral("demo")}});
        reader.window->show();
        reader.window->setGeometry(QRect(40, 50, 600, 420));
        const QMargins frame = reader.window->windowHandle()->frameMargins();
        QVERIFY(reader.window->close());
        // The outer rectangle is stored, frame included.
        const SettingsFile settings = reader.settings();
        QCOMPARE(settings.readInteger(SettingsKeys::Left, 0), reader.window->frameGeometry().x());
        QCOMPARE(settings.readInteger(SettingsKeys::Top, 0), reader.window->frameGeometry().y());
        QCOMPARE(settings.readInteger(SettingsKeys::Width, 0), 600 + frame.left() + frame.right());
        QCOMPARE(settings.readInteger(SettingsKeys::Height, 0), 420 + frame.top() + frame.bottom());
    }

    void shouldCloseEvenWhenGeometryCannotBeStored()
    {
        ModalWatcher boxes;
        Reader reader(m_server.baseUrl(), {{SettingsKeys::Id, QStringLiteral("demo")}});
        reader.window->show();
        // The settings file is replaced by a folder of that name: no write can succeed.
        const QString path = reader.dir.filePath(QStringLiteral("Settings.ini"));
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkpath(path + QStringLiteral("/x")));
        QVERIFY(reader.window->close());
        QVERIFY(!reader.window->isVisible());
        QCOMPARE(boxes.boxes.size(), 1);
        QVERIFY(boxes.boxes.first().text.startsWith(QStringLiteral("Unable to write to ")));
    }

    void shouldBuildDesignedToolbar_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("hint");
        QTest::newRow("reload") << "Image1" << QRect(8, 5, 28, 28) << "Načíst znovu obsah (F5)";
        QTest::newRow("enter ID") << "Image7" << QRect(41, 5, 28, 28) << "Zadej ID organizace (Ctrl+L)";
        QTest::newRow("group filter") << "ComboBox2" << QRect(75, 4, 124, 31) << "";
        QTest::newRow("font size") << "ComboBox3" << QRect(204, 4, 50, 31) << "Velikost písma (Ctrl++, Ctrl+-, Ctrl+0)";
        QTest::newRow("version") << "Label1" << QRect(217, 28, 24, 13) << "";
        QTest::newRow("style") << "ComboBox1" << QRect(259, 4, 112, 31) << "";
        QTest::newRow("information") << "Image2" << QRect(377, 5, 28, 28) << "Informace o organizaci (Ctrl+I)";
        QTest::newRow("contacts") << "Image3" << QRect(411, 5, 28, 28) << "Kontakty (Ctrl+K)";
    }
    void shouldBuildDesignedToolbar()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, hint);
        Reader reader(m_server.baseUrl(), {{SettingsKeys::Id, QStringLiteral("demo")}});
        reader.window->resize(900, 600);
        const QWidget *panel = reader.child<QWidget>("Panel1");
        const QWidget *component = panel->findChild<QWidget *>(name);
        QVERIFY(component);
        QCOMPARE(component->parentWidget(), panel);
        QCOMPARE(component->geometry(), geometry);
        QCOMPARE(component->toolTip(), hint);
        if (const auto *picture = qobject_cast<const ToolbarButton *>(component)) {
            const QImage image = picture->pixmap().toImage();
            QCOMPARE(image.deviceIndependentSize().toSize(), QSize(28, 28));
            QCOMPARE(QColor(image.pixel(0, 0)), QColor(0, 64, 128));
        }
        if (const auto *list = qobject_cast<const QComboBox *>(component)) {
            QVERIFY(!list->isEditable());
            QCOMPARE(list->font().pointSize(), 14);
        }
    }

    void shouldBuildDesignedWindow()
    {
        Reader reader(m_server.baseUrl(), {{SettingsKeys::Id, QStringLiteral("demo")}});
        ReaderWindow &window = *reader.window;
        window.resize(700, 500);
        window.show();
        QCOMPARE(window.objectName(), QStringLiteral("Form1"));
        // The minimum is the outer size, frame included.
        QTRY_COMPARE(window.minimumSize().grownBy(window.windowHandle()->frameMargins()), QSize(460, 300));
        const QWidget *panel1 = reader.child<QWidget>("Panel1");
        const QWidget *panel2 = reader.child<QWidget>("Panel2");
        QTRY_COMPARE(panel1->geometry(), QRect(0, 0, 700, 41));
        QCOMPARE(panel2->geometry(), QRect(0, 41, 700, 459));
        const auto *view = reader.child<HtmlView>("WebBrowser1");
        QVERIFY(view);
        QCOMPARE(view->parentWidget(), panel2);
        QCOMPARE(view->geometry(), panel2->rect());

        const QStringList sizes = entriesOf(reader.toolbar()->fontSizeList());
        QCOMPARE(sizes.size(), 32);
        QCOMPARE(sizes.first(), QStringLiteral("8"));
        QCOMPARE(sizes.at(12), QStringLiteral("20"));
        QCOMPARE(sizes.at(13), QStringLiteral("22"));
        QCOMPARE(sizes.last(), QStringLiteral("40"));
        QCOMPARE(entriesOf(reader.toolbar()->styleList()),
                 (QStringList{"Zaoblené", "Hranaté", "Stín", "100%"}));
    }

    void shouldClampIntoWorkArea_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QRect>("workArea");
        QTest::addColumn<QPoint>("expected");
        const QRect fullHd(0, 0, 1920, 1040);
        QTest::newRow("inside stays") << QRect(100, 80, 460, 300) << fullHd << QPoint(100, 80);
        QTest::newRow("left of the area") << QRect(-500, 10, 460, 300) << fullHd << QPoint(0, 10);
        QTest::newRow("task bar at the left") << QRect(20, 10, 460, 300) << QRect(60, 0, 1860, 1080) << QPoint(60, 10);
        QTest::newRow("task bar at the top") << QRect(20, 0, 460, 300) << QRect(0, 40, 1920, 1040) << QPoint(20, 40);
        QTest::newRow("past the right edge") << QRect(1800, 10, 460, 300) << fullHd << QPoint(1460, 10);
        QTest::newRow("past the bottom edge") << QRect(10, 900, 460, 300) << fullHd << QPoint(10, 740);
        // Wider than the area: the right-edge test moves it negative, the last test to 0.
        QTest::newRow("wider than the area") << QRect(100, 10, 2500, 300) << fullHd << QPoint(0, 10);
        QTest::newRow("taller than the area") << QRect(10, 10, 460, 1500) << fullHd << QPoint(10, 0);
        // The last tests compare with 0, not with the area's edge.
        QTest::newRow("wider than an offset area")
            << QRect(100, 10, 2500, 300) << QRect(60, 0, 1860, 1080) << QPoint(0, 10);
        QTest::newRow("second screen at the left") << QRect(-1500, 10, 460, 300) << QRect(-1920, 0, 1920, 1080)
                                                   << QPoint(0, 10);
    }
    void shouldClampIntoWorkArea()
    {
        QFETCH(QRect, window);
        QFETCH(QRect, workArea);
        QFETCH(QPoint, expected);
        QCOMPARE(clampToWorkArea({window.x(), window.y(), window.width(), window.height()}, workArea), expected);
    }

    // Any stored 32-bit value gives a window that fits the desktop, with no overflow on the way.
    void shouldOpenWithinDesktop_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QRect>("workArea");
        QTest::addColumn<QRect>("desktop");
        QTest::addColumn<QRect>("expected");
        const int most = std::numeric_limits<int>::max();
        const int least = std::numeric_limits<int>::min();
        const QRect area(0, 0, 1920, 1040);
        const QRect screen(0, 0, 1920, 1080);
        QTest::newRow("defaults") << 10 << 10 << 300 << 300 << area << screen << QRect(10, 10, 460, 300);
        QTest::newRow("stored as it is") << 100 << 80 << 800 << 600 << area << screen << QRect(100, 80, 800, 600);
        QTest::newRow("negative sizes") << 10 << 10 << -5 << least << area << screen << QRect(10, 10, 460, 300);
        QTest::newRow("least everywhere") << least << least << least << least << area << screen
                                          << QRect(0, 0, 460, 300);
        QTest::newRow("largest size") << 10 << 10 << most << most << area << screen << QRect(0, 0, 1920, 1080);
        QTest::newRow("8000 x 8000") << 10 << 10 << 8000 << 8000 << area << screen << QRect(0, 0, 1920, 1080);
        QTest::newRow("largest everywhere") << most << most << most << most << area << screen
                                            << QRect(0, 0, 1920, 1080);
        QTest::newRow("left near the largest") << most - 10 << 10 << 460 << 300 << area << screen
                                               << QRect(1460, 10, 460, 300);
        QTest::newRow("top at the largest") << 10 << most << 460 << 300 << area << screen
                                            << QRect(10, 740, 460, 300);
        QTest::newRow("wider than the screen, within the desktop")
            << 10 << 10 << 3000 << 300 << area << QRect(0, 0, 3840, 1080) << QRect(0, 10, 3000, 300);
        QTest::newRow("desktop with a screen at the left")
            << 10 << 10 << most << 300 << area << QRect(-1920, 0, 3840, 1080) << QRect(0, 10, 3840, 300);
        QTest::newRow("desktop smaller than the minimum")
            << 10 << 10 << 1000 << 1000 << QRect(0, 0, 400, 250) << QRect(0, 0, 400, 250) << QRect(0, 0, 460, 300);
        QTest::newRow("no screen") << most << least << most << most << QRect() << QRect()
                                   << QRect(QWIDGETSIZE_MAX, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    void shouldOpenWithinDesktop()
    {
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QRect, workArea);
        QFETCH(QRect, desktop);
        QFETCH(QRect, expected);
        QCOMPARE(openingOuterRect({left, top, width, height}, workArea, desktop), expected);
    }

    void shouldFitClientToFrame_data()
    {
        QTest::addColumn<QSize>("outer");
        QTest::addColumn<QMargins>("frame");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QSize>("minimumClient");
        QTest::newRow("no frame") << QSize(460, 300) << QMargins() << QSize(460, 300) << QSize(460, 300);
        QTest::newRow("title bar and borders") << QSize(640, 480) << QMargins(1, 24, 1, 1) << QSize(638, 455)
                                               << QSize(458, 275);
        QTest::newRow("frame larger than the window") << QSize(460, 300) << QMargins(300, 200, 300, 200)
                                                      << QSize(0, 0) << QSize(0, 0);
    }
    void shouldFitClientToFrame()
    {
        QFETCH(QSize, outer);
        QFETCH(QMargins, frame);
        QFETCH(QSize, client);
        QFETCH(QSize, minimumClient);
        QCOMPARE(clientSizeFor(outer, frame), client);
        QCOMPARE(minimumClientSizeFor(frame), minimumClient);
    }

    // The real window with the most hostile stored values opens inside the desktop and closes.
    void shouldOpenRealWindowWithinDesktopWhateverIsStored()
    {
        const QString most = QString::number(std::numeric_limits<int>::max());
        Reader reader(m_server.baseUrl(), {{SettingsKeys::Id, QStringLiteral("demo")},
                                           {SettingsKeys::Left, most},
                                           {SettingsKeys::Top, most},
                                           {SettingsKeys::Width, most},
                                           {SettingsKeys::Height, most}});
        QRect desktop;
        for (const QScreen *screen : QGuiApplication::screens())
            desktop |= screen->geometry();
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect expected(0, 0, desktop.width(), desktop.height());
        QCOMPARE(openingOuterRect({INT_MAX, INT_MAX, INT_MAX, INT_MAX}, area, desktop), expected);
        QCOMPARE(reader.window->frameGeometry(), expected);
        reader.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(reader.window.get()));
        QTRY_COMPARE_WITH_TIMEOUT(reader.window->frameGeometry(), expected, 60000);
        QVERIFY(reader.window->close());
        QVERIFY(!reader.window->isVisible());
        QCOMPARE(reader.settings().readInteger(SettingsKeys::Width, 0), expected.width());
        QCOMPARE(reader.settings().readInteger(SettingsKeys::Left, -1), expected.x());
    }

    void shouldTitleBoxesAfterExecutable_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("title");
        QTest::newRow("windows") << "ZeltonReader.exe" << "Zeltonreader";
        QTest::newRow("no extension") << "ZeltonReader" << "Zeltonreader";
        QTest::newRow("two dots") << "Zelton.Reader.exe" << "Zelton";
        QTest::newRow("lower case") << "zeltonReader" << "zeltonreader";
    }
    void shouldTitleBoxesAfterExecutable()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, title);
        QCOMPARE(applicationTitleFor(fileName), title);
    }

    void shouldEndErrorMessagesWithFullStop_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << "Unable to write to C:\\x\\Settings.ini" << "Unable to write to C:\\x\\Settings.ini.";
        QTest::newRow("full stop") << "Hotovo." << "Hotovo.";
        QTest::newRow("quote") << "Failed to set data for 'x'" << "Failed to set data for 'x'";
        QTest::newRow("exclamation") << "Pozor!" << "Pozor!";
        QTest::newRow("colon") << "Chyba:" << "Chyba:.";
        QTest::newRow("letter with accent") << "Chyba v kódování" << "Chyba v kódování.";
        QTest::newRow("empty") << "" << "";
    }
    void shouldEndErrorMessagesWithFullStop()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(withFullStop(message), shown);
    }
};

ZR_WEB_VIEW_TEST_MAIN(TestStartup)

#include "TestStartup.moc"
