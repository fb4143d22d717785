#include "app/ReaderWindow.h"

#include "app/ErrorBox.h"
#include "app/IdPrompt.h"
#include "app/ToolbarGlyphs.h"
#include "app/ToolbarPicture.h"
#include "app/WindowGeometry.h"
#include "common/ReaderError.h"
#include "common/Texts.h"
#include "feed/FeedFiles.h"
#include "render/GroupFilter.h"
#include "settings/BrowserEmulation.h"
#include "settings/SettingsKeys.h"
#include "view/Colors.h"
#include "view/HtmlView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int RefreshIntervalMs = 600'000;
constexpr int ToolbarHeight = 41;
constexpr int ListFontPoints = 14;

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
    if (!m_config.askForId)
        m_config.askForId = [this] { return askForOrganizationId(this); };
    m_cycle = std::make_unique<RefreshCycle>(static_cast<RefreshHost &>(*this), m_state, m_settings, m_config.paths, m_config.baseUrl);
    buildDesign();
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

    // The toolbar keeps its controls where they were designed, whatever the window's width.
    m_panel1 = new QWidget(this);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setFixedHeight(ToolbarHeight);
    m_panel1->setAutoFillBackground(true);
    layout->addWidget(m_panel1);

    m_image1 = new ToolbarPicture(toolbarGlyph(ToolbarGlyph::Reload, devicePixelRatioF()), Texts::HintReload, m_panel1);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setGeometry(8, 5, 28, 28);
    m_image7 = new ToolbarPicture(toolbarGlyph(ToolbarGlyph::EnterId, devicePixelRatioF()), Texts::HintEnterId, m_panel1);
    m_image7->setObjectName(QStringLiteral("Image7"));
    m_image7->setGeometry(41, 5, 28, 28);

    m_comboBox2 = makeList(m_panel1, "ComboBox2", QRect(75, 4, 124, 31));
    m_comboBox3 = makeList(m_panel1, "ComboBox3", QRect(204, 4, 50, 31));
    m_comboBox3->addItems(fontSizeEntries());

    m_label1 = new QLabel(Texts::Version, m_panel1);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setGeometry(217, 28, 24, 13);
    QFont versionFont(QStringLiteral("Tahoma"), 8);
    versionFont.setBold(true);
    m_label1->setFont(versionFont);
    QPalette versionPalette = m_label1->palette();
    versionPalette.setColor(QPalette::WindowText, Qt::red);
    m_label1->setPalette(versionPalette);

    m_comboBox1 = makeList(m_panel1, "ComboBox1", QRect(259, 4, 112, 31));
    m_comboBox1->addItems({Texts::StyleRounded, Texts::StyleSquare, Texts::StyleShadow, Texts::StyleFullWidth});
    m_comboBox1->setCurrentIndex(0);

    m_image2 = new ToolbarPicture(toolbarGlyph(ToolbarGlyph::Information, devicePixelRatioF()), Texts::HintInformation, m_panel1);
    m_image2->setObjectName(QStringLiteral("Image2"));
    m_image2->setGeometry(377, 5, 28, 28);
    m_image3 = new ToolbarPicture(toolbarGlyph(ToolbarGlyph::Contacts, devicePixelRatioF()), Texts::HintContacts, m_panel1);
    m_image3->setObjectName(QStringLiteral("Image3"));
    m_image3->setGeometry(411, 5, 28, 28);

    m_panel2 = new QWidget(this);
    m_panel2->setObjectName(QStringLiteral("Panel2"));
    auto *viewLayout = new QVBoxLayout(m_panel2);
    viewLayout->setContentsMargins(0, 0, 0, 0);
    m_view = new HtmlView(m_panel2);
    m_view->setObjectName(QStringLiteral("WebBrowser1"));
    viewLayout->addWidget(m_view);
    layout->addWidget(m_panel2, 1);

    setTabOrder(m_comboBox2, m_comboBox3);
    setTabOrder(m_comboBox3, m_comboBox1);
    setTabOrder(m_comboBox1, m_view);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));

    // The lists react to the user's choice only, never to a selection made from code.
    connect(m_image1, &ToolbarPicture::clicked, this, &ReaderWindow::Image1Click);
    connect(m_image2, &ToolbarPicture::clicked, this, &ReaderWindow::Image2Click);
    connect(m_image3, &ToolbarPicture::clicked, this, &ReaderWindow::Image3Click);
    connect(m_image7, &ToolbarPicture::clicked, this, &ReaderWindow::Image7Click);
    connect(m_comboBox1, &QComboBox::activated, this, &ReaderWindow::ComboBox1Change);
    connect(m_comboBox2, &QComboBox::activated, this, &ReaderWindow::ComboBox2Change);
    connect(m_comboBox3, &QComboBox::activated, this, &ReaderWindow::ComboBox3Change);
    connect(m_timer1, &QTimer::timeout, this, &ReaderWindow::Timer1Timer);

    // The key every reader knows for "load again"; like the picture, it waits for the toolbar.
    auto *reload = new QShortcut(QKeySequence::Refresh, this);
    connect(reload, &QShortcut::activated, this, [this] {
        if (m_panel1->isEnabled())
            Image1Click();
    });
}

void ReaderWindow::FormCreate()
{
    if (!EnsureWorkFolder(m_config.paths))
        showMessage(Texts::WorkFolderFailed);

    QFont listFont(QStringLiteral("Tahoma"));
    listFont.setPointSize(ListFontPoints);
    for (QComboBox *list : {m_comboBox1, m_comboBox2, m_comboBox3})
        list->setFont(listFont);

    m_timer1->stop();
    m_timer1->setInterval(RefreshIntervalMs);
    m_label1->hide();
    m_state.firstLoad = true;

    // Without the browser emulation value the reader still works: say so and go on.
    guarded([] { ZapisDoRegistru(); });

    guarded([this] {
        m_state.organizationId = m_settings.ReadString(SettingsKeys::Id, QString());
        if (m_state.organizationId.isEmpty()) {
            while (m_state.organizationId.isEmpty())
                m_state.organizationId = m_config.askForId();
            m_settings.WriteString(SettingsKeys::Id, m_state.organizationId);
        }

        applyStoredGeometry();

        const GroupFilterState filter =
            InitGroupFilter(m_settings.ReadString(SettingsKeys::Group, Texts::AllGroups));
        setGroupFilter(filter.entries, filter.selected);
        selectStoredIndex(m_comboBox3, m_settings.ReadInteger(SettingsKeys::FontSize, SettingsKeys::DefaultFontSize));
        selectStoredIndex(m_comboBox1, m_settings.ReadInteger(SettingsKeys::Style, SettingsKeys::DefaultStyle));

        m_state.viewMode = QStringLiteral("S");
        m_cycle->NactiXML();
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
    if (!m_timer1->isActive())
        m_timer1->start();
}

void ReaderWindow::FormClose()
{
    const QRect outer = frameGeometry();
    m_settings.WriteInteger(SettingsKeys::Left, outer.x());
    m_settings.WriteInteger(SettingsKeys::Top, outer.y());
    m_settings.WriteInteger(SettingsKeys::Width, outer.width());
    m_settings.WriteInteger(SettingsKeys::Height, outer.height());
}

void ReaderWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        guarded([this] { FormActivate(); });
}

void ReaderWindow::closeEvent(QCloseEvent *event)
{
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
    m_cycle->NactiXML();
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

void ReaderWindow::setCaption(const QString &caption) { setWindowTitle(caption); }

void ReaderWindow::setToolbarColor(quint32 tcolor)
{
    // A palette, not a style sheet: style sheets make every later event pump slow.
    QPalette palette = m_panel1->palette();
    palette.setColor(QPalette::Window, toQColor(tcolor));
    m_panel1->setPalette(palette);
}

void ReaderWindow::setToolbarEnabled(bool enabled) { m_panel1->setEnabled(enabled); }
void ReaderWindow::pumpEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }
void ReaderWindow::showMessage(const QString &text) { showPlainMessage(this, text); }
void ReaderWindow::showError(const QString &message) { showStandardErrorBox(this, message); }
QString ReaderWindow::versionText() const { return m_label1->text(); }
int ReaderWindow::fontSizeIndex() const { return m_comboBox3->currentIndex(); }
QString ReaderWindow::fontSizeText() const { return m_comboBox3->currentText(); }
int ReaderWindow::styleIndex() const { return m_comboBox1->currentIndex(); }
int ReaderWindow::groupIndex() const { return m_comboBox2->currentIndex(); }
QString ReaderWindow::groupText() const { return m_comboBox2->currentText(); }

void ReaderWindow::setGroupFilter(const QStringList &entries, int selected)
{
    // One batch with painting held back, then one repaint.
    m_comboBox2->setUpdatesEnabled(false);
    m_comboBox2->clear();
    m_comboBox2->addItems(entries);
    m_comboBox2->setCurrentIndex(selected);
    m_comboBox2->setUpdatesEnabled(true);
    m_comboBox2->update();
}

void ReaderWindow::loadPage(const QString &html) { m_view->WBLoadHTML(html); }
void ReaderWindow::stopTimer() { m_timer1->stop(); }
