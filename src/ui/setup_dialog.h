// The "Setup" dialog: server type, name, port and intervals, the application switches, the graph
// options and the alerts. It is filled from the live settings when it is created and, on "&Ok",
// hands them back through the window (MainWindowApi::ApplySettings) and shows or hides the graph;
// nothing is stored in the settings file here.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "core/events.h"
#include "core/server_type.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace morvek {

class MainWindowApi;

// Messages of the validators.
inline constexpr const char* kInvalidServerName = "Invalid server name";
inline constexpr const char* kInvalidServerPort = "Invalid server port";
inline constexpr const char* kInvalidRefresh = "Invalid refresh interval";
inline constexpr const char* kInvalidTimeout = "Invalid timeout interval";
inline constexpr const char* kInvalidGraphLength = "Invalid graph length";
inline constexpr const char* kInvalidGraphSeries = "Invalid number of graph series";
inline constexpr const char* kInvalidLivePort = "Invalid port";

// A port text holding a whole number from 1 to 65535 (blanks around it allowed); nothing
// otherwise.
std::optional<std::int32_t> PortFromText(const QString& text);
// An interval box in seconds as milliseconds: its leading number times 1000, halves to even;
// nothing when that is not above 0 or does not fit 32 bits.
std::optional<std::int32_t> IntervalFromText(const QString& text);

class SetupDialog : public QDialog {
    Q_OBJECT
  public:
    // Builds the controls and runs Load.
    explicit SetupDialog(MainWindowApi& api, QWidget* parent = nullptr);

    void Load();
    void OnTypeChosen(int index);
    void OnSortingChosen(int index);
    void OnSeriesChosen(int index);
    void OnPageChosen();

    void CheckServerNameBox();
    void CheckServerPortBox();
    void CheckRefreshBox();
    void CheckTimeoutBox();
    void CheckColumnsBox();

    void OnOk();
    void OnCancel();

    // The choices of the option groups: the server type (kept as it was when no option matches
    // it), the sorting, and whether the series are fixed.
    ServerType TypeChoice() const { return type_choice_; }
    std::uint8_t SortingChoice() const { return sorting_choice_; }
    bool FixedSeriesChoice() const { return fixed_series_choice_; }

    // The controls, public so the window's tests can drive them like a user.
    QTabWidget* pages = nullptr;

    QGroupBox* connectionGroup = nullptr;
    std::array<QRadioButton*, kServerTypes.size()> typeOptions{};
    QLineEdit* serverNameEdit = nullptr;
    QLineEdit* serverPortEdit = nullptr;
    QLineEdit* refreshEdit = nullptr;
    QLineEdit* timeoutEdit = nullptr;
    std::array<QLabel*, 7> connectionCaptions{};  // five field labels, then the two "s" units

    QGroupBox* applicationGroup = nullptr;
    QCheckBox* keepTryingBox = nullptr;  // below the connection group: usable while connected
    QCheckBox* disconnectOnMapChangeBox = nullptr;
    QCheckBox* keepDisconnectedBox = nullptr;
    QCheckBox* readableNamesBox = nullptr;
    QCheckBox* spectatorsBox = nullptr;
    std::array<QRadioButton*, 3> sortingOptions{};
    QCheckBox* serveLiveBox = nullptr;  // the live listener, on the port of livePortEdit
    QLineEdit* livePortEdit = nullptr;

    QGroupBox* graphGroup = nullptr;
    QCheckBox* showGraphBox = nullptr;
    QCheckBox* legendBox = nullptr;
    QCheckBox* playerNamesBox = nullptr;
    std::array<QRadioButton*, 2> seriesOptions{};
    QLineEdit* seriesEdit = nullptr;
    QLineEdit* columnsEdit = nullptr;

    QGroupBox* alertsGroup = nullptr;
    std::array<QCheckBox*, kEventKindCount> alertBoxes{};  // one per event kind, in their order
    QLineEdit* watchListEdit = nullptr;
    QCheckBox* closeToTrayBox = nullptr;

    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    void BuildConnectionPage();
    void BuildApplicationPage();
    void BuildGraphPage();
    void BuildAlertsPage();
    // Shows a validator's message (stop icon, "Morvek") and puts the default text back.
    void Refuse(QLineEdit* box, const char* message, const char* default_text);
    // Every box with a rule, in the order "&Ok" checks them: what it must hold, the message when
    // it does not and the text put back; `connection` boxes can be edited only while disconnected.
    struct BoxRule {
        QLineEdit* box;
        bool (*valid)(const QLineEdit*);
        const char* message;
        const char* default_text;
        bool connection;
    };
    std::array<BoxRule, 7> BoxRules() const;
    // Checks one box by its rule (leaving it, or "&Ok"); false after a refusal.
    bool CheckBox(QLineEdit* box);
    // The checks of the boxes, run again by "&Ok" before anything is applied; false after a
    // refusal.
    bool CheckBeforeApply();
    static void Select(QButtonGroup* group, QRadioButton* option);

    MainWindowApi& api_;
    QButtonGroup* type_group_ = nullptr;
    QButtonGroup* sorting_group_ = nullptr;
    QButtonGroup* series_group_ = nullptr;
    // A message box shown by a validator moves the focus and edits the box; no validator runs
    // inside another.
    bool validating_ = false;
    ServerType type_choice_ = ServerType::QuakeI;
    std::uint8_t sorting_choice_ = 0;
    bool fixed_series_choice_ = false;
};

}  // namespace morvek
