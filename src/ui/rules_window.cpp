#include "ui/rules_window.h"

#include <QFontDatabase>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/quake_text.h"
#include "core/text.h"

namespace morvek {

RulesWindow::RulesWindow(const RulesList& rules, std::function<void()> on_close, QWidget* parent,
                         const bool* readable_names)
    : QDialog(parent),
      rules_(rules),
      readable_names_(readable_names),
      shown_readable_(Readable()),
      on_close_(std::move(on_close)) {
    setModal(true);
    rulesList = new QListWidget(this);
    // The lines line their values up with blanks and a TAB: a fixed-pitch font keeps the columns.
    rulesList->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    closeButton = new QPushButton(QStringLiteral("&Close"), this);
    closeButton->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rulesList);
    layout->addWidget(closeButton, 0, Qt::AlignHCenter);
    resize(360, 320);
    connect(closeButton, &QPushButton::clicked, this, &RulesWindow::OnClose);
    Refresh(true);
}

bool RulesWindow::Readable() const {
    return readable_names_ && *readable_names_;
}

QString RulesWindow::Line(std::size_t i) const {
    return FromCp1252(ShownRuleLine(rules_.lines[i], Readable()));
}

void RulesWindow::Refresh(bool force) {
    if (shown_readable_ != Readable()) {
        shown_readable_ = Readable();
        force = true;
    }
    if (!force && rules_.revision == revision_ && windowTitle() == rules_.caption.c_str()) return;
    revision_ = rules_.revision;
    const QString caption = QString::fromStdString(rules_.caption);
    if (windowTitle() != caption) setWindowTitle(caption);
    if (rulesList->count() == int(rules_.lines.size())) {
        // Replace texts in place, so the scroll position stays while a listing grows.
        for (int i = 0; i < rulesList->count(); ++i) {
            const QString text = Line(std::size_t(i));
            if (rulesList->item(i)->text() != text) rulesList->item(i)->setText(text);
        }
        return;
    }
    if (rulesList->count() < int(rules_.lines.size()) && rulesList->count() > 0 &&
        rulesList->item(0)->text() == Line(0)) {
        for (std::size_t i = std::size_t(rulesList->count()); i < rules_.lines.size(); ++i)
            rulesList->addItem(Line(i));
        return;
    }
    rulesList->clear();
    for (std::size_t i = 0; i < rules_.lines.size(); ++i) rulesList->addItem(Line(i));
}

void RulesWindow::OnClose() {
    accept();
}

void RulesWindow::done(int result) {
    if (!closed_) {
        closed_ = true;
        if (on_close_) on_close_();
    }
    QDialog::done(result);
}

}  // namespace morvek
