#include "app/ReaderWindow.h"

#include "app/ErrorBox.h"
#include "app/IdPrompt.h"
#include "app/NewsWatch.h"
#include "app/ToolbarGlyphs.h"
#include "app/ToolbarPicture.h"
#include "app/WindowGeometry.h"
#include "common/AtomicSave.h"
#include "common/LargeBuffers.h"
#include "common/ReaderError.h"
#include "common/Texts.h"
#include "feed/FeedFiles.h"
#include "render/Colors.h"
#include "render/GroupFilter.h"
#include "settings/BrowserEmulation.h"
#include "settings/SettingsKeys.h"
#include "view/HtmlView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int RefreshIntervalMs = 600'000;
constexpr int ToolbarHeight = 41;
constexpr int ListFontPoints = 14;
constexpr qint64 PumpIntervalMs = 10;

QStringList fontSizeEntries()
{
    QStringList sizes;
    for (int size = 8; size <= 40; ++size) {
        if (size != 21)  // the list has never offered 21
            sizes << QString::number(size);
    }
    return sizes;
}

QComboBox *makeList(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(QLatin1String(name));
    list->setEditable(false);
    list->setGeometry(geometry);
    return list;
}

// An index outside the list leaves it without a selection, as the stored value asks.
void selectStoredIndex(QComboBox *list, int index)
{
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

} // namespace

ReaderWindow::ReaderWindow(ReaderConfig config, QWidget *parent)
    : QWidget(parent)
    , m_config(std::move(config))
    , m_settings(m_config.paths.settingsFile())
{
    keepLargeBuffersOffTheHeap();
    if (!m_config.askForId)
        m_config.askForId = [this] { return askForOrganizationId(this); };
    m_cycle = std::make_unique<RefreshCycle>(static_cast<RefreshHost &>(*this), m_config.paths, m_config.baseUrl);
    buildDesign();
    m_newsWatch = new NewsWatch(this, m_view, m_config.paths.seenNewsFile());
    FormCreate();
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
    buildToolbar(layout);
    buildViewPanel(layout);

    setTabOrder(m_groupList, m_fontSizeList);
    setTabOrder(m_fontSizeList, m_styleList);
    setTabOrder(m_styleList, m_view);

    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setObjectName(QStringLiteral("Timer1"));
    buildCommands();
}

void ReaderWindow::buildToolbar(QVBoxLayout *layout)
{
    // The toolbar keeps its controls where they were designed, whatever the window's width.
    m_toolbar = new QWidget(this);
    m_toolbar->setObjectName(QStringLiteral("Panel1"));
    m_toolbar->setFixedHeight(ToolbarHeight);
    m_toolbar->setAutoFillBackground(true);
    layout->addWidget(m_toolbar);

    m_reloadPicture = addPicture(ToolbarGlyph::Reload, Texts::HintReload, "Image1", 8);
    m_enterIdPicture = addPicture(ToolbarGlyph::EnterId, Texts::HintEnterId, "Image7", 41);

    m_groupList = makeList(m_toolbar, "ComboBox2", QRect(75, 4, 124, 31));
    m_fontSizeList = makeList(m_toolbar, "ComboBox3", QRect(204, 4, 50, 31));
    m_fontSizeList->addItems(fontSizeEntries());

    m_versionLabel = new QLabel(Texts::Version, m_toolbar);
    m_versionLabel->setObjectName(QStringLiteral("Label1"));
    m_versionLabel->setGeometry(217, 28, 24, 13);
    QFont versionFont(QStringLiteral("Tahoma"), 8);
    versionFont.setBold(true);
    m_versionLabel->setFont(versionFont);
    QPalette versionPalette = m_versionLabel->palette();
    versionPalette.setColor(QPalette::WindowText, Qt::red);
    m_versionLabel->setPalette(versionPalette);

    m_styleList = makeList(m_toolbar, "ComboBox1", QRect(259, 4, 112, 31));
    m_styleList->addItems({Texts::StyleRounded, Texts::StyleSquare, Texts::StyleShadow, Texts::StyleFullWidth});
    m_styleList->setCurrentIndex(0);

    m_informationPicture = addPicture(ToolbarGlyph::Information, Texts::HintInformation, "Image2", 377);
    m_contactsPicture = addPicture(ToolbarGlyph::Contacts, Texts::HintContacts, "Image3", 411);
}

ToolbarPicture *ReaderWindow::addPicture(ToolbarGlyph glyph, const QString &hint, const char *name, int left)
{
    auto *picture = new ToolbarPicture(toolbarGlyph(glyph, devicePixelRatioF()), hint, m_toolbar);
    picture->setObjectName(QLatin1String(name));
    picture->setGeometry(left, 5, 28, 28);
    return picture;
}

void ReaderWindow::buildViewPanel(QVBoxLayout *layout)
{
    m_viewPanel = new QWidget(this);
    m_viewPanel->setObjectName(QStringLiteral("Panel2"));
    auto *viewLayout = new QVBoxLayout(m_viewPanel);
    viewLayout->setContentsMargins(0, 0, 0, 0);
    m_view = new HtmlView(m_viewPanel);
    m_view->setObjectName(QStringLiteral("WebBrowser1"));
    m_view->setPictureSource(m_config.baseUrl, m_config.paths.pictureCache());
    viewLayout->addWidget(m_view);
    layout->addWidget(m_viewPanel, 1);
}

void ReaderWindow::buildCommands()
{
    const auto addCommand = [this](ToolbarPicture *picture, void (ReaderWindow::*handler)()) {
        auto *action = new QAction(picture->toolTip(), this);
        addAction(action);
        connect(action, &QAction::triggered, this, handler);
        connect(picture, &ToolbarPicture::clicked, action, &QAction::trigger);
        return action;
    };
    m_reloadAction = addCommand(m_reloadPicture, &ReaderWindow::Image1Click);
    m_enterIdAction = addCommand(m_enterIdPicture, &ReaderWindow::Image7Click);
    m_informationAction = addCommand(m_informationPicture, &ReaderWindow::Image2Click);
    m_contactsAction = addCommand(m_contactsPicture, &ReaderWindow::Image3Click);
    // The key every reader knows for "load again"; like the picture, it waits for the toolbar.
    m_reloadAction->setShortcut(QKeySequence::Refresh);

    // The lists react to the user's choice only, never to a selection made from code.
    connect(m_styleList, &QComboBox::activated, this, &ReaderWindow::ComboBox1Change);
    connect(m_groupList, &QComboBox::activated, this, &ReaderWindow::ComboBox2Change);
    connect(m_fontSizeList, &QComboBox::activated, this, &ReaderWindow::ComboBox3Change);
    connect(m_refreshTimer, &QTimer::timeout, this, &ReaderWindow::Timer1Timer);
}

void ReaderWindow::FormCreate()
{
    if (!EnsureWorkFolder(m_config.paths))
        showMessage(Texts::WorkFolderFailed);

    QFont listFont(QStringLiteral("Tahoma"));
    listFont.setPointSize(ListFontPoints);
    for (QComboBox *list : {m_styleList, m_groupList, m_fontSizeList})
        list->setFont(listFont);

    m_refreshTimer->stop();
    m_refreshTimer->setInterval(RefreshIntervalMs);
    m_versionLabel->hide();
    m_state.firstLoad = true;

    // Without the browser emulation value the reader still works: say so and go on.
    guarded([] { ZapisDoRegistru(); });
    // A save interrupted when the process ended leaves its copy beside the file; none is
    // running now, so every such copy is stale. Only the copies' own names are removed: the
    // user's files beside ours and the temporary feed files in tmp/ stay.
    removeStaleSaveCopies(m_settings.path());
    removeStaleSaveCopies(m_config.paths.offlineCopy());
    removeStaleSaveCopiesIn(m_config.paths.workFolder());
    removeStaleSaveCopiesIn(m_config.paths.pictureCache());

    guarded([this] {
        m_state.organizationId = m_settings.ReadString(SettingsKeys::Id, QString());
        if (m_state.organizationId.isEmpty()) {
            while (m_state.organizationId.isEmpty())
                m_state.organizationId = m_config.askForId();
            m_settings.WriteString(SettingsKeys::Id, m_state.organizationId);
        }

        applyStoredGeometry();

        showGroupList(InitGroupFilter(m_settings.ReadString(SettingsKeys::Group, Texts::AllGroups)));
        selectStoredIndex(m_fontSizeList, m_settings.ReadInteger(SettingsKeys::FontSize, SettingsKeys::DefaultFontSize));
        selectStoredIndex(m_styleList, m_settings.ReadInteger(SettingsKeys::Style, SettingsKeys::DefaultStyle));

        m_state.viewMode = QStringLiteral("S");
        NactiXML();
    });
}

void ReaderWindow::applyStoredGeometry()
{
    // The stored values are the outer rectangle, frame included.
    const OuterRect stored{m_settings.ReadInteger(SettingsKeys::Left, SettingsKeys::DefaultLeft),
                           m_settings.ReadInteger(SettingsKeys::Top, SettingsKeys::DefaultTop),
                           m_settings.ReadInteger(SettingsKeys::Width, SettingsKeys::DefaultWidth),
                           m_settings.ReadInteger(SettingsKeys::Height, SettingsKeys::DefaultHeight)};
    QRect workArea;
    QRect desktop;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        workArea = screen->availableGeometry();
    for (const QScreen *screen : QGuiApplication::screens())
        desktop |= screen->geometry();
    new OuterGeometryKeeper(this, openingOuterRect(stored, workArea, desktop));
}

void ReaderWindow::FormActivate()
{
    if (m_view->hasDocument())
        m_view->setFocus(Qt::ActiveWindowFocusReason);
    m_state.firstLoad = false;
    // A running timer keeps counting from when it was started.
    if (!m_refreshTimer->isActive())
        m_refreshTimer->start();
}

void ReaderWindow::FormClose()
{
    const QRect outer = frameGeometry();
    m_settings.WriteStrings({{SettingsKeys::Left, QString::number(outer.x())},
                             {SettingsKeys::Top, QString::number(outer.y())},
                             {SettingsKeys::Width, QString::number(outer.width())},
                             {SettingsKeys::Height, QString::number(outer.height())}});
}

void ReaderWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        guarded([this] { FormActivate(); });
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
    guarded([this] { FormClose(); });
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

void ReaderWindow::NactiXML()
{
    if (auto outcome = m_cycle->NactiXML(currentChoices()))
        m_lastOutcome = std::move(*outcome);
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
    choices.fontSizeIndex = m_fontSizeList->currentIndex();
    choices.fontSizeText = m_fontSizeList->currentText();
    choices.style = m_styleList->currentIndex();
    choices.groupIndex = m_groupList->currentIndex();
    choices.groupText = m_groupList->currentText();
    choices.viewMode = m_state.viewMode;
    // Until the window was first shown the stored group is the one to keep.
    choices.restoredGroup = m_state.firstLoad ? m_settings.ReadString(SettingsKeys::Group, Texts::AllGroups)
                                              : choices.groupText;
    return choices;
}

void ReaderWindow::storeChoices(const ReaderChoices &choices)
{
    // One replacement of the file for all three, and none when they are stored already.
    m_settings.WriteStrings({{SettingsKeys::Group, choices.restoredGroup},
                             {SettingsKeys::FontSize, QString::number(choices.fontSizeIndex)},
                             {SettingsKeys::Style, QString::number(choices.style)}});
}

void ReaderWindow::showGroupList(const GroupFilterState &list)
{
    // One batch with painting held back, then one repaint; selecting from code runs no handler.
    m_groupList->setUpdatesEnabled(false);
    m_groupList->clear();
    m_groupList->addItems(list.entries);
    m_groupList->setCurrentIndex(list.selected);
    m_groupList->setUpdatesEnabled(true);
    m_groupList->update();
}

void ReaderWindow::runCommand(const QString &viewMode, const std::function<void()> &command)
{
    guarded([&] {
        if (!viewMode.isEmpty())
            m_state.viewMode = viewMode;
        command();
    });
}

void ReaderWindow::Image1Click() { runCommand(QStringLiteral("S"), [this] { NactiXML(); }); }
void ReaderWindow::Image2Click() { runCommand(QStringLiteral("I"), [this] { NactiXML(); }); }
void ReaderWindow::Image3Click() { runCommand(QStringLiteral("K"), [this] { NactiXML(); }); }
void ReaderWindow::ComboBox1Change() { runCommand({}, [this] { NactiXML(); }); }
void ReaderWindow::ComboBox2Change() { runCommand(QStringLiteral("S"), [this] { NactiXML(); }); }
void ReaderWindow::ComboBox3Change() { runCommand({}, [this] { NactiXML(); }); }
void ReaderWindow::Timer1Timer() { runCommand({}, [this] { NactiXML(); }); }

void ReaderWindow::Image7Click()
{
    runCommand({}, [this] {
        const QString id = m_config.askForId();
        if (id.isEmpty())
            return;
        // Stored first: a new ID is kept even when its first cycle fails.
        m_settings.WriteString(SettingsKeys::Id, id);
        m_state.organizationId = id;
        NactiXML();
    });
}

// RefreshHost

void ReaderWindow::setToolbarEnabled(bool enabled)
{
    m_toolbar->setEnabled(enabled);
    for (QAction *command : {m_reloadAction, m_enterIdAction, m_informationAction, m_contactsAction})
        command->setEnabled(enabled);
}

void ReaderWindow::showLook(const WindowLook &look)
{
    if (look.caption)
        setWindowTitle(*look.caption);
    if (look.toolbarColor) {
        // A palette, not a style sheet: style sheets make every later event pump slow.
        QPalette palette = m_toolbar->palette();
        palette.setColor(QPalette::Window, toQColor(*look.toolbarColor));
        m_toolbar->setPalette(palette);
    }
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
    m_view->WBLoadHTML(html, samePage ? HtmlView::Place::Keep : HtmlView::Place::Top);
}

void ReaderWindow::applyOutcome(const CycleOutcome &outcome)
{
    m_newsWatch->afterCycle(outcome, m_shownViewMode == QStringLiteral("S"));
    if (!outcome.completed) {
        // After a failure the automatic refresh waits until the window is activated again.
        m_refreshTimer->stop();
        return;
    }
    showGroupList(outcome.groupList);
    storeChoices(outcome.choices);
}
