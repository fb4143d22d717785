#include "app/ReaderToolbar.h"

#include "app/ToolbarButton.h"
#include "app/ToolbarGlyphs.h"
#include "common/Texts.h"
#include "feed/CycleOutcome.h"
#include "render/GroupFilter.h"
#include "settings/SettingsKeys.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>

#include <algorithm>

namespace {

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
    QFont listFont(QStringLiteral("Tahoma"));
    listFont.setPointSize(ListFontPoints);
    list->setFont(listFont);
    return list;
}

void selectIndexIfInside(QComboBox *list, int index)
{
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

QString keyNames(const QList<QKeySequence> &keys)
{
    QStringList names;
    for (const QKeySequence &key : keys)
        names << key.toString(QKeySequence::NativeText);
    return names.join(QStringLiteral(", "));
}

} // namespace

ReaderToolbar::ReaderToolbar(QWidget *parent)
    : QWidget(parent)
{
    // The toolbar keeps its controls where they were designed, whatever the window's width.
    setObjectName(QStringLiteral("Panel1"));
    setFixedHeight(ToolbarHeight);
    setAutoFillBackground(true);

    m_reloadButton = addButton(ToolbarGlyph::Reload, Texts::HintReload, "Image1", 8);
    m_enterIdButton = addButton(ToolbarGlyph::EnterId, Texts::HintEnterId, "Image7", 41);
    buildLists();
    m_informationButton = addButton(ToolbarGlyph::Information, Texts::HintInformation, "Image2", 377);
    m_contactsButton = addButton(ToolbarGlyph::Contacts, Texts::HintContacts, "Image3", 411);

    // The keys a desktop user tries first: F5 loads again as in every browser, Ctrl+L goes to
    // "where to read from" as a browser's address, Ctrl+I and Ctrl+K are the Czech initials of
    // the information and contacts pages.
    m_reloadAction = addCommand(m_reloadButton, Qt::Key_F5);
    m_enterIdAction = addCommand(m_enterIdButton, Qt::CTRL | Qt::Key_L);
    m_informationAction = addCommand(m_informationButton, Qt::CTRL | Qt::Key_I);
    m_contactsAction = addCommand(m_contactsButton, Qt::CTRL | Qt::Key_K);
    buildTextSizeKeys();
    m_findAction = addKeyCommand({QKeySequence::Find});

    QWidget *previous = nullptr;
    for (QWidget *control : controlsInTabOrder()) {
        if (previous)
            setTabOrder(previous, control);
        previous = control;
    }
}

ToolbarButton *ReaderToolbar::addButton(ToolbarGlyph glyph, const QString &hint, const char *name, int left)
{
    auto *button = new ToolbarButton(toolbarGlyph(glyph, devicePixelRatioF()), hint, this);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(left, 5, 28, 28);
    return button;
}

QAction *ReaderToolbar::addKeyCommand(const QList<QKeySequence> &keys)
{
    auto *action = new QAction(this);
    action->setShortcuts(keys);
    return action;
}

QAction *ReaderToolbar::addCommand(ToolbarButton *button, const QKeySequence &key)
{
    QAction *action = addKeyCommand({key});
    action->setText(button->toolTip());
    button->setToolTip(Texts::withKeys(button->toolTip(), keyNames({key})));
    connect(button, &ToolbarButton::clicked, action, &QAction::trigger);
    return action;
}

void ReaderToolbar::buildLists()
{
    m_groupList = makeList(this, "ComboBox2", QRect(75, 4, 124, 31));
    m_fontSizeList = makeList(this, "ComboBox3", QRect(204, 4, 50, 31));
    m_fontSizeList->addItems(fontSizeEntries());
    buildVersionLabel();
    m_styleList = makeList(this, "ComboBox1", QRect(259, 4, 112, 31));
    m_styleList->addItems({Texts::StyleRounded, Texts::StyleSquare, Texts::StyleShadow, Texts::StyleFullWidth});
    m_styleList->setCurrentIndex(0);

    // The lists react to the user's choice only, never to a selection made from code.
    connect(m_groupList, &QComboBox::activated, this, &ReaderToolbar::groupChosen);
    connect(m_fontSizeList, &QComboBox::activated, this, &ReaderToolbar::fontSizeChosen);
    connect(m_styleList, &QComboBox::activated, this, &ReaderToolbar::styleChosen);
}

void ReaderToolbar::buildVersionLabel()
{
    m_versionLabel = new QLabel(Texts::Version, this);
    m_versionLabel->setObjectName(QStringLiteral("Label1"));
    m_versionLabel->setGeometry(217, 28, 24, 13);
    QFont versionFont(QStringLiteral("Tahoma"), 8);
    versionFont.setBold(true);
    m_versionLabel->setFont(versionFont);
    QPalette versionPalette = m_versionLabel->palette();
    versionPalette.setColor(QPalette::WindowText, Qt::red);
    m_versionLabel->setPalette(versionPalette);
    m_versionLabel->hide();
}

void ReaderToolbar::buildTextSizeKeys()
{
    // Ctrl+= is Ctrl+plus without Shift on keyboards that put plus above the equals sign.
    const QList<QKeySequence> larger{QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)};
    const QList<QKeySequence> smaller{QKeySequence::ZoomOut};
    const QList<QKeySequence> reset{QKeySequence(Qt::CTRL | Qt::Key_0)};
    m_largerTextAction = addKeyCommand(larger);
    m_smallerTextAction = addKeyCommand(smaller);
    m_defaultTextAction = addKeyCommand(reset);
    connect(m_largerTextAction, &QAction::triggered, this, [this] { stepFontSize(1); });
    connect(m_smallerTextAction, &QAction::triggered, this, [this] { stepFontSize(-1); });
    connect(m_defaultTextAction, &QAction::triggered, this, &ReaderToolbar::resetFontSize);
    m_fontSizeList->setToolTip(Texts::withKeys(Texts::HintFontSize, keyNames({larger.first(), smaller.first(), reset.first()})));
}

void ReaderToolbar::stepFontSize(int step)
{
    const int current = m_fontSizeList->currentIndex();
    const int next = current < 0 ? SettingsKeys::DefaultFontSize : std::clamp(current + step, 0, m_fontSizeList->count() - 1);
    if (next == current)
        return;  // already the largest or smallest size: nothing to show anew
    m_fontSizeList->setCurrentIndex(next);
    emit fontSizeChosen();
}

void ReaderToolbar::resetFontSize()
{
    if (m_fontSizeList->currentIndex() == SettingsKeys::DefaultFontSize)
        return;
    m_fontSizeList->setCurrentIndex(SettingsKeys::DefaultFontSize);
    emit fontSizeChosen();
}

QList<QAction *> ReaderToolbar::commands() const
{
    return {m_reloadAction,      m_enterIdAction,     m_informationAction, m_contactsAction,
            m_largerTextAction,  m_smallerTextAction, m_defaultTextAction, m_findAction};
}

QList<QWidget *> ReaderToolbar::controlsInTabOrder() const
{
    return {m_reloadButton, m_enterIdButton, m_groupList, m_fontSizeList, m_styleList, m_informationButton,
            m_contactsButton};
}

void ReaderToolbar::setLocked(bool locked)
{
    // Disabling drops the focus of the control that ran the command; it comes back after the
    // cycle, so that a keyboard user goes on from where they were.
    if (locked) {
        QWidget *focused = window()->focusWidget();
        m_focusBeforeLock = focused && isAncestorOf(focused) ? focused : nullptr;
    }
    setEnabled(!locked);
    for (QAction *command : commands())
        command->setEnabled(!locked);
    if (!locked && m_focusBeforeLock && !window()->focusWidget())
        m_focusBeforeLock->setFocus(Qt::OtherFocusReason);
}

void ReaderToolbar::setColor(const QColor &color)
{
    // A palette, not a style sheet: style sheets make every later event pump slow.
    QPalette colored = palette();
    colored.setColor(QPalette::Window, color);
    setPalette(colored);
}

void ReaderToolbar::showGroups(const GroupFilterState &groups)
{
    // One batch with painting held back, then one repaint.
    m_groupList->setUpdatesEnabled(false);
    m_groupList->clear();
    m_groupList->addItems(groups.entries);
    m_groupList->setCurrentIndex(groups.selected);
    m_groupList->setUpdatesEnabled(true);
    m_groupList->update();
}

void ReaderToolbar::selectStoredEntries(int fontSizeIndex, int styleIndex)
{
    selectIndexIfInside(m_fontSizeList, fontSizeIndex);
    selectIndexIfInside(m_styleList, styleIndex);
}

void ReaderToolbar::readChoices(ReaderChoices &choices) const
{
    choices.fontSizeIndex = m_fontSizeList->currentIndex();
    choices.fontSizeText = m_fontSizeList->currentText();
    choices.style = m_styleList->currentIndex();
    choices.groupIndex = m_groupList->currentIndex();
    choices.groupText = m_groupList->currentText();
}
