#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QSessionManager>
#include <QSystemTrayIcon>
#include <QWindowStateChangeEvent>

#include "core/alerts.h"
#include "core/quake_text.h"
#include "core/text.h"
#include "log/player.h"
#include "log/recorder.h"
#include "metrics/live_feed.h"
#include "metrics/metrics_server.h"
#include "platform/paths.h"
#include "platform/settings_backend.h"
#include "print/painter.h"
#include "query/connection.h"
#include "query/live_settings.h"
#include "ui/about_box.h"
#include "ui/desktop_notifier.h"
#include "ui/graph_view.h"
#include "ui/player_panel.h"
#include "ui/presentation.h"
#include "ui/qt_dialogs.h"
#include "ui/rules_window.h"
#include "ui/setup_dialog.h"
#include "ui/tray_icon.h"
#include "ui/twips.h"
#include "ui/web_dialog.h"
#include "web/publisher.h"

namespace morvek {

namespace {

QColor ToQColor(const Rgb& c) {
    return QColor(c.r, c.g, c.b);
}

void SetField(QLineEdit* field, const std::string& bytes) {
    const QString text = FromCp1252(bytes);
    if (field->text() != text) {
        field->setText(text);
        field->setCursorPosition(0);
        TipWhenCut(field, text);
    }
}

// The small pictures of the status frame: an open log, a log being recorded, web publishing.
QPixmap IndicatorPixmap(int kind) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (kind == 0) {  // open log: a folder
        p.setPen(QColor(120, 90, 0));
        p.setBrush(QColor(240, 200, 60));
        p.drawRect(QRectF(1.5, 4.5, 13, 9));
        p.drawRect(QRectF(1.5, 2.5, 5, 2));
    } else if (kind == 1) {  // recording: a red dot
        p.setPen(QColor(120, 0, 0));
        p.setBrush(QColor(230, 20, 20));
        p.drawEllipse(QRectF(2, 2, 12, 12));
    } else {  // web: a globe
        p.setPen(QPen(QColor(0, 60, 140), 1.2));
        p.setBrush(QColor(120, 180, 255));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
        p.drawEllipse(QRectF(5, 1.5, 6, 13));
    }
    return pixmap;
}

// The log player's buttons, left to right, and the indicators of the status frame, in twips from
// their frame.
constexpr std::array<double, 6> kPlayerButtonLefts{60, 315, 570, 1170, 1425, 1680};
constexpr TwipsRect kOpenIndicator{60, 240, 240, 240};
constexpr TwipsRect kSaveIndicator{60, 225, 240, 240};
constexpr TwipsRect kWebIndicator{360, 240, 240, 240};
constexpr TwipsRect kPositionLabel{825, 240, 345, 255};

// Places a widget inside a captioned frame. The design puts contents 225 twips under the frame's
// top edge, where its caption ended; a taller caption here moves them down under it, and what
// would then stick out of the frame's bottom is cut to fit.
void PlaceFramed(QWidget* widget, const TwipsRect& r) {
    QRect g = PixelRect(r);
    const QRect room = widget->parentWidget()->contentsRect();
    g.translate(0, std::max(0, room.top() - TwipsToPixels(225)));
    if (g.bottom() > room.bottom()) g.setBottom(std::max(g.top(), room.bottom()));
    widget->setGeometry(g);
}

}  // namespace

MainWindow::MainWindow(platform::Dialogs* dialogs, SettingsBackend* settings, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), settings_(settings) {
    if (!dialogs_) {
        own_dialogs_ = std::make_unique<QtDialogs>(this);
        dialogs_ = own_dialogs_.get();
    }
    connection_ = std::make_unique<Connection>(monitor_, *this);
    connect(connection_.get(), &Connection::RecordDue, this, &MainWindow::WriteLogRecord);
    news_ = std::make_unique<platform::NewsBoxes>(*dialogs_);
    connect(connection_.get(), &Connection::told, this,
            [this](const Notice& notice) { news_->Show(notice.text, notice.title, notice.icon); });
    publisher_ = std::make_unique<web::HtmlPublisher>(monitor_, *dialogs_);
    live_ = std::make_unique<metrics::LiveFeed>(monitor_);
    live_->SetPage([this] { return publisher_->PageNow(); });
    connect(publisher_.get(), &web::HtmlPublisher::PageFailed, this, [this](const QString& why) {
        // Told once: the publisher tells a failure again only once a page has been written.
        dialogs_->ShowMessage(web::PageFailureText(monitor_.options.html_output, why), kAppTitle,
                              platform::MessageIcon::Critical, platform::MessageButtons::Ok);
    });
    notifier_ = new DesktopNotifier(this);
    // Ending the desktop session ends the program, even when closing only hides the window.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this] { exiting_ = true; });
    setWindowTitle(QStringLiteral("Morvek"));
    setWindowIcon(QIcon(ProgramIcon(32)));
    // The rows are 13 pixels high and the captions narrow: a compact sans-serif face.
    QFont small = font();
    small.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), small.family()});
    small.setPixelSize(11);
    setFont(small);
    BuildControls();
    BuildMenu();
    help_folder_ = platform::HelpFolder(QString::fromLatin1(kHelpFileName));
    // The design size: a client area of 6255 x 6360 twips in an outer size of 6375 x 6765.
    resize(TwipsToPixels(6375 - kDesignFrameWidth),
           TwipsToPixels(kHeightWithGraph - kDesignFrameHeight));
}

MainWindow::~MainWindow() {
    if (rules_window_) delete rules_window_.data();
    if (help_window_) delete help_window_.data();
}

RulesWindow* MainWindow::ShownRulesWindow() const {
    return rules_window_.data();
}

HelpWindow* MainWindow::Help() const {
    return help_window_.data();
}

void MainWindow::BuildControls() {
    serverFrame = new QGroupBox(QStringLiteral("Server Info:"), this);
    serverFields = new QWidget(serverFrame);
    PlaceTwips(serverFields, layout_.serverFields);
    struct Field {
        const char* caption;
        QLineEdit** field;
        double left, top, width;
    };
    const std::array<Field, 9> fields{{{"Name:", &serverNameEdit, 960, 0, 1395},
                                       {"Current map:", &mapEdit, 3600, 0, 1395},
                                       {"V:", &versionEdit, 5340, 0, 795},
                                       {"Net address:", &addressEdit, 960, 300, 1395},
                                       {"Max players:", &maxPlayersEdit, 3600, 300, 1395},
                                       {"P:", &pingEdit, 5340, 300, 795},
                                       {"Port:", &portEdit, 960, 600, 1395},
                                       {"Current players:", &playersEdit, 3600, 600, 1395},
                                       {"T:", &typeEdit, 5340, 600, 795}}};
    // Each caption sits right-aligned in the room left of its field.
    const std::array<double, 3> caption_left{0, 2370, 4980};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Field& f = fields[i];
        auto* field = new QLineEdit(serverFields);
        field->setReadOnly(true);
        field->setFocusPolicy(Qt::ClickFocus);
        PlaceTwips(field, f.left, f.top, f.width, 285);
        *f.field = field;
        auto* caption = new QLabel(QString::fromLatin1(f.caption), serverFields);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QFont caption_font = font();
        caption_font.setPixelSize(10);
        caption->setFont(caption_font);
        const double left = caption_left[i % 3];
        PlaceTwips(caption, left, f.top, f.left - left - 45, 285);
        fieldCaptions[i] = caption;
    }

    playerFrame = new QGroupBox(QStringLiteral("Player Info:"), this);
    playerPanel = new PlayerPanel(playerFrame);
    connect(playerPanel, &PlayerPanel::Scrolled, this, &MainWindow::ShowPlayers);

    graphFrame = new QGroupBox(QStringLiteral("Graph:"), this);
    fragChart = new GraphView(graphFrame);

    BuildBottomStrip();
}

// The credit, the menu button, the traffic lamp, the status frame and the log player.
void MainWindow::BuildBottomStrip() {
    creditLabel = new QLabel(QString::fromLatin1(kCreditText), this);
    menuButton = new QPushButton(QStringLiteral("        Graph"), this);
    menuButton->setIcon(QIcon(ProgramIcon(32)));
    menuButton->setIconSize(QSize(18, 18));
    connect(menuButton, &QPushButton::clicked, this, &MainWindow::PopUpMenu);
    menuButton->setToolTip(
        QStringLiteral("Commands: connect, rules, setup, web page, print, logs"));
    trafficLamp = new ColourBox(this);
    trafficLamp->setToolTip(QStringLiteral(
        "Network traffic: red while requests are sent, bright green while a reply is read"));

    statusFrame = new QGroupBox(QStringLiteral("Status:"), this);
    logOpenIcon = new QLabel(statusFrame);
    logOpenIcon->setPixmap(IndicatorPixmap(0));
    recordingIcon = new QLabel(statusFrame);
    recordingIcon->setPixmap(IndicatorPixmap(1));
    publishingIcon = new QLabel(statusFrame);
    publishingIcon->setPixmap(IndicatorPixmap(2));
    logOpenIcon->setToolTip(QStringLiteral("A log is open in the log player"));
    recordingIcon->setToolTip(QStringLiteral("Recording a log"));
    publishingIcon->setToolTip(QStringLiteral("Publishing the web page"));
    logOpenIcon->hide();
    recordingIcon->hide();
    publishingIcon->hide();
    statusLine = new QWidget(statusFrame);
    statusLamp = new ColourBox(statusLine);
    statusLamp->setToolTip(QStringLiteral("Connection state"));
    PlaceTwips(statusLamp, 0, 0, 375, 195);
    statusLabel = new QLabel(statusLine);
    PlaceTwips(statusLabel, 420, 0, 1395, 195);

    replayFrame = new QGroupBox(QStringLiteral("Log Player:"), this);
    const std::array<const char*, 6> captions{"|<", "<<", "<", ">", ">>", ">|"};
    for (std::size_t i = 0; i < replayButtons.size(); ++i) {
        auto* button = new QPushButton(QString::fromLatin1(captions[i]), replayFrame);
        button->installEventFilter(this);
        const int index = int(i);
        connect(button, &QPushButton::clicked, this, [this, index] { StepReplay(index); });
        replayButtons[i] = button;
    }
    positionLabel = new QLabel(replayFrame);
    positionLabel->setAlignment(Qt::AlignCenter);
}

void MainWindow::BuildMenu() {
    commandMenu = new QMenu(this);
    auto item = [this](QMenu* menu, const char* caption, void (MainWindow::*handler)()) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    aboutAction = item(commandMenu, "&About", &MainWindow::ShowAbout);
    helpAction = item(commandMenu, "&Help", &MainWindow::ShowHelp);
    commandMenu->addSeparator();
    connectAction = item(commandMenu, "&Connect", &MainWindow::Connect);
    disconnectAction = item(commandMenu, "&Disconnect", &MainWindow::Disconnect);
    rulesAction = item(commandMenu, "&See Rules", &MainWindow::ShowRulesWindow);
    setupAction = item(commandMenu, "Set&up...", &MainWindow::ShowSetup);
    commandMenu->addSeparator();
    webAction = item(commandMenu, "&Web publishing", &MainWindow::ShowWebPublishing);
    printAction = item(commandMenu, "&Print...", &MainWindow::Print);
    logMenu = commandMenu->addMenu(QStringLiteral("&Log"));
    logMenuAction = logMenu->menuAction();
    recordAction = item(logMenu, "&Record...", &MainWindow::Record);
    stopRecordingAction = item(logMenu, "&Stop recording", &MainWindow::StopRecording);
    openLogAction = item(logMenu, "&Open...", &MainWindow::OpenLogFile);
    commandMenu->addSeparator();
    exitAction = item(commandMenu, "&Exit", &MainWindow::Exit);
}

bool MainWindow::Load() {
    // 1. The colour palette is a constant table (PlayerPalette). 2. The help file is looked for
    // beside the program when asked for.
    // 3. The settings.
    if (settings_) {
        auto values = LoadSettings(*settings_, platform::SettingsFailureDialog(*dialogs_));
        if (!values) return false;
        loaded_ = *values;
        ApplySettings(*values, kReachAll);
    } else {
        ApplySettings(SettingsValues{}, kReachAll);
    }
    // 4. to 7.
    ResetServerPanel(monitor_);
    SetupGraph(monitor_.graph);
    ShowPlayers();
    connection_->UpdateMenuState();
    RefreshAll();
    return true;
}

void MainWindow::ApplySettings(const SettingsValues& v, unsigned reach) {
    morvek::ApplySettings(v, monitor_, *connection_, &publisher_->publishTimer, reach);
    UpdateTray();
    ServeAsSet();
}

// ---- the live listener ----

bool MainWindow::ServeFromCommandLine(const metrics::ListenAddress& where, std::string& error) {
    live_from_command_line_ = true;
    return live_->Serve(where, error);
}

metrics::MetricsServer* MainWindow::LiveServer() const {
    return live_->Server();
}

void MainWindow::ServeAsSet() {
    if (live_from_command_line_) return;
    const Options& o = monitor_.options;
    std::optional<metrics::ListenAddress> where;
    if (o.serve_live)
        where =
            metrics::ListenAddress{QHostAddress(QHostAddress::LocalHost), quint16(o.serve_port)};
    std::string why;
    if (!live_->Serve(where, why)) {
        if (!why.empty()) why[0] = char(std::toupper(static_cast<unsigned char>(why[0])));
        dialogs_->Message(why, kAppTitle, platform::MessageIcon::Exclamation,
                          platform::MessageButtons::Ok);
    }
}

// ---- tray and alerts ----

TrayIcon* MainWindow::Tray() const {
    return tray_ && tray_->icon->isVisible() ? tray_.data() : nullptr;
}

QString MainWindow::ServerText() const {
    const QString name =
        FromCp1252(ShownText(monitor_.snapshot.name, monitor_.options.readable_names));
    const QString where = FromCp1252(connection_->socket().RemoteHost()) + QLatin1Char(':') +
                          QString::number(connection_->socket().RemotePort());
    return name.trimmed().isEmpty() ? where : QStringLiteral("%1 (%2)").arg(name, where);
}

void MainWindow::UpdateTray() {
    const Options& o = monitor_.options;
    const bool wanted =
        (o.alert_events != 0 || o.close_to_tray) && QSystemTrayIcon::isSystemTrayAvailable();
    if (wanted && !tray_) tray_ = new TrayIcon(*this);
    if (tray_) {
        tray_->Refresh(monitor_, ServerText());  // the icon first: an icon without one is refused
        tray_->icon->setVisible(wanted);
    }
    // While the window can hide in the tray, closing the last window on screen (a message box
    // shown while the window is hidden) must not end the program: closing the window does.
    QApplication::setQuitOnLastWindowClosed(!Tray());
}

void MainWindow::RecordPoint() {
    TellAlerts(live_->Tick().events);
}

void MainWindow::TellAlerts(const std::vector<Event>& events) {
    if (events.empty() || monitor_.options.alert_events == 0) return;
    const QPointer<TrayIcon> tray = Tray();
    for (const Alert& alert : AlertsFor(events, monitor_.options, ServerText()))
        notifier_->Notify(alert.summary, alert.body, [tray](const QString& s, const QString& b) {
            if (tray) tray->ShowMessage(s, b);
        });
}

SettingsValues MainWindow::Settings() {
    return morvek::CurrentSettings(monitor_, *connection_, &publisher_->publishTimer);
}

void MainWindow::SetPublishing(bool periodic) {
    publisher_->SetPeriodic(periodic);
    if (!periodic) connection_->OnPollTick();
}

void MainWindow::SaveSettingsOnce() {
    if (saved_) return;
    saved_ = true;
    if (!settings_) return;
    SettingsValues values = Settings();
    std::string address = connection_->socket().RemoteHostIP();
    if (keep_stored_server_) {
        values.server_port = loaded_.server_port;
        values.server_type = loaded_.server_type;
        address.clear();  // no ServerName is written: the stored one stays
    }
    SaveSettings(*settings_, values, address, platform::SettingsFailureDialog(*dialogs_));
}

// ---- layout ----

QSize MainWindow::FrameExtra() const {
    // The layout rule is written for the designed outer size, whose borders and caption take 120
    // x 405 twips. The real frame differs from one window manager to the next, is unknown until
    // the window has been mapped (and none at all without a window manager): the rule always
    // counts the designed one, so the client area is laid out the same everywhere.
    return QSize(TwipsToPixels(kDesignFrameWidth), TwipsToPixels(kDesignFrameHeight));
}

void MainWindow::UpdateMinimumSize() {
    const QSize extra = FrameExtra();
    setMinimumSize(std::max(1, TwipsToPixelsCeil(layout_.min_width) - extra.width()),
                   std::max(1, TwipsToPixelsCeil(layout_.min_height) - extra.height()));
}

void MainWindow::ApplyLayout() {
    if (isMinimized() || in_layout_) return;
    in_layout_ = true;
    UpdateMinimumSize();
    // Raising the size to the minimum resizes the window, which runs the rule once more (here
    // directly, as the resize event arrives while the rule is still running).
    for (int pass = 0; pass < 2; ++pass) {
        const QSize extra = FrameExtra();
        double w = (width() + extra.width()) * kTwipsPerPixel;
        double h = (height() + extra.height()) * kTwipsPerPixel;
        const double asked_w = w, asked_h = h;
        ApplyLayoutRule(layout_, w, h);
        outer_w_ = w;
        outer_h_ = h;
        if (w == asked_w && h == asked_h) break;
        const QSize before = size();
        resize(TwipsToPixelsCeil(w) - extra.width(), TwipsToPixelsCeil(h) - extra.height());
        if (size() == before) break;
    }
    PlaceControls();
    in_layout_ = false;
}

void MainWindow::PlaceControls() {
    PlaceTwips(serverFrame, layout_.serverFrame);
    PlaceTwips(serverFields, layout_.serverFields);
    PlaceTwips(playerFrame, layout_.playerFrame);
    PlaceTwips(playerPanel, layout_.playerPanel);
    PlaceTwips(graphFrame, layout_.graphFrame);
    PlaceTwips(fragChart, layout_.fragChart);
    PlaceTwips(creditLabel, layout_.creditLabel);
    PlaceTwips(menuButton, layout_.menuButton);
    PlaceTwips(trafficLamp, layout_.trafficLamp);
    PlaceTwips(statusFrame, layout_.statusFrame);
    PlaceTwips(replayFrame, layout_.replayFrame);
    PlaceFramed(statusLine, layout_.statusLine);
    PlaceFramed(logOpenIcon, kOpenIndicator);
    PlaceFramed(recordingIcon, kSaveIndicator);
    PlaceFramed(publishingIcon, kWebIndicator);
    for (std::size_t i = 0; i < replayButtons.size(); ++i)
        PlaceFramed(replayButtons[i], {kPlayerButtonLefts[i], 225, 255, 285});
    PlaceFramed(positionLabel, kPositionLabel);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ApplyLayout();
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The frame is known once the window is on screen: the minimum follows it.
    ApplyLayout();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Restoring a minimized window runs the rule again.
    if (event->type() == QEvent::WindowStateChange && !isMinimized()) ApplyLayout();
}

void MainWindow::SetGraphVisible(bool visible) {
    layout_.graph_visible = visible;
    monitor_.graph.visible = visible;
    graphFrame->setVisible(visible);
    layout_.min_height = visible ? kMinHeightWithGraph : kMinHeightWithoutGraph;
    UpdateMinimumSize();
    if (!isMaximized()) {
        const QSize extra = FrameExtra();
        const double h = visible ? kHeightWithGraph : kHeightWithoutGraph;
        resize(width(), TwipsToPixelsCeil(h) - extra.height());
    }
    ApplyLayout();
}

// ---- drawing from the picture ----

void MainWindow::ShowPlayers() {
    playerPanel->ShowPlayers(monitor_);
}

void MainWindow::UpdateMenuState() {
    const MenuState m = MenuFor(monitor_.state, monitor_.recording, monitor_.retrying);
    connectAction->setEnabled(m.connect);
    disconnectAction->setEnabled(m.disconnect);
    rulesAction->setEnabled(m.rules);
    setupAction->setEnabled(m.setup);
    openLogAction->setEnabled(m.open);
    recordAction->setEnabled(m.record);
    stopRecordingAction->setEnabled(m.stop_record);
    if (Tray()) tray_->Refresh(monitor_, ServerText());
}

void MainWindow::RepaintTraffic() {
    trafficLamp->SetColour(ToQColor(TrafficColour(monitor_.traffic)));
    trafficLamp->repaint();
}

void MainWindow::RefreshPanel() {
    const ServerSnapshot& s = monitor_.snapshot;
    SetToneField(serverNameEdit, s.name, monitor_.options.readable_names);
    SetField(mapEdit, s.map);
    SetField(versionEdit, s.version);
    SetField(addressEdit, s.address);
    SetField(maxPlayersEdit, s.max_players);
    SetField(pingEdit, s.ping);
    SetField(portEdit, s.port);
    SetField(playersEdit, s.players);
    SetField(typeEdit, s.type_name);
    playerPanel->SetHeadings(monitor_.shown_type->address_heading,
                             monitor_.shown_type->port_heading);

    statusLamp->SetColour(ToQColor(StatusColour(monitor_.state)));
    statusLabel->setText(QString::fromStdString(monitor_.status_text));
    trafficLamp->SetColour(ToQColor(TrafficColour(monitor_.traffic)));
    recordingIcon->setVisible(monitor_.recording);
    logOpenIcon->setVisible(monitor_.log_open);
    publishingIcon->setVisible(monitor_.web_active);

    const ReplayControls replay = ReplayControlsFor(monitor_);
    replayFrame->setEnabled(replay.enabled);
    for (std::size_t i = 0; i < replayButtons.size(); ++i)
        replayButtons[i]->setEnabled(replay.buttons[i]);
    positionLabel->setEnabled(replay.enabled);
    positionLabel->setText(QString::fromStdString(replay.position));

    if (layout_.graph_visible) {
        fragChart->SetPlayerNames(monitor_.table, monitor_.options);
        fragChart->Refresh(monitor_.graph);
    }
    if (rules_window_) rules_window_->Refresh();
    if (Tray()) tray_->Refresh(monitor_, ServerText());
    // A silence is told at once, as the headless monitor does.
    TellAlerts(live_->Redrawn().events);
}

void MainWindow::RefreshAll() {
    RefreshPanel();
    ShowPlayers();
    UpdateMenuState();
    fragChart->Refresh(monitor_.graph, true);
}

void MainWindow::SetBusy(bool busy) {
    if (busy) {
        if (busy_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busy_ > 0) {
        if (--busy_ == 0) QApplication::restoreOverrideCursor();
    }
}

void MainWindow::WriteLogRecord() {
    morvek::WriteLogRecord(monitor_);
}

// ---- commands ----

void MainWindow::PopUpMenu() {
    const QPoint corner(menuButton->x() + menuButton->width(), menuButton->y());
    commandMenu->popup(mapToGlobal(corner));
}

void MainWindow::ShowAbout() {
    AboutBox about(this);
    about.exec();
}

void MainWindow::ShowHelp() {
    const QString found = FindHelpFile(help_folder_);
    if (found.isEmpty()) {
        dialogs_->ShowMessage(MissingHelpText(QDir(help_folder_).filePath(kHelpFileName)),
                              kAppTitle, platform::MessageIcon::Exclamation,
                              platform::MessageButtons::Ok);
        return;
    }
    if (!help_window_) help_window_ = new HelpWindow(this);
    if (!help_window_->Load(found)) {
        dialogs_->ShowMessage(MissingHelpText(found), kAppTitle, platform::MessageIcon::Exclamation,
                              platform::MessageButtons::Ok);
        return;
    }
    help_window_->show();
    help_window_->raise();
}

void MainWindow::Connect() {
    connection_->Connect();
}

void MainWindow::Disconnect() {
    connection_->Disconnect();
}

void MainWindow::ShowRulesWindow() {
    connection_->ShowRules();
    if (rules_window_) return;  // already on screen
    auto* window = new RulesWindow(
        monitor_.rules, [this] { connection_->CloseRules(); }, this,
        &monitor_.options.readable_names);
    window->setAttribute(Qt::WA_DeleteOnClose);
    rules_window_ = window;
    // Polling and the rule exchange go on in the dialog's event loop.
    window->exec();
}

void MainWindow::ShowSetup() {
    SetupDialog setup(*this, this);
    setup.exec();
}

void MainWindow::ShowWebPublishing() {
    WebDialog dialog(*this, this);
    dialog.exec();
    RefreshPanel();
}

void MainWindow::Print() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(print::ReportTitle(monitor_));
    printer.setCreator(QStringLiteral("Morvek"));
    print::PrintReport(
        monitor_, printer,
        [this, &printer](QPagedPaintDevice&) {
            // The dialog sets the printer, the file, the paper and the copy count.
            QPrintDialog dialog(&printer, this);
            return dialog.exec() == QDialog::Accepted;
        },
        [this](bool busy) { SetBusy(busy); });
}

void MainWindow::Record() {
    StartRecording(monitor_, *dialogs_, *this);
    RefreshPanel();
}

void MainWindow::StopRecording() {
    connection_->StopRecording();
    RefreshPanel();
}

void MainWindow::OpenLogFile() {
    OpenLog(monitor_, *dialogs_, *this);
    RefreshPanel();
}

void MainWindow::Exit() {
    exiting_ = true;
    close();
}

void MainWindow::StepReplay(int index) {
    morvek::StepReplay(monitor_, *this, index);
    RefreshPanel();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Releasing a mouse button over a player button hands the focus back to the menu button,
    // after the button has had the release: taking its focus first would take its pressed state
    // away, and the click would never fire.
    if (event->type() == QEvent::MouseButtonRelease) {
        for (QPushButton* button : replayButtons)
            if (watched == button) {
                const QPointer<QWidget> menu = menuButton;
                static_cast<QObject*>(button)->event(event);
                if (menu) menu->setFocus();
                return true;
            }
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing to the tray only hides the window; "&Exit" (from either menu) closes it.
    if (!exiting_ && monitor_.options.close_to_tray && Tray()) {
        hide();
        event->ignore();
        return;
    }
    // Closing: the settings first, then the menu and the rules window. The timers and the
    // socket stop too, so nothing fires while the program winds down.
    SaveSettingsOnce();
    commandMenu->close();
    if (rules_window_) rules_window_->reject();
    if (help_window_) help_window_->close();
    connection_->pollTimer().SetEnabled(false);
    connection_->timeoutTimer().SetEnabled(false);
    publisher_->publishTimer.SetEnabled(false);
    connection_->socket().Close();
    if (tray_) tray_->icon->hide();
    event->accept();
    if (!QApplication::quitOnLastWindowClosed()) QCoreApplication::quit();
}

}  // namespace morvek
