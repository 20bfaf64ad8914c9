// The main window: server panel, player panel, frag graph and the bottom strip (credit,
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
namespace metrics {
class LiveFeed;
class MetricsServer;
struct ListenAddress;
}  // namespace metrics
class ColourBox;
class Connection;
class DesktopNotifier;
class GraphView;
class HelpWindow;
class PlayerPanel;
class QtDialogs;
class TrayIcon;
class RulesWindow;

// The one-line credit of the bottom strip.
inline constexpr const char* kCreditText = "(C) Morvek team";

class MainWindow : public QWidget, public MonitorHooks, public MainWindowApi {
    Q_OBJECT
  public:
    // `dialogs`: where messages and file questions go (null: real message boxes and file
    // dialogs). `settings`: the store read at load and written at close (null: defaults, nothing
    // written).
    explicit MainWindow(platform::Dialogs* dialogs = nullptr, SettingsBackend* settings = nullptr,
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    // The load step: palette, help file, settings, server panel, graph, players, menu. False when
    // the settings store cannot be opened (the program ends).
    bool Load();

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
    void ApplyLayout() override;
    void RefreshAll() override;

    // MonitorHooks.
    void ShowPlayers() override;
    void UpdateMenuState() override;
    void RepaintTraffic() override;
    void RefreshPanel() override;
    void SetBusy(bool busy) override;
    // The poll tick: what happened since the last one raises the alerts switched on.
    void RecordPoint() override;

    // Appends one log record: the log recorder on the connection's RecordDue.
    void WriteLogRecord();

    // The commands of the pop-up menu.
    void PopUpMenu();
    void ShowAbout();
    void ShowHelp();
    void Connect();
    void Disconnect();
    void ShowRulesWindow();
    void ShowSetup();
    void ShowWebPublishing();
    void Print();
    void Record();
    void StopRecording();
    void OpenLogFile();
    void Exit();
    void StepReplay(int index);

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

    // The live listener at `where` for the whole run, whatever the settings say (--metrics); false,
    // with the reason, when it cannot be bound. Before Load, so the settings never start one.
    bool ServeFromCommandLine(const metrics::ListenAddress& where, std::string& error);
    // The live listener while it runs, else null.
    metrics::MetricsServer* LiveServer() const;

    // The folder the Help command looks for its file in.
    void SetHelpFolder(const QString& folder) { help_folder_ = folder; }

    // Controls, public for the window's tests.
    QGroupBox* serverFrame = nullptr;
    QWidget* serverFields = nullptr;
    std::array<QLabel*, 9> fieldCaptions{};
    QLineEdit* serverNameEdit = nullptr;
    QLineEdit* mapEdit = nullptr;
    QLineEdit* versionEdit = nullptr;
    QLineEdit* addressEdit = nullptr;
    QLineEdit* maxPlayersEdit = nullptr;
    QLineEdit* pingEdit = nullptr;
    QLineEdit* portEdit = nullptr;
    QLineEdit* playersEdit = nullptr;
    QLineEdit* typeEdit = nullptr;
    QGroupBox* playerFrame = nullptr;
    PlayerPanel* playerPanel = nullptr;
    QGroupBox* graphFrame = nullptr;
    GraphView* fragChart = nullptr;
    QLabel* creditLabel = nullptr;
    QPushButton* menuButton = nullptr;
    ColourBox* trafficLamp = nullptr;
    QGroupBox* statusFrame = nullptr;
    QLabel* logOpenIcon = nullptr;
    QLabel* recordingIcon = nullptr;
    QLabel* publishingIcon = nullptr;
    QWidget* statusLine = nullptr;
    ColourBox* statusLamp = nullptr;
    QLabel* statusLabel = nullptr;
    QGroupBox* replayFrame = nullptr;
    std::array<QPushButton*, 6> replayButtons{};
    QLabel* positionLabel = nullptr;

    QMenu* commandMenu = nullptr;
    QMenu* logMenu = nullptr;
    QAction* aboutAction = nullptr;
    QAction* helpAction = nullptr;
    QAction* connectAction = nullptr;
    QAction* disconnectAction = nullptr;
    QAction* rulesAction = nullptr;
    QAction* setupAction = nullptr;
    QAction* webAction = nullptr;
    QAction* printAction = nullptr;
    QAction* logMenuAction = nullptr;
    QAction* recordAction = nullptr;
    QAction* stopRecordingAction = nullptr;
    QAction* openLogAction = nullptr;
    QAction* exitAction = nullptr;

    // The rules window while it is loaded, and the help window once opened.
    RulesWindow* ShownRulesWindow() const;
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
    // Starts, moves or stops the live listener as the settings say; a failure is told once.
    void ServeAsSet();

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
    QPointer<RulesWindow> rules_window_;
    QPointer<HelpWindow> help_window_;
    std::unique_ptr<metrics::LiveFeed> live_;  // the events, served with the page when asked
    bool live_from_command_line_ = false;
    DesktopNotifier* notifier_ = nullptr;
    QPointer<TrayIcon> tray_;
    bool exiting_ = false;  // "&Exit" closes the window even when closing hides it in the tray
};

}  // namespace morvek
