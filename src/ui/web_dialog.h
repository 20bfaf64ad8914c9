// The "Web publishing Tool" dialog: which template renders the page, where the page is written and
// whether it is rewritten periodically. "&Ok" applies the choices to the live objects (the
// template and output names, the HTML timer and the web indicator); "&Cancel" changes nothing.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace morvek {

class MainWindowApi;

inline constexpr const char* kInvalidTemplate = "Invalid template";
inline constexpr const char* kOutputFileTitle = "Select an Html file to save";
inline constexpr const char* kOutputFileFilter =
    "Html files (*.htm; *.html)|*.htm;*.html|All files (*.*)|*.*";

// The publishing period is kept within a day: a negative period is taken as 0 (no page is
// written), a longer one as a day.
inline constexpr double kMaxHtmlPeriodSeconds = 86400;

// The period box as milliseconds: its leading number, kept within 0 .. kMaxHtmlPeriodSeconds,
// times 1000 with halves to even. `clamped` tells whether the number had to be brought in range.
std::int64_t HtmlPeriodFromText(const QString& text, bool* clamped = nullptr);

class WebDialog : public QDialog {
    Q_OBJECT
  public:
    // Lists the templates of the template folders (the user's made when there is none).
    explicit WebDialog(MainWindowApi& api, QWidget* parent = nullptr);
    // The same with a given template folder.
    WebDialog(MainWindowApi& api, const QString& template_folder, QWidget* parent = nullptr);

    void Load();
    void ChooseOutputFile();
    void OnOk();
    void OnCancel();

    // The controls, public so the window's tests can drive them like a user.
    std::array<QLabel*, 4> captions{};  // 0 "Output file:", 1 "Html template:", 3 "Html saving:"
    QLineEdit* outputFileEdit = nullptr;
    QPushButton* chooseFileButton = nullptr;
    QListWidget* templateList = nullptr;
    std::array<QRadioButton*, 2> saveOptions{};  // 0 "Save once", 1 "Save every"
    QLineEdit* refreshEdit = nullptr;
    QLabel* secondsLabel = nullptr;
    // Says what period will be used when the box holds one out of range.
    QLabel* periodNote = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

  private:
    void BuildControls();
    void UpdatePeriodNote();

    MainWindowApi& api_;
    QString template_folder_;
};

}  // namespace morvek
