#include "app/ReaderWindow.h"

#include "app/ErrorBox.h"
#include "app/IdPrompt.h"
#include "app/FindBar.h"
#include "app/NewsWatch.h"
#include "app/ReaderToolbar.h"
#include "app/ToolbarGlyphs.h"
#include "app/WindowGeometry.h"
#include "common/AtomicSave.h"
#include "common/LargeBuffers.h"
#include "common/ReaderError.h"
#include "common/Texts.h"
#include "feed/FeedFiles.h"
#include "feed/StoredChoices.h"
#include "render/Colors.h"
#include "render/GroupFilter.h"
#include "render/HtmlPieces.h"
#include "settings/BrowserEmulation.h"
#include "settings/SettingsKeys.h"
#include "view/HtmlView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int RefreshIntervalMs = 600'000;
constexpr qint64 PumpIntervalMs = 10;

} // namespace

ReaderWindow::ReaderWindow(ReaderConfig config, QWidget *parent)
    : QWidget(parent)
    , m_config(std::move(config))
    , m_settings(m_config.paths.settingsFile())
{
    keepLargeBuffersOffTheHeap();
    if (!m_config.idPrompt)
        m_config.idPrompt = [this] { return askForOrganizationId(this); };
    m_cycle = std::make_unique<RefreshCycle>(static_cast<RefreshHost &>(*this), m_config.paths, m_config.baseUrl);
    buildDesign();
    m_newsWatch = new NewsWatch(this, m_view, m_config.paths.seenNewsFile());
    startUp();
}

ReaderWindow::~ReaderWindow() = default;

void ReaderWindow::buildDesign()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(Texts::WindowCaption);
    setWindowIcon(applicationIcon());
    setMinimumSize(minimumClientSizeFor(QMargins()));  // fitted to the frame once it is known
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    resize(444, 496);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_toolbar = new ReaderToolbar(this);
    layout->addWidget(m_toolbar);
    buildViewPanel(layout);
    // The find bar stands between the toolbar and the page and is visited between them.
    m_findBar = new FindBar(m_view, this);
    layout->insertWidget(1, m_findBar);
    m_findBar->joinTabOrder(m_toolbar->controlsInTabOrder().constLast(), m_view);

    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setObjectName(QStringLiteral("Timer1"));
    buildCommands();
}

void ReaderWindow::buildViewPanel(QVBoxLayout *layout)
{
    m_viewPanel = new QWidget(this);
    m_viewPanel->setObjectName(QStringLiteral("Panel2"));
    auto *viewLayout = new QVBoxLayout(m_viewPanel);
    viewLayout->setContentsMargins(0, 0, 0, 0);
    m_view = new HtmlView(m_viewPanel);
    m_view->setObjectName(QStringLiteral("WebBrowser1"));
    m_view->setCardSelector(HtmlPieces::Card::Selector);
    m_view->setPictureSource(m_config.baseUrl, m_config.paths.pictureCache());
    viewLayout->addWidget(m_view);
    layout->addWidget(m_viewPanel, 1);
}

void ReaderWindow::buildCommands()
{
    // The window holds the commands, so their keys work wherever its focus is.
    addActions(m_toolbar->commands());
    connect(m_toolbar->reloadAction(), &QAction::triggered, this, &ReaderWindow::reloadNews);
    connect(m_toolbar->enterIdAction(), &QAction::triggered, this, &ReaderWindow::askForId);
    connect(m_toolbar->informationAction(), &QAction::triggered, this, &ReaderWindow::showInformation);
    connect(m_toolbar->contactsAction(), &QAction::triggered, this, &ReaderWindow::showContacts);
    connect(m_toolbar->findAction(), &QAction::triggered, m_findBar, &FindBar::open);
    connect(m_toolbar, &ReaderToolbar::styleChosen, this, &ReaderWindow::styleChosen);
    connect(m_toolbar, &ReaderToolbar::groupChosen, this, &ReaderWindow::groupChosen);
    connect(m_toolbar, &ReaderToolbar::fontSizeChosen, this, &ReaderWindow::fontSizeChosen);
    connect(m_refreshTimer, &QTimer::timeout, this, &ReaderWindow::refreshTimerFired);
}

void ReaderWindow::startUp()
{
    if (!ensureWorkFolder(m_config.paths))
        showMessage(Texts::WorkFolderFailed);

    m_refreshTimer->stop();
    m_refreshTimer->setInterval(RefreshIntervalMs);
    m_state.firstLoad = true;

    // Without the browser emulation value the reader still works: say so and go on.
    guarded([] { writeBrowserEmulationValue(); });
    // A save interrupted when the process ended leaves its copy beside the file; none is
    // running now, so every such copy is stale. Only the copies' own names are removed: the
    // user's files beside ours and the temporary feed files in tmp/ stay.
    removeStaleSaveCopies(m_settings.path());
    removeStaleSaveCopies(m_config.paths.offlineCopy());
    removeStaleSaveCopiesIn(m_config.paths.workFolder());
    removeStaleSaveCopiesIn(m_config.paths.pictureCache());

    guarded([this] {
        m_state.organizationId = m_settings.readString(SettingsKeys::Id, QString());
        if (m_state.organizationId.isEmpty()) {
            while (m_state.organizationId.isEmpty())
                m_state.organizationId = m_config.idPrompt();
            m_settings.writeString(SettingsKeys::Id, m_state.organizationId);
        }

        new OuterGeometryKeeper(this, openingOuterRectOnScreens(storedOuterRect(m_settings)));

        m_toolbar->showGroups(initGroupFilter(m_settings.readString(SettingsKeys::Group, Texts::AllGroups)));
        m_toolbar->selectStoredEntries(m_settings.readInteger(SettingsKeys::FontSize, SettingsKeys::DefaultFontSize),
                                       m_settings.readInteger(SettingsKeys::Style, SettingsKeys::DefaultStyle));

        m_state.viewMode = QStringLiteral("S");
        if (m_config.showBeforeFirstCycle)
            show();
        runRefreshCycle();
    });
}

void ReaderWindow::windowActivated()
{
    if (m_view->hasDocument())
        m_view->setFocus(Qt::ActiveWindowFocusReason);
    m_state.firstLoad = false;
    // A running timer keeps counting from when it was started.
    if (!m_refreshTimer->isActive())
        m_refreshTimer->start();
}

void ReaderWindow::storeGeometry()
{
    const QRect outer = frameGeometry();
    m_settings.writeStrings({{SettingsKeys::Left, QString::number(outer.x())},
                             {SettingsKeys::Top, QString::number(outer.y())},
                             {SettingsKeys::Width, QString::number(outer.width())},
                             {SettingsKeys::Height, QString::number(outer.height())}});
}

void ReaderWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        guarded([this] { windowActivated(); });
    if (event->type() == QEvent::ActivationChange)
        m_newsWatch->activationChanged();
}

void ReaderWindow::closeEvent(QCloseEvent *event)
{
    // A close asked for while a cycle runs waits for the cycle's end: the cycle still owns
    // the page, the group list and its temporary file.
    if (m_cycle->isRunning()) {
        m_closeAfterCycle = true;
        event->ignore();
        return;
    }
    // A geometry that cannot be stored is reported, but never keeps the window open.
    guarded([this] { storeGeometry(); });
    event->accept();
}

void ReaderWindow::guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &error) {
        showError(messageOf(error));
    }
}

void ReaderWindow::runRefreshCycle()
{
    m_cycle->refresh(currentChoices());
    if (m_closeAfterCycle && !m_cycle->isRunning()) {
        m_closeAfterCycle = false;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

ReaderChoices ReaderWindow::currentChoices() const
{
    ReaderChoices choices;
    choices.organizationId = m_state.organizationId;
    choices.version = Texts::Version;
    m_toolbar->readChoices(choices);
    choices.viewMode = m_state.viewMode;
    // Until the window was first shown the stored group is the one to keep.
    choices.restoredGroup = m_state.firstLoad ? m_settings.readString(SettingsKeys::Group, Texts::AllGroups)
                                              : choices.groupText;
    return choices;
}

void ReaderWindow::runCommand(const QString &viewMode, const std::function<void()> &command)
{
    guarded([&] {
        if (!viewMode.isEmpty())
            m_state.viewMode = viewMode;
        command();
    });
}

void ReaderWindow::reloadNews() { runCommand(QStringLiteral("S"), [this] { runRefreshCycle(); }); }
void ReaderWindow::showInformation() { runCommand(QStringLiteral("I"), [this] { runRefreshCycle(); }); }
void ReaderWindow::showContacts() { runCommand(QStringLiteral("K"), [this] { runRefreshCycle(); }); }
void ReaderWindow::styleChosen() { runCommand({}, [this] { runRefreshCycle(); }); }
void ReaderWindow::groupChosen() { runCommand(QStringLiteral("S"), [this] { runRefreshCycle(); }); }
void ReaderWindow::fontSizeChosen() { runCommand({}, [this] { runRefreshCycle(); }); }
void ReaderWindow::refreshTimerFired() { runCommand({}, [this] { runRefreshCycle(); }); }

void ReaderWindow::askForId()
{
    runCommand({}, [this] {
        const QString id = m_config.idPrompt();
        if (id.isEmpty())
            return;
        // Stored first: a new ID is kept even when its first cycle fails.
        m_settings.writeString(SettingsKeys::Id, id);
        m_state.organizationId = id;
        runRefreshCycle();
    });
}

// RefreshHost

void ReaderWindow::setToolbarEnabled(bool enabled) { m_toolbar->setLocked(!enabled); }

void ReaderWindow::showLook(const WindowLook &look)
{
    if (look.caption)
        setWindowTitle(*look.caption);
    if (look.toolbarColor)
        m_toolbar->setColor(toQColor(*look.toolbarColor));
}

void ReaderWindow::pumpEvents()
{
    // A cycle pumps after every feed element; more often than a screen refreshes shows the
    // user nothing more, and each pump costs the cycle time of its own.
    if (m_sincePump.isValid() && m_sincePump.elapsed() < PumpIntervalMs)
        return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    m_sincePump.start();
}
void ReaderWindow::showMessage(const QString &text) { showPlainMessage(this, text); }
void ReaderWindow::showError(const QString &message) { showStandardErrorBox(this, message); }
void ReaderWindow::showPage(const QString &html)
{
    // A newer version of the page the user reads keeps their place; another page starts at its top.
    const bool samePage = m_state.viewMode == m_shownViewMode;
    m_shownViewMode = m_state.viewMode;
    m_view->showHtml(html, samePage ? HtmlView::Place::Keep : HtmlView::Place::Top);
}

void ReaderWindow::cycleCompleted(const CycleOutcome &outcome)
{
    m_newsWatch->afterCycle(outcome, m_shownViewMode == QStringLiteral("S"));
    m_toolbar->showGroups(outcome.groupList);
    storeChoices(m_settings, outcome.choices);
}

void ReaderWindow::cycleFailed()
{
    // The automatic refresh waits until the window is activated again.
    m_refreshTimer->stop();
}
