#include "ui/rules_window.h"

#include <QFontDatabase>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/quake_text.h"
#include "core/text.h"

namespace morvek {

frmRoule::frmRoule(const RulesList& rules, std::function<void()> on_close, QWidget* parent,
                   const bool* readable_names)
    : QDialog(parent),
      rules_(rules),
      readable_names_(readable_names),
      shown_readable_(Readable()),
      on_close_(std::move(on_close)) {
    setModal(true);
    lstRoules = new QListWidget(this);
    // The lines line their values up with blanks and a TAB: a fixed-pitch font keeps the columns.
    lstRoules->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstRoules);
    layout->addWidget(cmdClose, 0, Qt::AlignHCenter);
    resize(360, 320);
    connect(cmdClose, &QPushButton::clicked, this, &frmRoule::cmdClose_Click);
    Refresh(true);
}

bool frmRoule::Readable() const {
    return readable_names_ && *readable_names_;
}

QString frmRoule::Line(std::size_t i) const {
    return FromCp1252(ShownRuleLine(rules_.lines[i], Readable()));
}

void frmRoule::Refresh(bool force) {
    if (shown_readable_ != Readable()) {
        shown_readable_ = Readable();
        force = true;
    }
    if (!force && rules_.revision == revision_ && windowTitle() == rules_.caption.c_str()) return;
    revision_ = rules_.revision;
    const QString caption = QString::fromStdString(rules_.caption);
    if (windowTitle() != caption) setWindowTitle(caption);
    if (lstRoules->count() == int(rules_.lines.size())) {
        // Replace texts in place, so the scroll position stays while a listing grows.
        for (int i = 0; i < lstRoules->count(); ++i) {
            const QString text = Line(std::size_t(i));
            if (lstRoules->item(i)->text() != text) lstRoules->item(i)->setText(text);
        }
        return;
    }
    if (lstRoules->count() < int(rules_.lines.size()) && lstRoules->count() > 0 &&
        lstRoules->item(0)->text() == Line(0)) {
        for (std::size_t i = std::size_t(lstRoules->count()); i < rules_.lines.size(); ++i)
            lstRoules->addItem(Line(i));
        return;
    }
    lstRoules->clear();
    for (std::size_t i = 0; i < rules_.lines.size(); ++i) lstRoules->addItem(Line(i));
}

void frmRoule::cmdClose_Click() {
    accept();
}

void frmRoule::done(int result) {
    if (!closed_) {
        closed_ = true;
        if (on_close_) on_close_();
    }
    QDialog::done(result);
}

}  // namespace morvek
