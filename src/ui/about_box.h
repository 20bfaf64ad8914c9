// The splash window, the about box and the help window.
#pragma once

#include <QDialog>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;
class QTextBrowser;

namespace morvek {
namespace platform {
class Dialogs;
}

inline constexpr const char* kDescription =
    "Morvek is a utility to help people in managing Quake's DeathMathes. Morvek offers realtime "
    "datas and graphics, log recording, offline data browsing and printing.";

// "Version 2.2.0", from the version the build defines.
QString VersionText();

// The program's icon, drawn once.
QPixmap ProgramIcon(int size);

class Splash : public QWidget {
    Q_OBJECT
  public:
    explicit Splash(QWidget* parent = nullptr);
    void Load();
    // Steps 1 to 3 of the entry sequence: shows the splash on top and lets events run until the
    // window system has shown it and it has painted (at most `max_ms`), so it is not a black
    // block while the main window is built.
    void ShowPainted(int max_ms = 2000);

    QLabel* logoLabel = nullptr;
    QLabel* productNameLabel = nullptr;
    QLabel* versionLabel = nullptr;
    QLabel* copyrightLabel = nullptr;

  protected:
    // Key presses and clicks do nothing.
    void keyPressEvent(QKeyEvent*) override {}
    void mousePressEvent(QMouseEvent*) override {}
    void paintEvent(QPaintEvent* event) override;

  private:
    bool painted_ = false;
};

class AboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit AboutBox(QWidget* parent = nullptr);
    void Load();
    void OnOk() { accept(); }

    QLabel* iconLabel = nullptr;
    QLabel* titleLabel = nullptr;
    QLabel* versionLabel = nullptr;
    QLabel* descriptionLabel = nullptr;
    QLabel* creditLabel = nullptr;
    QPushButton* okButton = nullptr;
};

// The help window: the help document shown in a text browser.
class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);
    // Loads the file; false when it cannot be read.
    bool Load(const QString& path);
    QTextBrowser* browser = nullptr;
};

// The help file's name: an HTML document, beside the program in a build tree and in the "morvek"
// data folder when installed.
inline constexpr const char* kHelpFileName = "Morvek.html";

// Finds the help file in `folder` without regard to letter case; empty when there is none.
QString FindHelpFile(const QString& folder);

// The message naming a missing help file.
QString MissingHelpText(const QString& path);

}  // namespace morvek
