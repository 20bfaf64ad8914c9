// Message boxes and the open-file dialog shown for real, with Qt Widgets.
#pragma once

#include <QString>
#include <QStringList>

#include "platform/dialogs.h"

class QHBoxLayout;
class QPushButton;
class QWidget;

namespace morvek {

// "Desc|*.mv|All files|*.*" as the name filters of a file dialog: "Desc (*.mv)", "All files (*)".
// A description that already ends with its patterns in brackets shows them once.
QStringList FileDialogFilters(const std::string& filter);

// "&Ok" and "&Cancel" at the right end of a new row of `dialog`; Enter takes "&Ok".
QHBoxLayout* OkCancelRow(QWidget* dialog, QPushButton*& ok, QPushButton*& cancel);

// Lines joined by carriage returns, as a message box shows them.
QString MessageBoxText(const QString& text);

class QtDialogs : public platform::Dialogs {
  public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}

    platform::MessageResult ShowMessage(const QString& text, const std::string& title,
                                        platform::MessageIcon icon,
                                        platform::MessageButtons buttons) override;
    std::optional<QString> OpenFile(const platform::OpenFileRequest& request) override;

  private:
    QWidget* parent_;
};

}  // namespace morvek
