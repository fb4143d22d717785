#include "app/FindBar.h"

#include "common/Texts.h"
#include "view/PageHints.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEngineView>

namespace {

QToolButton *makeButton(QWidget *parent, const QString &text, const QString &hint)
{
    auto *button = new QToolButton(parent);
    button->setText(text);
    button->setToolTip(hint);
    button->setAccessibleName(text);
    button->setAutoRaise(true);
    return button;
}

QString keyName(QKeySequence::StandardKey key)
{
    return QKeySequence(key).toString(QKeySequence::NativeText);
}

} // namespace

FindBar::FindBar(QWebEngineView *view, QWidget *parent)
    : QWidget(parent)
    , m_view(view)
{
    setObjectName(QStringLiteral("FindBar"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);

    m_field = new QLineEdit(this);
    m_field->setPlaceholderText(Texts::FindPlaceholder);
    m_field->setAccessibleName(Texts::FindPlaceholder);
    m_field->setClearButtonEnabled(true);
    m_field->installEventFilter(this);
    m_previous = makeButton(this, Texts::FindPrevious, Texts::withKeys(Texts::FindPrevious, keyName(QKeySequence::FindPrevious)));
    m_next = makeButton(this, Texts::FindNext, Texts::withKeys(Texts::FindNext, keyName(QKeySequence::FindNext)));
    m_status = new QLabel(this);
    m_close = makeButton(this, QStringLiteral("✕"), Texts::withKeys(Texts::FindClose, QStringLiteral("Esc")));
    m_close->setAccessibleName(Texts::FindClose);
    layout->addWidget(m_field, 1);
    layout->addWidget(m_previous);
    layout->addWidget(m_next);
    layout->addWidget(m_status);
    layout->addWidget(m_close);

    // F3 works wherever the focus is while the bar shows; Esc while the focus is in the bar.
    auto *next = new QAction(this);
    next->setShortcuts(QKeySequence::FindNext);
    auto *previous = new QAction(this);
    previous->setShortcuts(QKeySequence::FindPrevious);
    auto *escape = new QAction(this);
    escape->setShortcut(Qt::Key_Escape);
    escape->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addActions({next, previous, escape});

    connect(next, &QAction::triggered, this, &FindBar::findNext);
    connect(previous, &QAction::triggered, this, &FindBar::findPrevious);
    connect(escape, &QAction::triggered, this, &FindBar::dismiss);
    connect(m_next, &QToolButton::clicked, this, &FindBar::findNext);
    connect(m_previous, &QToolButton::clicked, this, &FindBar::findPrevious);
    connect(m_close, &QToolButton::clicked, this, &FindBar::dismiss);
    // Searching as the user types starts again from the top of the page.
    connect(m_field, &QLineEdit::textEdited, this, [this] { find(Direction::Forward, Session::New); });
    connect(m_view->page(), &QWebEnginePage::findTextFinished, this, &FindBar::showResult);
    hide();
}

QList<QWidget *> FindBar::controlsInTabOrder() const
{
    return {m_field, m_previous, m_next, m_close};
}

void FindBar::joinTabOrder(QWidget *previous, QWidget *next)
{
    const QList<QWidget *> followers = controlsInTabOrder() << next;
    for (QWidget *control : followers) {
        setTabOrder(previous, control);
        previous = control;
    }
}

void FindBar::open()
{
    show();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

void FindBar::dismiss()
{
    hide();
    m_status->clear();
    m_view->page()->findText(QString());
    liftPageHints(*m_view->page(), false);
    m_view->setFocus(Qt::ShortcutFocusReason);
}

void FindBar::findNext() { find(Direction::Forward, Session::Continue); }
void FindBar::findPrevious() { find(Direction::Backward, Session::Continue); }

void FindBar::find(Direction direction, Session session)
{
    if (m_field->text().isEmpty()) {
        m_status->clear();
        m_view->page()->findText(QString());
        return;
    }
    // Every card is laid out before the search starts, on a page loaded since the bar opened too.
    liftPageHints(*m_view->page(), true, [bar = QPointer<FindBar>(this), direction, session] {
        if (!bar || bar->m_field->text().isEmpty())
            return;
        QWebEnginePage *page = bar->m_view->page();
        // Otherwise the engine goes on from the last match of the shorter text, which may lie
        // past the first match of the longer one.
        if (session == Session::New)
            page->findText(QString());
        page->findText(bar->m_field->text(),
                       direction == Direction::Backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags());
    });
}

void FindBar::showResult(const QWebEngineFindTextResult &result)
{
    // A result for a text the user has since cleared tells nothing.
    if (m_field->text().isEmpty())
        return;
    m_status->setText(result.numberOfMatches() > 0 ? Texts::findMatch(result.activeMatch(), result.numberOfMatches())
                                                   : Texts::FindNotFound);
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            find(key->modifiers().testFlag(Qt::ShiftModifier) ? Direction::Backward : Direction::Forward,
                 Session::Continue);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
