#pragma once

#include "app/ReaderConfig.h"
#include "feed/ReaderState.h"
#include "feed/RefreshCycle.h"
#include "feed/RefreshHost.h"
#include "settings/SettingsFile.h"

#include <QWidget>

#include <memory>

class HtmlView;
class QComboBox;
class QLabel;
class QTimer;
class ToolbarPicture;

// The reader's one window: the toolbar above, the HTML view below. It owns the
// program-wide state, runs start-up while it is created and a refresh cycle for every
// command and timer tick.
class ReaderWindow : public QWidget, private RefreshHost
{
    Q_OBJECT

public:
    explicit ReaderWindow(ReaderConfig config, QWidget *parent = nullptr);
    ~ReaderWindow() override;

    const ReaderState &state() const { return m_state; }
    const RefreshCycle &cycle() const { return *m_cycle; }
    HtmlView *view() const { return m_view; }

    // The commands of the toolbar and the timer.
    void Image1Click();
    void Image2Click();
    void Image3Click();
    void Image7Click();
    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox3Change();
    void Timer1Timer();

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildDesign();
    void FormCreate();
    void FormActivate();
    void FormClose();
    void applyStoredGeometry();
    void NactiXML();
    void runCommand(const QString &viewMode, const std::function<void()> &command);
    // Runs a handler; a failure that escapes it is shown in the standard error box.
    void guarded(const std::function<void()> &handler);

    // RefreshHost
    void setCaption(const QString &caption) override;
    void setToolbarColor(quint32 tcolor) override;
    void setToolbarEnabled(bool enabled) override;
    void pumpEvents() override;
    void showMessage(const QString &text) override;
    void showError(const QString &message) override;
    QString versionText() const override;
    int fontSizeIndex() const override;
    QString fontSizeText() const override;
    int styleIndex() const override;
    int groupIndex() const override;
    QString groupText() const override;
    void setGroupFilter(const QStringList &entries, int selected) override;
    void loadPage(const QString &html) override;
    void stopTimer() override;

    ReaderConfig m_config;
    ReaderState m_state;
    SettingsFile m_settings;
    std::unique_ptr<RefreshCycle> m_cycle;

    QWidget *m_panel1 = nullptr;
    ToolbarPicture *m_image1 = nullptr;
    ToolbarPicture *m_image7 = nullptr;
    ToolbarPicture *m_image2 = nullptr;
    ToolbarPicture *m_image3 = nullptr;
    QComboBox *m_comboBox1 = nullptr;
    QComboBox *m_comboBox2 = nullptr;
    QComboBox *m_comboBox3 = nullptr;
    QLabel *m_label1 = nullptr;
    QWidget *m_panel2 = nullptr;
    HtmlView *m_view = nullptr;
    QTimer *m_timer1 = nullptr;
    bool m_closeAfterCycle = false;  // the user closed the window while a cycle ran
};
