#include "ui/web_dialog.h"

#include <QButtonGroup>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

#include "core/numbers.h"
#include "core/text.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "query/connection.h"  // kAppTitle
#include "query/live_settings.h"
#include "ui/main_window_api.h"

namespace morvek {

std::int64_t HtmlPeriodFromText(const QString& text, bool* clamped) {
    double seconds = LeadingNumber(ToCp1252(text));
    bool out_of_range = false;
    if (std::isnan(seconds) || seconds < 0) {
        seconds = 0;
        out_of_range = true;
    } else if (seconds > kMaxHtmlPeriodSeconds) {
        seconds = kMaxHtmlPeriodSeconds;
        out_of_range = true;
    }
    if (clamped) *clamped = out_of_range;
    return static_cast<std::int64_t>(RoundHalfEven(seconds * 1000.0));
}

frmWeb::frmWeb(MainWindowApi& api, QWidget* parent) : frmWeb(api, QString(), parent) {}

frmWeb::frmWeb(MainWindowApi& api, const QString& template_folder, QWidget* parent)
    : QDialog(parent), api_(api), template_folder_(template_folder) {
    BuildControls();
    Form_Load();
}

void frmWeb::BuildControls() {
    setWindowTitle(QStringLiteral("Web publishing Tool"));
    setModal(true);

    auto* grid = new QGridLayout(this);
    Label1[0] = new QLabel(QStringLiteral("Output file:"), this);
    txtOutputFile = new QLineEdit(this);
    txtOutputFile->setObjectName(QStringLiteral("txtOutputFile"));
    cmdScegli = new QPushButton(QStringLiteral("..."), this);
    cmdScegli->setAutoDefault(false);
    cmdScegli->setMaximumWidth(cmdScegli->fontMetrics().horizontalAdvance(QStringLiteral("....")) +
                               24);
    grid->addWidget(Label1[0], 0, 0);
    grid->addWidget(txtOutputFile, 0, 1, 1, 3);
    grid->addWidget(cmdScegli, 0, 4);

    Label1[1] = new QLabel(QStringLiteral("Html template:"), this);
    lstTemplate = new QListWidget(this);
    lstTemplate->setObjectName(QStringLiteral("lstTemplate"));
    lstTemplate->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->addWidget(Label1[1], 1, 0, Qt::AlignTop);
    grid->addWidget(lstTemplate, 1, 1, 1, 4);

    Label1[3] = new QLabel(QStringLiteral("Html saving:"), this);
    optOperation[1] = new QRadioButton(QStringLiteral("Save every"), this);
    txtRefresh = new QLineEdit(this);
    txtRefresh->setObjectName(QStringLiteral("txtRefresh"));
    Label2 = new QLabel(QStringLiteral("s"), this);
    optOperation[0] = new QRadioButton(QStringLiteral("Save once"), this);
    auto* group = new QButtonGroup(this);
    group->addButton(optOperation[0], 0);
    group->addButton(optOperation[1], 1);
    optOperation[1]->setChecked(true);
    grid->addWidget(Label1[3], 2, 0);
    grid->addWidget(optOperation[1], 2, 1);
    grid->addWidget(txtRefresh, 2, 2);
    grid->addWidget(Label2, 2, 3);
    grid->addWidget(optOperation[0], 3, 1);

    lblPeriodNote = new QLabel(this);
    lblPeriodNote->setObjectName(QStringLiteral("lblPeriodNote"));
    QFont small = lblPeriodNote->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    lblPeriodNote->setFont(small);
    lblPeriodNote->setWordWrap(true);
    grid->addWidget(lblPeriodNote, 4, 1, 1, 4);
    connect(txtRefresh, &QLineEdit::textChanged, this, &frmWeb::UpdatePeriodNote);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    cmdOk = new QPushButton(QStringLiteral("&Ok"), this);
    Command1 = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdOk->setDefault(true);
    Command1->setAutoDefault(false);
    buttons->addWidget(cmdOk);
    buttons->addWidget(Command1);
    grid->addLayout(buttons, 5, 0, 1, 5);

    connect(cmdScegli, &QPushButton::clicked, this, &frmWeb::cmdScegli_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmWeb::cmdOk_Click);
    connect(Command1, &QPushButton::clicked, this, &frmWeb::Command1_Click);
}

void frmWeb::UpdatePeriodNote() {
    bool clamped = false;
    std::int64_t period = HtmlPeriodFromText(txtRefresh->text(), &clamped);
    if (clamped)
        lblPeriodNote->setText(QStringLiteral("Out of range: %1 s will be used.")
                                   .arg(QString::fromStdString(SecondsText(period))));
    else
        lblPeriodNote->setText(
            QStringLiteral("From 0 to %1 s.")
                .arg(QString::fromStdString(DecimalText(kMaxHtmlPeriodSeconds))));
}

void frmWeb::Form_Load() {
    const Monitor& monitor = api_.monitor();

    // 1-2. The template folder (made when missing; a failure leaves the list empty) and its
    // "*.htm" files.
    if (template_folder_.isEmpty())
        platform::MakeTemplateFolder();
    else
        QDir().mkpath(template_folder_);
    lstTemplate->clear();
    lstTemplate->addItems(platform::TemplateNames(
        template_folder_.isEmpty() ? platform::TemplateFolders() : QStringList{template_folder_}));

    // 3.
    txtOutputFile->setText(FromCp1252(monitor.options.html_output));

    // 4. The template named by the setting, without regard to case (an exact match first).
    const QString wanted = FromCp1252(monitor.options.html_template);
    QListWidgetItem* match = nullptr;
    for (int i = 0; i < lstTemplate->count() && !match; ++i)
        if (lstTemplate->item(i)->text() == wanted) match = lstTemplate->item(i);
    for (int i = 0; i < lstTemplate->count() && !match; ++i)
        if (lstTemplate->item(i)->text().compare(wanted, Qt::CaseInsensitive) == 0)
            match = lstTemplate->item(i);
    lstTemplate->clearSelection();
    lstTemplate->setCurrentItem(match);
    if (match) match->setSelected(true);

    // 5-6. The period in seconds; it alone decides "Save once" or "Save every".
    const std::int64_t interval = api_.Settings().html_refresh_ms;
    txtRefresh->setText(QString::fromStdString(SecondsText(interval)));
    optOperation[interval == 0 ? 0 : 1]->setChecked(true);
    UpdatePeriodNote();
}

void frmWeb::cmdScegli_Click() {
    platform::OpenFileRequest request;
    request.title = kOutputFileTitle;
    request.filter = kOutputFileFilter;
    request.default_extension = ".htm";
    request.must_exist = false;
    if (auto file = api_.dialogs().OpenFile(request)) txtOutputFile->setText(*file);
}

void frmWeb::cmdOk_Click() {
    // Only a regular file is ever replaced: any other output keeps the dialog open.
    if (!txtOutputFile->text().isEmpty() && !platform::IsReplaceable(txtOutputFile->text())) {
        api_.dialogs().Message(ToCp1252(platform::NotRegularFileText(txtOutputFile->text())),
                               kAppTitle, platform::MessageIcon::Critical,
                               platform::MessageButtons::Ok);
        return;
    }

    // 1. The template; without one the other choices are still applied.
    SettingsValues values = api_.Settings();
    const QList<QListWidgetItem*> selected = lstTemplate->selectedItems();
    if (!selected.isEmpty())
        values.html_template = ToCp1252(selected.front()->text());
    else
        api_.dialogs().Message(kInvalidTemplate, kAppTitle, platform::MessageIcon::Critical,
                               platform::MessageButtons::Ok);

    // 2. The output file, as typed. 3. The period, kept within range.
    values.html_output = ToCp1252(txtOutputFile->text());
    values.html_refresh_ms = std::int32_t(HtmlPeriodFromText(txtRefresh->text()));
    api_.ApplySettings(values, kReachPublishing);

    // 4. Periodic publishing, the first page one period from now; or 5. publishing off, and one
    // poll tick at once.
    api_.SetPublishing(optOperation[1]->isChecked());

    // 6.
    api_.RefreshAll();
    accept();
}

void frmWeb::Command1_Click() {
    reject();
}

}  // namespace morvek
