// The rules window: the server's rules as lines, a "&Close" button and a caption that
// follows the listing. It draws the model's rules list; polling and the rule exchange go on while
// it is shown modally.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>

#include "core/rules.h"

class QListWidget;
class QPushButton;

namespace morvek {

class RulesWindow : public QDialog {
    Q_OBJECT
  public:
    // `on_close` runs once when the window closes (by "&Close", the close button or Escape).
    // `readable_names` points to the live switch: while it is on, names and values are shown as
    // players read them (none: as Windows-1252).
    RulesWindow(const RulesList& rules, std::function<void()> on_close, QWidget* parent = nullptr,
                const bool* readable_names = nullptr);

    // Redraws the list and caption when the list changed.
    void Refresh(bool force = false);
    void OnClose();

    QListWidget* rulesList = nullptr;
    QPushButton* closeButton = nullptr;

  protected:
    void done(int result) override;

  private:
    bool Readable() const;
    QString Line(std::size_t i) const;

    const RulesList& rules_;
    const bool* readable_names_;
    bool shown_readable_ = false;
    std::function<void()> on_close_;
    std::uint64_t revision_ = ~std::uint64_t(0);
    bool closed_ = false;
};

}  // namespace morvek
