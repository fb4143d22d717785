#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class QAction;
class QComboBox;
class QLabel;
class ToolbarButton;
struct GroupFilterState;
struct ReaderChoices;
enum class ToolbarGlyph;

// The window's toolbar: four picture buttons and three lists where they were designed, the
// hidden version label, and the commands that the buttons and the keys trigger. Locking it
// (while a refresh cycle runs) disables the controls and every key at once.
class ReaderToolbar : public QWidget
{
    Q_OBJECT

public:
    explicit ReaderToolbar(QWidget *parent);

    ToolbarButton *reloadButton() const { return m_reloadButton; }
    ToolbarButton *enterIdButton() const { return m_enterIdButton; }
    ToolbarButton *informationButton() const { return m_informationButton; }
    ToolbarButton *contactsButton() const { return m_contactsButton; }
    QComboBox *groupList() const { return m_groupList; }
    QComboBox *fontSizeList() const { return m_fontSizeList; }
    QComboBox *styleList() const { return m_styleList; }
    QLabel *versionLabel() const { return m_versionLabel; }

    QAction *reloadAction() const { return m_reloadAction; }
    QAction *enterIdAction() const { return m_enterIdAction; }
    QAction *informationAction() const { return m_informationAction; }
    QAction *contactsAction() const { return m_contactsAction; }
    QAction *findAction() const { return m_findAction; }
    // Every command with a key; the window adds them, so the keys work wherever the focus is.
    QList<QAction *> commands() const;

    // The controls in the order Tab visits them: left to right.
    QList<QWidget *> controlsInTabOrder() const;

    void setLocked(bool locked);
    void setColor(const QColor &color);
    // Refills the group list in one batch; selecting from code reports no choice.
    void showGroups(const GroupFilterState &groups);
    // Selects the stored entries; an index outside a list leaves it without a selection.
    void selectStoredEntries(int fontSizeIndex, int styleIndex);
    // Puts what the lists show into `choices`: the font size, the style and the group.
    void readChoices(ReaderChoices &choices) const;

signals:
    // The user chose an entry: with the mouse, the list's keys, or the text size keys.
    void groupChosen();
    void fontSizeChosen();
    void styleChosen();

private:
    ToolbarButton *addButton(ToolbarGlyph glyph, const QString &hint, const char *name, int left);
    QAction *addCommand(ToolbarButton *button, const QKeySequence &key);
    QAction *addKeyCommand(const QList<QKeySequence> &keys);
    void buildLists();
    void buildVersionLabel();
    void buildTextSizeKeys();
    void stepFontSize(int step);
    void resetFontSize();

    ToolbarButton *m_reloadButton = nullptr;
    ToolbarButton *m_enterIdButton = nullptr;
    ToolbarButton *m_informationButton = nullptr;
    ToolbarButton *m_contactsButton = nullptr;
    QComboBox *m_groupList = nullptr;
    QComboBox *m_fontSizeList = nullptr;
    QComboBox *m_styleList = nullptr;
    QLabel *m_versionLabel = nullptr;  // designed into the toolbar, never shown

    QAction *m_reloadAction = nullptr;
    QAction *m_enterIdAction = nullptr;
    QAction *m_informationAction = nullptr;
    QAction *m_contactsAction = nullptr;
    QAction *m_largerTextAction = nullptr;
    QAction *m_smallerTextAction = nullptr;
    QAction *m_defaultTextAction = nullptr;
    QAction *m_findAction = nullptr;
    QPointer<QWidget> m_focusBeforeLock;
};
