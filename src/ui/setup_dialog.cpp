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
#include "ui/qt_dialogs.h"

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

SetupDialog::SetupDialog(MainWindowApi& api, QWidget* parent) : QDialog(parent), api_(api) {
    BuildControls();
    Load();
}

void SetupDialog::BuildControls() {
    setWindowTitle(QStringLiteral("Setup"));
    setModal(true);

    auto* outer = new QVBoxLayout(this);
    pages = new QTabWidget(this);
    outer->addWidget(pages);
    BuildConnectionPage();
    BuildApplicationPage();
    BuildGraphPage();
    BuildAlertsPage();
    connect(pages, &QTabWidget::currentChanged, this, [this] { OnPageChosen(); });

    // Buttons: "&Ok" is taken by Enter, "&Cancel" by Esc.
    outer->addLayout(OkCancelRow(this, okButton, cancelButton));
    connect(okButton, &QPushButton::clicked, this, &SetupDialog::OnOk);
    connect(cancelButton, &QPushButton::clicked, this, &SetupDialog::OnCancel);

    for (QLineEdit* box :
         {serverNameEdit, serverPortEdit, refreshEdit, timeoutEdit, columnsEdit, livePortEdit})
        box->installEventFilter(this);
}

// Page "Connection".
void SetupDialog::BuildConnectionPage() {
    auto* connection_page = new QWidget;
    auto* connection_layout = new QVBoxLayout(connection_page);
    connectionGroup = new QGroupBox(QStringLiteral("Connection:"), connection_page);
    connection_layout->addWidget(connectionGroup);
    auto* grid = new QGridLayout(connectionGroup);
    connectionCaptions[0] = Caption("Server type:", connectionGroup);
    grid->addWidget(connectionCaptions[0], 0, 0);
    auto* types = new QHBoxLayout;
    type_group_ = new QButtonGroup(this);
    for (int i = 0; i < int(typeOptions.size()); ++i) {
        typeOptions[i] =
            new QRadioButton(QString::fromLatin1(kServerTypes[i].setup_label), connectionGroup);
        type_group_->addButton(typeOptions[i], i);
        types->addWidget(typeOptions[i]);
        connect(typeOptions[i], &QRadioButton::clicked, this, [this, i] { OnTypeChosen(i); });
    }
    grid->addLayout(types, 0, 1, 1, 2);

    serverNameEdit = new QLineEdit(connectionGroup);
    serverPortEdit = new QLineEdit(connectionGroup);
    refreshEdit = new QLineEdit(connectionGroup);
    timeoutEdit = new QLineEdit(connectionGroup);
    serverNameEdit->setObjectName(QStringLiteral("serverNameEdit"));
    serverPortEdit->setObjectName(QStringLiteral("serverPortEdit"));
    refreshEdit->setObjectName(QStringLiteral("refreshEdit"));
    timeoutEdit->setObjectName(QStringLiteral("timeoutEdit"));
    connectionCaptions[1] = Caption("Server name (or IP Address):", connectionGroup);
    connectionCaptions[2] = Caption("Server port:", connectionGroup);
    connectionCaptions[3] = Caption("Refresh frequency:", connectionGroup);
    connectionCaptions[4] = Caption("Timeout interval:", connectionGroup);
    connectionCaptions[5] = Caption("s", connectionGroup);
    connectionCaptions[6] = Caption("s", connectionGroup);
    grid->addWidget(connectionCaptions[1], 1, 0);
    grid->addWidget(serverNameEdit, 1, 1, 1, 2);
    grid->addWidget(connectionCaptions[2], 2, 0);
    grid->addWidget(serverPortEdit, 2, 1);
    grid->addWidget(connectionCaptions[3], 3, 0);
    grid->addWidget(refreshEdit, 3, 1);
    grid->addWidget(connectionCaptions[5], 3, 2);
    grid->addWidget(connectionCaptions[4], 4, 0);
    grid->addWidget(timeoutEdit, 4, 1);
    grid->addWidget(connectionCaptions[6], 4, 2);
    keepTryingBox = new QCheckBox(QStringLiteral("Keep trying after a timeout"), connection_page);
    connection_layout->addWidget(keepTryingBox);
    pages->addTab(connection_page, QStringLiteral("Connection"));
}

// Page "Application".
void SetupDialog::BuildApplicationPage() {
    auto* application_page = new QWidget;
    auto* application_layout = new QVBoxLayout(application_page);
    applicationGroup = new QGroupBox(QStringLiteral("Application:"), application_page);
    application_layout->addWidget(applicationGroup);
    auto* grid = new QGridLayout(applicationGroup);
    disconnectOnMapChangeBox = SwitchRow(grid, 0, "Disconnect on level change:");
    keepDisconnectedBox = SwitchRow(grid, 1, "Mantein disconnected player info:");
    grid->addWidget(Caption("Player sorting:", applicationGroup), 2, 0);
    static constexpr std::array<const char*, 3> kSortingNames = {"ID", "Name", "Frags"};
    auto* sortings = new QHBoxLayout;
    sorting_group_ = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        sortingOptions[i] =
            new QRadioButton(QString::fromLatin1(kSortingNames[i]), applicationGroup);
        sorting_group_->addButton(sortingOptions[i], i);
        sortings->addWidget(sortingOptions[i]);
        connect(sortingOptions[i], &QRadioButton::clicked, this, [this, i] { OnSortingChosen(i); });
    }
    sortingOptions[0]->setChecked(true);
    grid->addLayout(sortings, 2, 1);
    readableNamesBox = SwitchRow(grid, 3, "Readable Quake names:");
    spectatorsBox = SwitchRow(grid, 4, "Show spectators:");
    auto* live = new QHBoxLayout;
    serveLiveBox = new QCheckBox(
        QStringLiteral("Serve the page, the events and the metrics on port"), application_page);
    livePortEdit = new QLineEdit(application_page);
    livePortEdit->setObjectName(QStringLiteral("livePortEdit"));
    live->addWidget(serveLiveBox);
    live->addWidget(livePortEdit);
    application_layout->addLayout(live);
    pages->addTab(application_page, QStringLiteral("Application"));
}

// Page "Graph".
void SetupDialog::BuildGraphPage() {
    auto* graph_page = new QWidget;
    auto* graph_layout = new QVBoxLayout(graph_page);
    graphGroup = new QGroupBox(QStringLiteral("Graph options:"), graph_page);
    graph_layout->addWidget(graphGroup);
    auto* grid = new QGridLayout(graphGroup);
    showGraphBox = SwitchRow(grid, 0, "Show graph:");
    legendBox = SwitchRow(grid, 1, "Show legend:");
    grid->addWidget(Caption("Graph Series:", graphGroup), 2, 0);
    series_group_ = new QButtonGroup(this);
    seriesOptions[0] = new QRadioButton(QStringLiteral("Server's max players"), graphGroup);
    seriesOptions[1] = new QRadioButton(QStringLiteral("Fixed:"), graphGroup);
    seriesEdit = new QLineEdit(graphGroup);
    seriesEdit->setObjectName(QStringLiteral("seriesEdit"));
    for (int i = 0; i < 2; ++i) {
        series_group_->addButton(seriesOptions[i], i);
        connect(seriesOptions[i], &QRadioButton::clicked, this, [this, i] { OnSeriesChosen(i); });
    }
    seriesOptions[0]->setChecked(true);
    auto* fixed = new QHBoxLayout;
    fixed->addWidget(seriesOptions[1]);
    fixed->addWidget(seriesEdit);
    grid->addWidget(seriesOptions[0], 2, 1);
    grid->addLayout(fixed, 3, 1);
    columnsEdit = new QLineEdit(graphGroup);
    columnsEdit->setObjectName(QStringLiteral("columnsEdit"));
    grid->addWidget(Caption("Max graph data per serie:", graphGroup), 4, 0);
    grid->addWidget(columnsEdit, 4, 1);
    playerNamesBox = new QCheckBox(
        QStringLiteral("Players' names in the legend, no line for an empty slot"), graphGroup);
    grid->addWidget(playerNamesBox, 5, 0, 1, 2);
    pages->addTab(graph_page, QStringLiteral("Graph"));
}

// Page "Alerts": the events that raise a desktop notification, in the order of EventKind.
void SetupDialog::BuildAlertsPage() {
    auto* alerts_page = new QWidget;
    auto* alerts_layout = new QVBoxLayout(alerts_page);
    alertsGroup = new QGroupBox(QStringLiteral("Notify me when:"), alerts_page);
    alerts_layout->addWidget(alertsGroup);
    auto* grid = new QGridLayout(alertsGroup);
    static constexpr std::array<const char*, kEventKindCount> kAlertNames = {
        "A player joins",   "A player leaves",       "The map changes",    "The server goes silent",
        "It answers again", "The frag lead changes", "The server is full", "A slot comes free"};
    for (int i = 0; i < kEventKindCount; ++i) {
        alertBoxes[i] = new QCheckBox(QString::fromLatin1(kAlertNames[i]), alertsGroup);
        grid->addWidget(alertBoxes[i], i / 2, i % 2);
    }
    auto* watch_label =
        Caption("Only when one of these players joins (names separated by commas; empty: anyone):",
                alertsGroup);
    watch_label->setWordWrap(true);
    watchListEdit = new QLineEdit(alertsGroup);
    watchListEdit->setObjectName(QStringLiteral("watchListEdit"));
    watch_label->setBuddy(watchListEdit);
    grid->addWidget(watch_label, kEventKindCount / 2, 0, 1, 2);
    grid->addWidget(watchListEdit, kEventKindCount / 2 + 1, 0, 1, 2);
    closeToTrayBox =
        new QCheckBox(QStringLiteral("Closing the window keeps Morvek in the tray"), alerts_page);
    alerts_layout->addWidget(closeToTrayBox);
    alerts_layout->addStretch();
    pages->addTab(alerts_page, QStringLiteral("Alerts"));
}

bool SetupDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Only the focus moving inside the dialog counts as leaving a box; the window losing
        // the activation (another program, a message box) does not.
        auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == serverNameEdit)
                CheckServerNameBox();
            else if (watched == serverPortEdit)
                CheckServerPortBox();
            else if (watched == refreshEdit)
                CheckRefreshBox();
            else if (watched == timeoutEdit)
                CheckTimeoutBox();
            else if (watched == columnsEdit)
                CheckColumnsBox();
            else if (watched == livePortEdit && !validating_)
                CheckBox(livePortEdit);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SetupDialog::Select(QButtonGroup* group, QRadioButton* option) {
    if (option) {
        option->setChecked(true);
        return;
    }
    // No option: an exclusive group cannot be cleared directly.
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons()) button->setChecked(false);
    group->setExclusive(true);
}

void SetupDialog::Load() {
    const Monitor& monitor = api_.monitor();
    const SettingsValues live = api_.Settings();

    // 1. While Connected the server, port and intervals can be looked at but not changed.
    if (monitor.state == ConnectionState::Connected) {
        connectionGroup->setEnabled(false);
        for (QLineEdit* box : {serverNameEdit, serverPortEdit, refreshEdit, timeoutEdit})
            box->setEnabled(false);
        for (QLabel* caption : connectionCaptions) caption->setEnabled(false);
        for (QRadioButton* option : typeOptions) option->setEnabled(false);
    }

    // 2. The server type; a type without an option selects none and stays as it is.
    type_choice_ = live.server_type;
    if (FindServerType(live.server_type)) {
        const int type = TypeCode(live.server_type);
        Select(type_group_, typeOptions[type]);
        OnTypeChosen(type);
    } else {
        Select(type_group_, nullptr);
    }

    // 3-4. Server name (the last peer's address when no name is set) and port.
    serverNameEdit->setText(FromCp1252(live.server_name));
    serverPortEdit->setText(QString::number(live.server_port));

    // 5. Intervals in seconds.
    refreshEdit->setText(QString::fromStdString(SecondsText(live.check_interval_ms)));
    timeoutEdit->setText(QString::fromStdString(SecondsText(live.timeout_interval_ms)));

    // 6-7.
    disconnectOnMapChangeBox->setChecked(live.disconnect_on_map_change != 0);
    keepDisconnectedBox->setChecked(live.keep_disconnected != 0);
    keepTryingBox->setChecked(live.keep_trying);
    readableNamesBox->setChecked(live.readable_names);
    spectatorsBox->setChecked(live.show_spectators);
    serveLiveBox->setChecked(live.serve_live);
    livePortEdit->setText(QString::number(live.serve_port));
    columnsEdit->setText(QString::number(monitor.graph.RowCount()));

    // 8. Sorting.
    sorting_choice_ = live.player_sorting;
    if (live.player_sorting < sortingOptions.size()) {
        Select(sorting_group_, sortingOptions[live.player_sorting]);
        OnSortingChosen(live.player_sorting);
    } else {
        Select(sorting_group_, nullptr);
    }

    // 9-12. Graph.
    showGraphBox->setChecked(api_.GraphVisible());
    legendBox->setChecked(live.show_legend);
    playerNamesBox->setChecked(live.graph_player_names);
    seriesEdit->setText(QString::number(live.fixed_series));
    if (live.series_follow_max_players == 0) {
        Select(series_group_, seriesOptions[1]);
        OnSeriesChosen(1);
    }

    // Alerts.
    for (int i = 0; i < kEventKindCount; ++i)
        alertBoxes[i]->setChecked(AlertOn(live, EventKind(i)));
    watchListEdit->setText(FromCp1252(live.alert_watch_list));
    closeToTrayBox->setChecked(live.close_to_tray);

    // 13.
    pages->setCurrentIndex(0);
    OnPageChosen();
}

void SetupDialog::OnTypeChosen(int index) {
    if (index < 0 || index > 255) return;
    type_choice_ = ServerType(index);
    if (const ServerTypeInfo* info = FindServerType(type_choice_))
        serverPortEdit->setText(QString::fromLatin1(info->default_port));
}

void SetupDialog::OnSortingChosen(int index) {
    if (index >= 0 && index <= 255) sorting_choice_ = std::uint8_t(index);
}

void SetupDialog::OnSeriesChosen(int index) {
    fixed_series_choice_ = index != 0;
}

void SetupDialog::OnPageChosen() {
    QWidget* page = pages->currentWidget();
    if (page) page->raise();
}

void SetupDialog::Refuse(QLineEdit* box, const char* message, const char* default_text) {
    QScopedValueRollback<bool> guard(validating_, true);
    api_.dialogs().Message(message, kAppTitle, platform::MessageIcon::Critical,
                           platform::MessageButtons::Ok);
    box->setText(QString::fromLatin1(default_text));
}

std::array<SetupDialog::BoxRule, 7> SetupDialog::BoxRules() const {
    return {
        {{serverNameEdit, [](const QLineEdit* b) { return !b->text().isEmpty(); },
          kInvalidServerName, "localhost", true},
         {serverPortEdit, [](const QLineEdit* b) { return PortFromText(b->text()).has_value(); },
          kInvalidServerPort, "26000", true},
         {refreshEdit, [](const QLineEdit* b) { return IntervalFromText(b->text()).has_value(); },
          kInvalidRefresh, "5", true},
         {timeoutEdit, [](const QLineEdit* b) { return IntervalFromText(b->text()).has_value(); },
          kInvalidTimeout, "30", true},
         {columnsEdit, [](const QLineEdit* b) { return RowsFromText(b).has_value(); },
          kInvalidGraphLength, "20", false},
         {seriesEdit, [](const QLineEdit* b) { return SeriesFromText(b).has_value(); },
          kInvalidGraphSeries, "16", false},
         {livePortEdit, [](const QLineEdit* b) { return PortFromText(b->text()).has_value(); },
          kInvalidLivePort, "9100", false}}};
}

bool SetupDialog::CheckBox(QLineEdit* box) {
    for (const BoxRule& rule : BoxRules()) {
        if (rule.box != box || rule.valid(box)) continue;
        Refuse(box, rule.message, rule.default_text);
        return false;
    }
    return true;
}

void SetupDialog::CheckServerNameBox() {
    if (!validating_) CheckBox(serverNameEdit);
}

void SetupDialog::CheckServerPortBox() {
    if (!validating_) CheckBox(serverPortEdit);
}

void SetupDialog::CheckRefreshBox() {
    if (!validating_) CheckBox(refreshEdit);
}

void SetupDialog::CheckTimeoutBox() {
    if (!validating_) CheckBox(timeoutEdit);
}

void SetupDialog::CheckColumnsBox() {
    if (!validating_) CheckBox(columnsEdit);
}

bool SetupDialog::CheckBeforeApply() {
    // Enter takes "&Ok" without leaving the box being edited, so the boxes are checked again, the
    // connection boxes only when they could be edited.
    for (const BoxRule& rule : BoxRules()) {
        if (rule.connection && !connectionGroup->isEnabled()) continue;
        if (!CheckBox(rule.box)) return false;
    }
    return true;
}

void SetupDialog::OnOk() {
    if (validating_) return;
    if (!CheckBeforeApply()) return;

    Monitor& monitor = api_.monitor();
    SettingsValues values = api_.Settings();

    // 1. Connection values, only when they could be edited (the dialog opened Disconnected).
    const bool server = connectionGroup->isEnabled();
    if (server) {
        values.server_name = ToCp1252(serverNameEdit->text());
        values.server_port = *PortFromText(serverPortEdit->text());
        values.check_interval_ms = *IntervalFromText(refreshEdit->text());
        values.timeout_interval_ms = *IntervalFromText(timeoutEdit->text());
    }
    // 2-4. Switches, row count (the same count keeps the samples drawn), sorting and type.
    values.disconnect_on_map_change = disconnectOnMapChangeBox->isChecked() ? 1 : 0;
    values.keep_disconnected = keepDisconnectedBox->isChecked() ? 1 : 0;
    values.keep_trying = keepTryingBox->isChecked();
    values.readable_names = readableNamesBox->isChecked();
    values.show_spectators = spectatorsBox->isChecked();
    values.serve_live = serveLiveBox->isChecked();
    values.serve_port = *PortFromText(livePortEdit->text());
    values.graph_rows = *RowsFromText(columnsEdit);
    values.player_sorting = sorting_choice_;
    values.server_type = type_choice_;
    // 6. Legend. 9-10. Series.
    values.show_legend = legendBox->isChecked();
    values.graph_player_names = playerNamesBox->isChecked();
    const std::int16_t series = *SeriesFromText(seriesEdit);
    values.series_follow_max_players = fixed_series_choice_ ? 0 : 1;
    values.fixed_series = series;
    // Alerts; the watch list as "name, name".
    for (int i = 0; i < kEventKindCount; ++i)
        SetAlert(values, EventKind(i), alertBoxes[i]->isChecked());
    QStringList watch;
    for (const QString& name : WatchNames(ToCp1252(watchListEdit->text()))) watch << name;
    values.alert_watch_list = ToCp1252(watch.join(QStringLiteral(", ")));
    values.close_to_tray = closeToTrayBox->isChecked();
    api_.ApplySettings(values, server ? kReachServer : kReachModel);

    // 5. The graph frame, the minimum height and the window height.
    if (showGraphBox->isChecked()) {
        api_.SetGraphVisible(true);
        SetupGraph(monitor.graph);
    } else {
        api_.SetGraphVisible(false);
    }

    // 7. Layout.
    api_.ApplyLayout();

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

void SetupDialog::OnCancel() {
    reject();
}

}  // namespace morvek
