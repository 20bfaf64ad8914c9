#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
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

frmMain::frmMain(platform::Dialogs* dialogs, SettingsBackend* settings, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), settings_(settings) {
    if (!dialogs_) {
        own_dialogs_ = std::make_unique<QtDialogs>(this);
        dialogs_ = own_dialogs_.get();
    }
    connection_ = std::make_unique<Connection>(monitor_, *this);
    connect(connection_.get(), &Connection::RecordDue, this, &frmMain::WriteLogRecord);
    news_ = std::make_unique<platform::NewsBoxes>(*dialogs_);
    connect(connection_.get(), &Connection::told, this,
            [this](const Notice& notice) { news_->Show(notice.text, notice.title, notice.icon); });
    publisher_ = std::make_unique<web::HtmlPublisher>(monitor_, *dialogs_);
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

frmMain::~frmMain() {
    if (rules_window_) delete rules_window_.data();
    if (help_window_) delete help_window_.data();
}

frmRoule* frmMain::RulesWindow() const {
    return rules_window_.data();
}

HelpWindow* frmMain::Help() const {
    return help_window_.data();
}

void frmMain::BuildControls() {
    frServer = new QGroupBox(QStringLiteral("Server Info:"), this);
    frInsideServer = new QWidget(frServer);
    PlaceTwips(frInsideServer, layout_.frInsideServer);
    struct Field {
        const char* caption;
        QLineEdit** field;
        double left, top, width;
    };
    const std::array<Field, 9> fields{{{"Name:", &txtSvrName, 960, 0, 1395},
                                       {"Current map:", &txtSvrMap, 3600, 0, 1395},
                                       {"V:", &txtSvrVersion, 5340, 0, 795},
                                       {"Net address:", &txtSvrIP, 960, 300, 1395},
                                       {"Max players:", &txtSvrMaxPlayers, 3600, 300, 1395},
                                       {"P:", &txtPing, 5340, 300, 795},
                                       {"Port:", &txtSvrPort, 960, 600, 1395},
                                       {"Current players:", &txtSvrPlayers, 3600, 600, 1395},
                                       {"T:", &txtType, 5340, 600, 795}}};
    // Each caption sits right-aligned in the room left of its field.
    const std::array<double, 3> caption_left{0, 2370, 4980};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Field& f = fields[i];
        auto* field = new QLineEdit(frInsideServer);
        field->setReadOnly(true);
        field->setFocusPolicy(Qt::ClickFocus);
        PlaceTwips(field, f.left, f.top, f.width, 285);
        *f.field = field;
        auto* caption = new QLabel(QString::fromLatin1(f.caption), frInsideServer);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QFont caption_font = font();
        caption_font.setPixelSize(10);
        caption->setFont(caption_font);
        const double left = caption_left[i % 3];
        PlaceTwips(caption, left, f.top, f.left - left - 45, 285);
        Label2[i] = caption;
    }

    frPlayer = new QGroupBox(QStringLiteral("Player Info:"), this);
    frInsidePlayer = new PlayerPanel(frPlayer);
    connect(frInsidePlayer, &PlayerPanel::Scrolled, this, &frmMain::ShowPlayers);

    frGraph = new QGroupBox(QStringLiteral("Graph:"), this);
    chtGrafico = new GraphView(frGraph);

    BuildBottomStrip();
}

// The credit, the menu button, the traffic lamp, the status frame and the log player.
void frmMain::BuildBottomStrip() {
    lblCopy = new QLabel(QString::fromLatin1(kCreditText), this);
    cmdMenu = new QPushButton(QStringLiteral("        Graph"), this);
    cmdMenu->setIcon(QIcon(ProgramIcon(32)));
    cmdMenu->setIconSize(QSize(18, 18));
    connect(cmdMenu, &QPushButton::clicked, this, &frmMain::cmdMenu_Click);
    cmdMenu->setToolTip(QStringLiteral("Commands: connect, rules, setup, web page, print, logs"));
    pctNet = new ColourBox(this);
    pctNet->setToolTip(QStringLiteral(
        "Network traffic: red while requests are sent, bright green while a reply is read"));

    frStatus = new QGroupBox(QStringLiteral("Status:"), this);
    pctOpen = new QLabel(frStatus);
    pctOpen->setPixmap(IndicatorPixmap(0));
    pctSave = new QLabel(frStatus);
    pctSave->setPixmap(IndicatorPixmap(1));
    pctWeb = new QLabel(frStatus);
    pctWeb->setPixmap(IndicatorPixmap(2));
    pctOpen->setToolTip(QStringLiteral("A log is open in the log player"));
    pctSave->setToolTip(QStringLiteral("Recording a log"));
    pctWeb->setToolTip(QStringLiteral("Publishing the web page"));
    pctOpen->hide();
    pctSave->hide();
    pctWeb->hide();
    frInsideStatus = new QWidget(frStatus);
    pctStatus = new ColourBox(frInsideStatus);
    pctStatus->setToolTip(QStringLiteral("Connection state"));
    PlaceTwips(pctStatus, 0, 0, 375, 195);
    lblStatus = new QLabel(frInsideStatus);
    PlaceTwips(lblStatus, 420, 0, 1395, 195);

    frPlay = new QGroupBox(QStringLiteral("Log Player:"), this);
    const std::array<const char*, 6> captions{"|<", "<<", "<", ">", ">>", ">|"};
    for (std::size_t i = 0; i < cmdPlayer.size(); ++i) {
        auto* button = new QPushButton(QString::fromLatin1(captions[i]), frPlay);
        button->installEventFilter(this);
        const int index = int(i);
        connect(button, &QPushButton::clicked, this, [this, index] { cmdPlayer_Click(index); });
        cmdPlayer[i] = button;
    }
    lblPosizione = new QLabel(frPlay);
    lblPosizione->setAlignment(Qt::AlignCenter);
}

void frmMain::BuildMenu() {
    mnu = new QMenu(this);
    auto item = [this](QMenu* menu, const char* caption, void (frmMain::*handler)()) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    mnuAbout = item(mnu, "&About", &frmMain::mnuAbout_Click);
    mnuHelp = item(mnu, "&Help", &frmMain::mnuHelp_Click);
    mnu->addSeparator();
    mnuConnect = item(mnu, "&Connect", &frmMain::mnuConnect_Click);
    mnuDisconnect = item(mnu, "&Disconnect", &frmMain::mnuDisconnect_Click);
    mnuRule = item(mnu, "&See Rules", &frmMain::mnuRule_Click);
    mnuSetup = item(mnu, "Set&up...", &frmMain::mnuSetup_Click);
    mnu->addSeparator();
    mnuWeb = item(mnu, "&Web publishing", &frmMain::mnuWeb_Click);
    mnuPrint = item(mnu, "&Print...", &frmMain::mnuPrint_Click);
    mnuLog = mnu->addMenu(QStringLiteral("&Log"));
    mnuLogItem = mnuLog->menuAction();
    mnuSave = item(mnuLog, "&Record...", &frmMain::mnuSave_Click);
    mnuStopRecord = item(mnuLog, "&Stop recording", &frmMain::mnuStopRecord_Click);
    mnuOpen = item(mnuLog, "&Open...", &frmMain::mnuOpen_Click);
    mnu->addSeparator();
    mnuExit = item(mnu, "&Exit", &frmMain::mnuExit_Click);
}

bool frmMain::Form_Load() {
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

void frmMain::ApplySettings(const SettingsValues& v, unsigned reach) {
    morvek::ApplySettings(v, monitor_, *connection_, &publisher_->timHtml, reach);
    UpdateTray();
}

// ---- tray and alerts ----

TrayIcon* frmMain::Tray() const {
    return tray_ && tray_->icon->isVisible() ? tray_.data() : nullptr;
}

QString frmMain::ServerText() const {
    const QString name =
        FromCp1252(ShownText(monitor_.snapshot.name, monitor_.options.readable_names));
    const QString where = FromCp1252(connection_->Winsock().RemoteHost()) + QLatin1Char(':') +
                          QString::number(connection_->Winsock().RemotePort());
    return name.trimmed().isEmpty() ? where : QStringLiteral("%1 (%2)").arg(name, where);
}

void frmMain::UpdateTray() {
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

void frmMain::RecordPoint() {
    TellAlerts(events_.Update(monitor_));
}

void frmMain::TellAlerts(const std::vector<Event>& events) {
    if (events.empty() || monitor_.options.alert_events == 0) return;
    const QPointer<TrayIcon> tray = Tray();
    for (const Alert& alert : AlertsFor(events, monitor_.options, ServerText()))
        notifier_->Notify(alert.summary, alert.body, [tray](const QString& s, const QString& b) {
            if (tray) tray->ShowMessage(s, b);
        });
}

SettingsValues frmMain::Settings() {
    return morvek::CurrentSettings(monitor_, *connection_, &publisher_->timHtml);
}

void frmMain::SetPublishing(bool periodic) {
    morvek::SetPublishing(periodic, monitor_, *connection_, publisher_->timHtml);
}

void frmMain::SaveSettingsOnce() {
    if (saved_) return;
    saved_ = true;
    if (!settings_) return;
    SettingsValues values = Settings();
    std::string address = connection_->Winsock().RemoteHostIP();
    if (keep_stored_server_) {
        values.server_port = loaded_.server_port;
        values.server_type = loaded_.server_type;
        address.clear();  // no ServerName is written: the stored one stays
    }
    SaveSettings(*settings_, values, address, platform::SettingsFailureDialog(*dialogs_));
}

// ---- layout ----

QSize frmMain::FrameExtra() const {
    // The layout rule is written for the designed outer size, whose borders and caption take 120
    // x 405 twips. The real frame differs from one window manager to the next, is unknown until
    // the window has been mapped (and none at all without a window manager): the rule always
    // counts the designed one, so the client area is laid out the same everywhere.
    return QSize(TwipsToPixels(kDesignFrameWidth), TwipsToPixels(kDesignFrameHeight));
}

void frmMain::UpdateMinimumSize() {
    const QSize extra = FrameExtra();
    setMinimumSize(std::max(1, TwipsToPixelsCeil(layout_.rouler_h_x2) - extra.width()),
                   std::max(1, TwipsToPixelsCeil(layout_.rouler_v_y2) - extra.height()));
}

void frmMain::Form_Resize() {
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

void frmMain::PlaceControls() {
    PlaceTwips(frServer, layout_.frServer);
    PlaceTwips(frInsideServer, layout_.frInsideServer);
    PlaceTwips(frPlayer, layout_.frPlayer);
    PlaceTwips(frInsidePlayer, layout_.frInsidePlayer);
    PlaceTwips(frGraph, layout_.frGraph);
    PlaceTwips(chtGrafico, layout_.chtGrafico);
    PlaceTwips(lblCopy, layout_.lblCopy);
    PlaceTwips(cmdMenu, layout_.cmdMenu);
    PlaceTwips(pctNet, layout_.pctNet);
    PlaceTwips(frStatus, layout_.frStatus);
    PlaceTwips(frPlay, layout_.frPlay);
    PlaceFramed(frInsideStatus, layout_.frInsideStatus);
    PlaceFramed(pctOpen, kOpenIndicator);
    PlaceFramed(pctSave, kSaveIndicator);
    PlaceFramed(pctWeb, kWebIndicator);
    for (std::size_t i = 0; i < cmdPlayer.size(); ++i)
        PlaceFramed(cmdPlayer[i], {kPlayerButtonLefts[i], 225, 255, 285});
    PlaceFramed(lblPosizione, kPositionLabel);
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The frame is known once the window is on screen: the minimum follows it.
    Form_Resize();
}

void frmMain::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Restoring a minimized window runs the rule again.
    if (event->type() == QEvent::WindowStateChange && !isMinimized()) Form_Resize();
}

void frmMain::SetGraphVisible(bool visible) {
    layout_.graph_visible = visible;
    monitor_.graph.visible = visible;
    frGraph->setVisible(visible);
    layout_.rouler_v_y2 = visible ? kMinHeightWithGraph : kMinHeightWithoutGraph;
    UpdateMinimumSize();
    if (!isMaximized()) {
        const QSize extra = FrameExtra();
        const double h = visible ? kHeightWithGraph : kHeightWithoutGraph;
        resize(width(), TwipsToPixelsCeil(h) - extra.height());
    }
    Form_Resize();
}

// ---- drawing from the picture ----

void frmMain::ShowPlayers() {
    frInsidePlayer->ShowPlayers(monitor_);
}

void frmMain::UpdateMenuState() {
    const MenuState m = MenuFor(monitor_.state, monitor_.recording, monitor_.retrying);
    mnuConnect->setEnabled(m.connect);
    mnuDisconnect->setEnabled(m.disconnect);
    mnuRule->setEnabled(m.rules);
    mnuSetup->setEnabled(m.setup);
    mnuOpen->setEnabled(m.open);
    mnuSave->setEnabled(m.record);
    mnuStopRecord->setEnabled(m.stop_record);
    if (Tray()) tray_->Refresh(monitor_, ServerText());
}

void frmMain::RepaintNet() {
    pctNet->SetColour(ToQColor(TrafficColour(monitor_.net)));
    pctNet->repaint();
}

void frmMain::RefreshPanel() {
    const ServerSnapshot& s = monitor_.snapshot;
    SetToneField(txtSvrName, s.name, monitor_.options.readable_names);
    SetField(txtSvrMap, s.map);
    SetField(txtSvrVersion, s.version);
    SetField(txtSvrIP, s.address);
    SetField(txtSvrMaxPlayers, s.max_players);
    SetField(txtPing, s.ping);
    SetField(txtSvrPort, s.port);
    SetField(txtSvrPlayers, s.players);
    SetField(txtType, s.type_name);
    frInsidePlayer->SetHeadings(monitor_.shown_type->address_heading,
                                monitor_.shown_type->port_heading);

    pctStatus->SetColour(ToQColor(StatusColour(monitor_.state)));
    lblStatus->setText(QString::fromStdString(monitor_.status_text));
    pctNet->SetColour(ToQColor(TrafficColour(monitor_.net)));
    pctSave->setVisible(monitor_.recording);
    pctOpen->setVisible(monitor_.log_open);
    pctWeb->setVisible(monitor_.web_active);

    const ReplayControls replay = ReplayControlsFor(monitor_);
    frPlay->setEnabled(replay.enabled);
    for (std::size_t i = 0; i < cmdPlayer.size(); ++i) cmdPlayer[i]->setEnabled(replay.buttons[i]);
    lblPosizione->setEnabled(replay.enabled);
    lblPosizione->setText(QString::fromStdString(replay.position));

    if (layout_.graph_visible) {
        chtGrafico->SetPlayerNames(monitor_.table);
        chtGrafico->Refresh(monitor_.graph);
    }
    if (rules_window_) rules_window_->Refresh();
    if (Tray()) tray_->Refresh(monitor_, ServerText());
    // A silence is told at once, as the headless monitor does.
    TellAlerts(events_.UpdateOnSilence(monitor_));
}

void frmMain::RefreshAll() {
    RefreshPanel();
    ShowPlayers();
    UpdateMenuState();
    chtGrafico->Refresh(monitor_.graph, true);
}

void frmMain::SetBusy(bool busy) {
    if (busy) {
        if (busy_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busy_ > 0) {
        if (--busy_ == 0) QApplication::restoreOverrideCursor();
    }
}

void frmMain::WriteLogRecord() {
    morvek::WriteLogRecord(monitor_);
}

// ---- commands ----

void frmMain::cmdMenu_Click() {
    const QPoint corner(cmdMenu->x() + cmdMenu->width(), cmdMenu->y());
    mnu->popup(mapToGlobal(corner));
}

void frmMain::mnuAbout_Click() {
    frmAbout about(this);
    about.exec();
}

void frmMain::mnuHelp_Click() {
    const QString found = FindHelpFile(help_folder_);
    if (found.isEmpty()) {
        dialogs_->Message(MissingHelpText(QDir(help_folder_).filePath(kHelpFileName)), kAppTitle,
                          platform::MessageIcon::Exclamation, platform::MessageButtons::Ok);
        return;
    }
    if (!help_window_) help_window_ = new HelpWindow(this);
    if (!help_window_->Load(found)) {
        dialogs_->Message(MissingHelpText(found), kAppTitle, platform::MessageIcon::Exclamation,
                          platform::MessageButtons::Ok);
        return;
    }
    help_window_->show();
    help_window_->raise();
}

void frmMain::mnuConnect_Click() {
    connection_->mnuConnect_Click();
}

void frmMain::mnuDisconnect_Click() {
    connection_->mnuDisconnect_Click();
}

void frmMain::mnuRule_Click() {
    connection_->ShowRules();
    if (rules_window_) return;  // already on screen
    auto* window = new frmRoule(
        monitor_.rules, [this] { connection_->CloseRules(); }, this,
        &monitor_.options.readable_names);
    window->setAttribute(Qt::WA_DeleteOnClose);
    rules_window_ = window;
    // Polling and the rule exchange go on in the dialog's event loop.
    window->exec();
}

void frmMain::mnuSetup_Click() {
    frmSetup setup(*this, this);
    setup.exec();
}

void frmMain::mnuWeb_Click() {
    frmWeb dialog(*this, this);
    dialog.exec();
    RefreshPanel();
}

void frmMain::mnuPrint_Click() {
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

void frmMain::mnuSave_Click() {
    StartRecording(monitor_, *dialogs_, *this);
    RefreshPanel();
}

void frmMain::mnuStopRecord_Click() {
    connection_->mnuStopRecord_Click();
    RefreshPanel();
}

void frmMain::mnuOpen_Click() {
    OpenLog(monitor_, *dialogs_, *this);
    RefreshPanel();
}

void frmMain::mnuExit_Click() {
    exiting_ = true;
    close();
}

void frmMain::cmdPlayer_Click(int index) {
    morvek::cmdPlayer_Click(monitor_, *this, index);
    RefreshPanel();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    // Releasing a mouse button over a player button hands the focus back to the menu button,
    // after the button has had the release: taking its focus first would take its pressed state
    // away, and the click would never fire.
    if (event->type() == QEvent::MouseButtonRelease) {
        for (QPushButton* button : cmdPlayer)
            if (watched == button) {
                const QPointer<QWidget> menu = cmdMenu;
                static_cast<QObject*>(button)->event(event);
                if (menu) menu->setFocus();
                return true;
            }
    }
    return QWidget::eventFilter(watched, event);
}

void frmMain::closeEvent(QCloseEvent* event) {
    // Closing to the tray only hides the window; "&Exit" (from either menu) closes it.
    if (!exiting_ && monitor_.options.close_to_tray && Tray()) {
        hide();
        event->ignore();
        return;
    }
    // Form_Unload: the settings first, then the menu and the rules window. The timers and the
    // socket stop too, so nothing fires while the program winds down.
    SaveSettingsOnce();
    mnu->close();
    if (rules_window_) rules_window_->reject();
    if (help_window_) help_window_->close();
    connection_->timCheck().SetEnabled(false);
    connection_->timTimeout().SetEnabled(false);
    publisher_->timHtml.SetEnabled(false);
    connection_->Winsock().Close();
    if (tray_) tray_->icon->hide();
    event->accept();
    if (!QApplication::quitOnLastWindowClosed()) QCoreApplication::quit();
}

}  // namespace morvek
