#pragma once

#include "app/ReaderConfig.h"
#include "app/ReaderState.h"
#include "feed/RefreshCycle.h"
#include "feed/RefreshHost.h"
#include "settings/SettingsFile.h"

#include <QElapsedTimer>
#include <QWidget>

#include <memory>

class FindBar;
class HtmlView;
class NewsWatch;
class QTimer;
class QVBoxLayout;
class ReaderToolbar;

// The reader's one window: the toolbar above, the HTML view below. It owns the
// program-wide state, runs start-up while it is created and a refresh cycle for every
// command and timer tick, and applies what each cycle gives back.
class ReaderWindow : public QWidget, private RefreshHost
{
    Q_OBJECT

public:
    explicit ReaderWindow(ReaderConfig config, QWidget *parent = nullptr);
    ~ReaderWindow() override;

    const ReaderState &state() const { return m_state; }
    const RefreshCycle &cycle() const { return *m_cycle; }
    HtmlView *view() const { return m_view; }
    const NewsWatch &newsWatch() const { return *m_newsWatch; }
    ReaderToolbar *toolbar() const { return m_toolbar; }
    FindBar *findBar() const { return m_findBar; }

    // The commands of the toolbar and the timer.
    void reloadNews();
    void showInformation();
    void showContacts();
    void askForId();
    void styleChosen();
    void groupChosen();
    void fontSizeChosen();
    void refreshTimerFired();

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // The design, piece by piece, in the order the pieces were laid out.
    void buildDesign();
    void buildViewPanel(QVBoxLayout *layout);
    void buildCommands();

    void startUp();
    void windowActivated();
    void storeGeometry();
    void runRefreshCycle();
    ReaderChoices currentChoices() const;
    void runCommand(const QString &viewMode, const std::function<void()> &command);
    // Runs a handler; a failure that escapes it is shown in the standard error box.
    void guarded(const std::function<void()> &handler);

    // RefreshHost
    void setToolbarEnabled(bool enabled) override;
    void showLook(const WindowLook &look) override;
    void pumpEvents() override;
    void showMessage(const QString &text) override;
    void showError(const QString &message) override;
    void showPage(const QString &html) override;
    void cycleCompleted(const CycleOutcome &outcome) override;
    void cycleFailed() override;

    ReaderConfig m_config;
    ReaderState m_state;
    SettingsFile m_settings;
    std::unique_ptr<RefreshCycle> m_cycle;

    ReaderToolbar *m_toolbar = nullptr;
    FindBar *m_findBar = nullptr;
    QWidget *m_viewPanel = nullptr;
    HtmlView *m_view = nullptr;
    QTimer *m_refreshTimer = nullptr;
    NewsWatch *m_newsWatch = nullptr;

    QString m_shownViewMode;         // the page kind the view shows ("S", "I", "K"); none before the first
    bool m_closeAfterCycle = false;  // the user closed the window while a cycle ran
    QElapsedTimer m_sincePump;       // since the last pump that processed events
};
