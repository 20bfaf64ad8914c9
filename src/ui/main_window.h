// The main window frmMain: server panel, player panel, frag graph and the bottom strip (credit,
// menu button, traffic lamp, status frame, log player). It owns the picture (Monitor), the
// connection, the HTML publisher and the dialogs, draws everything from the picture when the
// monitor's logic asks (MonitorHooks) and gives the dialogs what they need (MainWindowApi).
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>

#include "core/events.h"
#include "core/hooks.h"
#include "core/monitor.h"
#include "core/settings.h"
#include "platform/dialogs.h"
#include "ui/layout.h"
#include "ui/main_window_api.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace morvek {

namespace web {
class HtmlPublisher;
}
class ColourBox;
class Connection;
class DesktopNotifier;
class GraphView;
class HelpWindow;
class PlayerPanel;
class QtDialogs;
class TrayIcon;
class frmRoule;

// The one-line credit of the bottom strip.
inline constexpr const char* kCreditText = "(C) Morvek team";

class frmMain : public QWidget, public MonitorHooks, public MainWindowApi {
    Q_OBJECT
  public:
    // `dialogs`: where messages and file questions go (null: real message boxes and file
    // dialogs). `settings`: the store read at load and written at close (null: defaults, nothing
    // written).
    explicit frmMain(platform::Dialogs* dialogs = nullptr, SettingsBackend* settings = nullptr,
                     QWidget* parent = nullptr);
    ~frmMain() override;

    // The load step: palette, help file, settings, server panel, graph, players, menu. False when
    // the settings store cannot be opened (the program ends).
    bool Form_Load();

    // The connection: socket, timers and the poll tick.
    Connection& connection() { return *connection_; }

    // MainWindowApi.
    Monitor& monitor() override { return monitor_; }
    platform::Dialogs& dialogs() override { return *dialogs_; }
    SettingsValues Settings() override;
    void ApplySettings(const SettingsValues& values, unsigned reach) override;
    void SetPublishing(bool periodic) override;
    bool GraphVisible() const override { return layout_.graph_visible; }
    void SetGraphVisible(bool visible) override;
    bool IsMaximized() const override { return isMaximized(); }
    void Form_Resize() override;
    void RefreshAll() override;

    // MonitorHooks.
    void ShowPlayers() override;
    void UpdateMenuState() override;
    void RepaintNet() override;
    void RefreshPanel() override;
    void SetBusy(bool busy) override;
    // The poll tick: what happened since the last one raises the alerts switched on.
    void RecordPoint() override;

    // Appends one log record: the log recorder on the connection's RecordDue.
    void WriteLogRecord();

    // The commands of the pop-up menu.
    void cmdMenu_Click();
    void mnuAbout_Click();
    void mnuHelp_Click();
    void mnuConnect_Click();
    void mnuDisconnect_Click();
    void mnuRule_Click();
    void mnuSetup_Click();
    void mnuWeb_Click();
    void mnuPrint_Click();
    void mnuSave_Click();
    void mnuStopRecord_Click();
    void mnuOpen_Click();
    void mnuExit_Click();
    void cmdPlayer_Click(int index);

    // Writes the settings once (at close); later calls do nothing.
    void SaveSettingsOnce();
    // The server, port and type are saved as the load step read them (a demo run's own server is
    // not kept).
    void KeepStoredServer() { keep_stored_server_ = true; }

    // The window's geometry in twips, as the layout rule last computed it, and the outer size it
    // used.
    const MainLayout& Layout() const { return layout_; }
    double OuterWidthTwips() const { return outer_w_; }
    double OuterHeightTwips() const { return outer_h_; }

    // The folder the Help command looks for its file in.
    void SetHelpFolder(const QString& folder) { help_folder_ = folder; }

    // Controls, public for the window's tests.
    QGroupBox* frServer = nullptr;
    QWidget* frInsideServer = nullptr;
    std::array<QLabel*, 9> Label2{};
    QLineEdit* txtSvrName = nullptr;
    QLineEdit* txtSvrMap = nullptr;
    QLineEdit* txtSvrVersion = nullptr;
    QLineEdit* txtSvrIP = nullptr;
    QLineEdit* txtSvrMaxPlayers = nullptr;
    QLineEdit* txtPing = nullptr;
    QLineEdit* txtSvrPort = nullptr;
    QLineEdit* txtSvrPlayers = nullptr;
    QLineEdit* txtType = nullptr;
    QGroupBox* frPlayer = nullptr;
    PlayerPanel* frInsidePlayer = nullptr;
    QGroupBox* frGraph = nullptr;
    GraphView* chtGrafico = nullptr;
    QLabel* lblCopy = nullptr;
    QPushButton* cmdMenu = nullptr;
    ColourBox* pctNet = nullptr;
    QGroupBox* frStatus = nullptr;
    QLabel* pctOpen = nullptr;
    QLabel* pctSave = nullptr;
    QLabel* pctWeb = nullptr;
    QWidget* frInsideStatus = nullptr;
    ColourBox* pctStatus = nullptr;
    QLabel* lblStatus = nullptr;
    QGroupBox* frPlay = nullptr;
    std::array<QPushButton*, 6> cmdPlayer{};
    QLabel* lblPosizione = nullptr;

    QMenu* mnu = nullptr;
    QMenu* mnuLog = nullptr;
    QAction* mnuAbout = nullptr;
    QAction* mnuHelp = nullptr;
    QAction* mnuConnect = nullptr;
    QAction* mnuDisconnect = nullptr;
    QAction* mnuRule = nullptr;
    QAction* mnuSetup = nullptr;
    QAction* mnuWeb = nullptr;
    QAction* mnuPrint = nullptr;
    QAction* mnuLogItem = nullptr;
    QAction* mnuSave = nullptr;
    QAction* mnuStopRecord = nullptr;
    QAction* mnuOpen = nullptr;
    QAction* mnuExit = nullptr;

    // The rules window while it is loaded, and the help window once opened.
    frmRoule* RulesWindow() const;
    HelpWindow* Help() const;
    // The tray icon while it is shown (a tray on the desktop, and an alert or closing to the tray
    // switched on), else null.
    TrayIcon* Tray() const;
    // How the alerts and the tray name the server: its name as shown and host:port.
    QString ServerText() const;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    void BuildBottomStrip();
    void BuildMenu();
    void PlaceControls();
    void UpdateMinimumSize();
    // The designed frame's extents (outer minus client size) in pixels.
    QSize FrameExtra() const;
    // Makes, shows or hides the tray icon as the options and the desktop ask, and redraws it.
    void UpdateTray();
    void TellAlerts(const std::vector<Event>& events);

    Monitor monitor_;
    std::unique_ptr<QtDialogs> own_dialogs_;
    platform::Dialogs* dialogs_;
    std::unique_ptr<platform::NewsBoxes> news_;  // the connection's news, one box per text
    SettingsBackend* settings_;
    std::unique_ptr<Connection> connection_;
    std::unique_ptr<web::HtmlPublisher> publisher_;
    MainLayout layout_;
    double outer_w_ = 0, outer_h_ = 0;
    bool in_layout_ = false;
    bool saved_ = false;
    bool keep_stored_server_ = false;
    SettingsValues loaded_;
    int busy_ = 0;
    QString help_folder_;
    QPointer<frmRoule> rules_window_;
    QPointer<HelpWindow> help_window_;
    EventTracker events_;
    DesktopNotifier* notifier_ = nullptr;
    QPointer<TrayIcon> tray_;
    bool exiting_ = false;  // "&Exit" closes the window even when closing hides it in the tray
};

}  // namespace morvek
