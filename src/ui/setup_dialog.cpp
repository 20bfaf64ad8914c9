#include "ui/setup_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/alerts.h"
#include "core/numbers.h"
#include "core/text.h"
#include "platform/dialogs.h"
#include "query/connection.h"  // kAppTitle
#include "query/live_settings.h"
#include "ui/main_window_api.h"

namespace morvek {

namespace {

double NumberOf(const QLineEdit* box) {
    return LeadingNumber(ToCp1252(box->text()));
}

// The graph's row count from its box: a whole number of rows, at least 1.
std::optional<std::int16_t> RowsFromText(const QLineEdit* box) {
    auto rows = ToInt16(NumberOf(box));
    if (!rows || *rows <= 0) return std::nullopt;
    return rows;
}

// The fixed number of series: a 16-bit count, 0 allowed.
std::optional<std::int16_t> SeriesFromText(const QLineEdit* box) {
    auto series = ToInt16(NumberOf(box));
    if (!series || *series < 0) return std::nullopt;
    return series;
}

QLabel* Caption(const char* text, QWidget* parent) {
    return new QLabel(QString::fromLatin1(text), parent);
}

// A switch: its caption in the first column (the box is the caption's buddy), the box in the
// second, in the grid's own group box.
QCheckBox* SwitchRow(QGridLayout* grid, int row, const char* caption) {
    QWidget* group = grid->parentWidget();
    auto* box = new QCheckBox(group);
    QLabel* text = Caption(caption, group);
    text->setBuddy(box);
    grid->addWidget(text, row, 0);
    grid->addWidget(box, row, 1);
    return box;
}

}  // namespace

std::optional<std::int32_t> PortFromText(const QString& text) {
    QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 5) return std::nullopt;
    for (QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    int port = digits.toInt();
    if (port < 1 || port > 65535) return std::nullopt;
    return port;
}

std::optional<std::int32_t> IntervalFromText(const QString& text) {
    return IntervalMs(ToCp1252(text));
}

frmSetup::frmSetup(MainWindowApi& api, QWidget* parent) : QDialog(parent), api_(api) {
    BuildControls();
    Form_Load();
}

void frmSetup::BuildControls() {
    setWindowTitle(QStringLiteral("Setup"));
    setModal(true);

    auto* outer = new QVBoxLayout(this);
    TabStrip = new QTabWidget(this);
    outer->addWidget(TabStrip);
    BuildConnectionPage();
    BuildApplicationPage();
    BuildGraphPage();
    BuildAlertsPage();
    connect(TabStrip, &QTabWidget::currentChanged, this, [this] { TabStrip_Click(); });

    // Buttons: "&Ok" is taken by Enter, "&Cancel" by Esc.
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    cmdOk = new QPushButton(QStringLiteral("&Ok"), this);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdOk->setDefault(true);
    cmdOk->setAutoDefault(true);
    cmdCancel->setAutoDefault(false);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    outer->addLayout(buttons);
    connect(cmdOk, &QPushButton::clicked, this, &frmSetup::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSetup::cmdCancel_Click);

    for (QLineEdit* box : {txtServerName, txtServerPort, txtRefresh, txtTimeOut, txtColumns})
        box->installEventFilter(this);
}

// Page "Connection".
void frmSetup::BuildConnectionPage() {
    auto* connection_page = new QWidget;
    auto* connection_layout = new QVBoxLayout(connection_page);
    frConnection = new QGroupBox(QStringLiteral("Connection:"), connection_page);
    connection_layout->addWidget(frConnection);
    auto* grid = new QGridLayout(frConnection);
    lblConnection[0] = Caption("Server type:", frConnection);
    grid->addWidget(lblConnection[0], 0, 0);
    auto* types = new QHBoxLayout;
    type_group_ = new QButtonGroup(this);
    for (int i = 0; i < int(optType.size()); ++i) {
        optType[i] =
            new QRadioButton(QString::fromLatin1(kServerTypes[i].setup_label), frConnection);
        type_group_->addButton(optType[i], i);
        types->addWidget(optType[i]);
        connect(optType[i], &QRadioButton::clicked, this, [this, i] { optType_Click(i); });
    }
    grid->addLayout(types, 0, 1, 1, 2);

    txtServerName = new QLineEdit(frConnection);
    txtServerPort = new QLineEdit(frConnection);
    txtRefresh = new QLineEdit(frConnection);
    txtTimeOut = new QLineEdit(frConnection);
    txtServerName->setObjectName(QStringLiteral("txtServerName"));
    txtServerPort->setObjectName(QStringLiteral("txtServerPort"));
    txtRefresh->setObjectName(QStringLiteral("txtRefresh"));
    txtTimeOut->setObjectName(QStringLiteral("txtTimeOut"));
    lblConnection[1] = Caption("Server name (or IP Address):", frConnection);
    lblConnection[2] = Caption("Server port:", frConnection);
    lblConnection[3] = Caption("Refresh frequency:", frConnection);
    lblConnection[4] = Caption("Timeout interval:", frConnection);
    lblConnection[5] = Caption("s", frConnection);
    lblConnection[6] = Caption("s", frConnection);
    grid->addWidget(lblConnection[1], 1, 0);
    grid->addWidget(txtServerName, 1, 1, 1, 2);
    grid->addWidget(lblConnection[2], 2, 0);
    grid->addWidget(txtServerPort, 2, 1);
    grid->addWidget(lblConnection[3], 3, 0);
    grid->addWidget(txtRefresh, 3, 1);
    grid->addWidget(lblConnection[5], 3, 2);
    grid->addWidget(lblConnection[4], 4, 0);
    grid->addWidget(txtTimeOut, 4, 1);
    grid->addWidget(lblConnection[6], 4, 2);
    chkKeepTrying = new QCheckBox(QStringLiteral("Keep trying after a timeout"), connection_page);
    connection_layout->addWidget(chkKeepTrying);
    TabStrip->addTab(connection_page, QStringLiteral("Connection"));
}

// Page "Application".
void frmSetup::BuildApplicationPage() {
    auto* application_page = new QWidget;
    auto* application_layout = new QVBoxLayout(application_page);
    frApplication = new QGroupBox(QStringLiteral("Application:"), application_page);
    application_layout->addWidget(frApplication);
    auto* grid = new QGridLayout(frApplication);
    chkDisconnect = SwitchRow(grid, 0, "Disconnect on level change:");
    chkMantein = SwitchRow(grid, 1, "Mantein disconnected player info:");
    grid->addWidget(Caption("Player sorting:", frApplication), 2, 0);
    static constexpr std::array<const char*, 3> kSortingNames = {"ID", "Name", "Frags"};
    auto* sortings = new QHBoxLayout;
    sorting_group_ = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        optSorting[i] = new QRadioButton(QString::fromLatin1(kSortingNames[i]), frApplication);
        sorting_group_->addButton(optSorting[i], i);
        sortings->addWidget(optSorting[i]);
        connect(optSorting[i], &QRadioButton::clicked, this, [this, i] { optSorting_Click(i); });
    }
    optSorting[0]->setChecked(true);
    grid->addLayout(sortings, 2, 1);
    chkReadable = SwitchRow(grid, 3, "Readable Quake names:");
    chkSpectators = SwitchRow(grid, 4, "Show spectators:");
    TabStrip->addTab(application_page, QStringLiteral("Application"));
}

// Page "Graph".
void frmSetup::BuildGraphPage() {
    auto* graph_page = new QWidget;
    auto* graph_layout = new QVBoxLayout(graph_page);
    frGraphOptions = new QGroupBox(QStringLiteral("Graph options:"), graph_page);
    graph_layout->addWidget(frGraphOptions);
    auto* grid = new QGridLayout(frGraphOptions);
    chkShowGraph = SwitchRow(grid, 0, "Show graph:");
    chkLegend = SwitchRow(grid, 1, "Show legend:");
    grid->addWidget(Caption("Graph Series:", frGraphOptions), 2, 0);
    serie_group_ = new QButtonGroup(this);
    optSerie[0] = new QRadioButton(QStringLiteral("Server's max players"), frGraphOptions);
    optSerie[1] = new QRadioButton(QStringLiteral("Fixed:"), frGraphOptions);
    txtSerie = new QLineEdit(frGraphOptions);
    txtSerie->setObjectName(QStringLiteral("txtSerie"));
    for (int i = 0; i < 2; ++i) {
        serie_group_->addButton(optSerie[i], i);
        connect(optSerie[i], &QRadioButton::clicked, this, [this, i] { optSerie_Click(i); });
    }
    optSerie[0]->setChecked(true);
    auto* fixed = new QHBoxLayout;
    fixed->addWidget(optSerie[1]);
    fixed->addWidget(txtSerie);
    grid->addWidget(optSerie[0], 2, 1);
    grid->addLayout(fixed, 3, 1);
    txtColumns = new QLineEdit(frGraphOptions);
    txtColumns->setObjectName(QStringLiteral("txtColumns"));
    grid->addWidget(Caption("Max graph data per serie:", frGraphOptions), 4, 0);
    grid->addWidget(txtColumns, 4, 1);
    TabStrip->addTab(graph_page, QStringLiteral("Graph"));
}

// Page "Alerts": the events that raise a desktop notification, in the order of EventKind.
void frmSetup::BuildAlertsPage() {
    auto* alerts_page = new QWidget;
    auto* alerts_layout = new QVBoxLayout(alerts_page);
    frAlerts = new QGroupBox(QStringLiteral("Notify me when:"), alerts_page);
    alerts_layout->addWidget(frAlerts);
    auto* grid = new QGridLayout(frAlerts);
    static constexpr std::array<const char*, kEventKindCount> kAlertNames = {
        "A player joins",   "A player leaves",       "The map changes",    "The server goes silent",
        "It answers again", "The frag lead changes", "The server is full", "A slot comes free"};
    for (int i = 0; i < kEventKindCount; ++i) {
        chkAlert[i] = new QCheckBox(QString::fromLatin1(kAlertNames[i]), frAlerts);
        grid->addWidget(chkAlert[i], i / 2, i % 2);
    }
    auto* watch_label =
        Caption("Only when one of these players joins (names separated by commas; empty: anyone):",
                frAlerts);
    watch_label->setWordWrap(true);
    txtWatchList = new QLineEdit(frAlerts);
    txtWatchList->setObjectName(QStringLiteral("txtWatchList"));
    watch_label->setBuddy(txtWatchList);
    grid->addWidget(watch_label, kEventKindCount / 2, 0, 1, 2);
    grid->addWidget(txtWatchList, kEventKindCount / 2 + 1, 0, 1, 2);
    chkCloseToTray =
        new QCheckBox(QStringLiteral("Closing the window keeps Morvek in the tray"), alerts_page);
    alerts_layout->addWidget(chkCloseToTray);
    alerts_layout->addStretch();
    TabStrip->addTab(alerts_page, QStringLiteral("Alerts"));
}

bool frmSetup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Only the focus moving inside the dialog counts as leaving a box; the window losing
        // the activation (another program, a message box) does not.
        auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == txtServerName)
                txtServerName_LostFocus();
            else if (watched == txtServerPort)
                txtServerPort_LostFocus();
            else if (watched == txtRefresh)
                txtRefresh_LostFocus();
            else if (watched == txtTimeOut)
                txtTimeOut_LostFocus();
            else if (watched == txtColumns)
                txtColumns_LostFocus();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmSetup::Select(QButtonGroup* group, QRadioButton* option) {
    if (option) {
        option->setChecked(true);
        return;
    }
    // No option: an exclusive group cannot be cleared directly.
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons()) button->setChecked(false);
    group->setExclusive(true);
}

void frmSetup::Form_Load() {
    const Monitor& monitor = api_.monitor();
    const SettingsValues live = api_.Settings();

    // 1. While Connected the server, port and intervals can be looked at but not changed.
    if (monitor.state == ConnectionState::Connected) {
        frConnection->setEnabled(false);
        for (QLineEdit* box : {txtServerName, txtServerPort, txtRefresh, txtTimeOut})
            box->setEnabled(false);
        for (QLabel* caption : lblConnection) caption->setEnabled(false);
        for (QRadioButton* option : optType) option->setEnabled(false);
    }

    // 2. The server type; a type without an option selects none and stays as it is.
    type_choice_ = live.server_type;
    if (FindServerType(live.server_type)) {
        const int type = TypeCode(live.server_type);
        Select(type_group_, optType[type]);
        optType_Click(type);
    } else {
        Select(type_group_, nullptr);
    }

    // 3-4. Server name (the last peer's address when no name is set) and port.
    txtServerName->setText(FromCp1252(live.server_name));
    txtServerPort->setText(QString::number(live.server_port));

    // 5. Intervals in seconds.
    txtRefresh->setText(QString::fromStdString(SecondsText(live.check_interval_ms)));
    txtTimeOut->setText(QString::fromStdString(SecondsText(live.timeout_interval_ms)));

    // 6-7.
    chkDisconnect->setChecked(live.disconnect_on_map_change != 0);
    chkMantein->setChecked(live.keep_disconnected != 0);
    chkKeepTrying->setChecked(live.keep_trying);
    chkReadable->setChecked(live.readable_names);
    chkSpectators->setChecked(live.show_spectators);
    txtColumns->setText(QString::number(monitor.graph.RowCount()));

    // 8. Sorting.
    sorting_choice_ = live.player_sorting;
    if (live.player_sorting < optSorting.size()) {
        Select(sorting_group_, optSorting[live.player_sorting]);
        optSorting_Click(live.player_sorting);
    } else {
        Select(sorting_group_, nullptr);
    }

    // 9-12. Graph.
    chkShowGraph->setChecked(api_.GraphVisible());
    chkLegend->setChecked(live.show_legend);
    txtSerie->setText(QString::number(live.serie_fixed));
    if (live.serie_max_player == 0) {
        Select(serie_group_, optSerie[1]);
        optSerie_Click(1);
    }

    // Alerts.
    for (int i = 0; i < kEventKindCount; ++i) chkAlert[i]->setChecked(AlertOn(live, EventKind(i)));
    txtWatchList->setText(FromCp1252(live.alert_watch_list));
    chkCloseToTray->setChecked(live.close_to_tray);

    // 13.
    TabStrip->setCurrentIndex(0);
    TabStrip_Click();
}

void frmSetup::optType_Click(int index) {
    if (index < 0 || index > 255) return;
    type_choice_ = ServerType(index);
    if (const ServerTypeInfo* info = FindServerType(type_choice_))
        txtServerPort->setText(QString::fromLatin1(info->default_port));
}

void frmSetup::optSorting_Click(int index) {
    if (index >= 0 && index <= 255) sorting_choice_ = std::uint8_t(index);
}

void frmSetup::optSerie_Click(int index) {
    fixed_series_choice_ = index != 0;
}

void frmSetup::TabStrip_Click() {
    QWidget* page = TabStrip->currentWidget();
    if (page) page->raise();
}

void frmSetup::Refuse(QLineEdit* box, const char* message, const char* default_text) {
    QScopedValueRollback<bool> guard(validating_, true);
    api_.dialogs().Message(message, kAppTitle, platform::MessageIcon::Critical,
                           platform::MessageButtons::Ok);
    box->setText(QString::fromLatin1(default_text));
}

std::array<frmSetup::BoxRule, 6> frmSetup::BoxRules() const {
    return {
        {{txtServerName, [](const QLineEdit* b) { return !b->text().isEmpty(); },
          kInvalidServerName, "localhost", true},
         {txtServerPort, [](const QLineEdit* b) { return PortFromText(b->text()).has_value(); },
          kInvalidServerPort, "26000", true},
         {txtRefresh, [](const QLineEdit* b) { return IntervalFromText(b->text()).has_value(); },
          kInvalidRefresh, "5", true},
         {txtTimeOut, [](const QLineEdit* b) { return IntervalFromText(b->text()).has_value(); },
          kInvalidTimeout, "30", true},
         {txtColumns, [](const QLineEdit* b) { return RowsFromText(b).has_value(); },
          kInvalidGraphLength, "20", false},
         {txtSerie, [](const QLineEdit* b) { return SeriesFromText(b).has_value(); },
          kInvalidGraphSeries, "16", false}}};
}

bool frmSetup::CheckBox(QLineEdit* box) {
    for (const BoxRule& rule : BoxRules()) {
        if (rule.box != box || rule.valid(box)) continue;
        Refuse(box, rule.message, rule.default_text);
        return false;
    }
    return true;
}

void frmSetup::txtServerName_LostFocus() {
    if (!validating_) CheckBox(txtServerName);
}

void frmSetup::txtServerPort_LostFocus() {
    if (!validating_) CheckBox(txtServerPort);
}

void frmSetup::txtRefresh_LostFocus() {
    if (!validating_) CheckBox(txtRefresh);
}

void frmSetup::txtTimeOut_LostFocus() {
    if (!validating_) CheckBox(txtTimeOut);
}

void frmSetup::txtColumns_LostFocus() {
    if (!validating_) CheckBox(txtColumns);
}

bool frmSetup::CheckBeforeApply() {
    // Enter takes "&Ok" without leaving the box being edited, so the boxes are checked again, the
    // connection boxes only when they could be edited.
    for (const BoxRule& rule : BoxRules()) {
        if (rule.connection && !frConnection->isEnabled()) continue;
        if (!CheckBox(rule.box)) return false;
    }
    return true;
}

void frmSetup::cmdOk_Click() {
    if (validating_) return;
    if (!CheckBeforeApply()) return;

    Monitor& monitor = api_.monitor();
    SettingsValues values = api_.Settings();

    // 1. Connection values, only when they could be edited (the dialog opened Disconnected).
    const bool server = frConnection->isEnabled();
    if (server) {
        values.server_name = ToCp1252(txtServerName->text());
        values.server_port = *PortFromText(txtServerPort->text());
        values.check_interval_ms = *IntervalFromText(txtRefresh->text());
        values.timeout_interval_ms = *IntervalFromText(txtTimeOut->text());
    }
    // 2-4. Switches, row count (the same count keeps the samples drawn), sorting and type.
    values.disconnect_on_map_change = chkDisconnect->isChecked() ? 1 : 0;
    values.keep_disconnected = chkMantein->isChecked() ? 1 : 0;
    values.keep_trying = chkKeepTrying->isChecked();
    values.readable_names = chkReadable->isChecked();
    values.show_spectators = chkSpectators->isChecked();
    values.graph_rows = *RowsFromText(txtColumns);
    values.player_sorting = sorting_choice_;
    values.server_type = type_choice_;
    // 6. Legend. 9-10. Series.
    values.show_legend = chkLegend->isChecked();
    const std::int16_t series = *SeriesFromText(txtSerie);
    values.serie_max_player = fixed_series_choice_ ? 0 : 1;
    values.serie_fixed = series;
    // Alerts; the watch list as "name, name".
    for (int i = 0; i < kEventKindCount; ++i)
        SetAlert(values, EventKind(i), chkAlert[i]->isChecked());
    QStringList watch;
    for (const QString& name : WatchNames(ToCp1252(txtWatchList->text()))) watch << name;
    values.alert_watch_list = ToCp1252(watch.join(QStringLiteral(", ")));
    values.close_to_tray = chkCloseToTray->isChecked();
    api_.ApplySettings(values, server ? kReachServer : kReachModel);

    // 5. The graph frame, RoulerV and the window height.
    if (chkShowGraph->isChecked()) {
        api_.SetGraphVisible(true);
        SetupGraph(monitor.graph);
    } else {
        api_.SetGraphVisible(false);
    }

    // 7. Layout.
    api_.Form_Resize();

    // 8. The captions of the chosen type, unless a log is being replayed.
    if (!monitor.log_open) ResetServerPanel(monitor);

    // 9. Fixed series.
    if (fixed_series_choice_) {
        monitor.graph.SetColumnCount(series);
        SetupGraph(monitor.graph);
    }

    // 11.
    api_.RefreshAll();
    accept();
}

void frmSetup::cmdCancel_Click() {
    reject();
}

}  // namespace morvek
