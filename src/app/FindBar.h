#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;
class QWebEngineFindTextResult;
class QWebEngineView;

// A small bar that finds text in the shown page: the field searches as the user types,
// Enter and F3 go to the next match, Shift with either to the previous one, Esc closes the
// bar and gives the page the focus back. The count of matches, or "not found", stands beside.
class FindBar : public QWidget
{
    Q_OBJECT

public:
    FindBar(QWebEngineView *view, QWidget *parent);

    QLineEdit *searchField() const { return m_field; }
    QLabel *statusLabel() const { return m_status; }
    QToolButton *nextButton() const { return m_next; }
    QToolButton *previousButton() const { return m_previous; }
    // The bar's controls in the order Tab visits them.
    QList<QWidget *> controlsInTabOrder() const;
    // Puts the bar's controls in the tab order after `previous` and before `next`.
    void joinTabOrder(QWidget *previous, QWidget *next);

    // Shows the bar with the focus in its field, the last text selected.
    void open();
    // Hides the bar, drops the highlight and gives the focus back to the page.
    void dismiss();
    void findNext();
    void findPrevious();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Direction { Forward, Backward };
    // A new session starts at the top of the page; a continued one goes on from the last match.
    enum class Session { New, Continue };
    void find(Direction direction, Session session);
    void showResult(const QWebEngineFindTextResult &result);

    QWebEngineView *m_view = nullptr;
    QLineEdit *m_field = nullptr;
    QLabel *m_status = nullptr;
    QToolButton *m_previous = nullptr;
    QToolButton *m_next = nullptr;
    QToolButton *m_close = nullptr;
};
