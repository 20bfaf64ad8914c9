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
#include "ui/qt_dialogs.h"

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

WebDialog::WebDialog(MainWindowApi& api, QWidget* parent) : WebDialog(api, QString(), parent) {}

WebDialog::WebDialog(MainWindowApi& api, const QString& template_folder, QWidget* parent)
    : QDialog(parent), api_(api), template_folder_(template_folder) {
    BuildControls();
    Load();
}

void WebDialog::BuildControls() {
    setWindowTitle(QStringLiteral("Web publishing Tool"));
    setModal(true);

    auto* grid = new QGridLayout(this);
    captions[0] = new QLabel(QStringLiteral("Output file:"), this);
    outputFileEdit = new QLineEdit(this);
    outputFileEdit->setObjectName(QStringLiteral("outputFileEdit"));
    chooseFileButton = new QPushButton(QStringLiteral("..."), this);
    chooseFileButton->setAutoDefault(false);
    chooseFileButton->setMaximumWidth(
        chooseFileButton->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 24);
    grid->addWidget(captions[0], 0, 0);
    grid->addWidget(outputFileEdit, 0, 1, 1, 3);
    grid->addWidget(chooseFileButton, 0, 4);

    captions[1] = new QLabel(QStringLiteral("Html template:"), this);
    templateList = new QListWidget(this);
    templateList->setObjectName(QStringLiteral("templateList"));
    templateList->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->addWidget(captions[1], 1, 0, Qt::AlignTop);
    grid->addWidget(templateList, 1, 1, 1, 4);

    captions[3] = new QLabel(QStringLiteral("Html saving:"), this);
    saveOptions[1] = new QRadioButton(QStringLiteral("Save every"), this);
    refreshEdit = new QLineEdit(this);
    refreshEdit->setObjectName(QStringLiteral("refreshEdit"));
    secondsLabel = new QLabel(QStringLiteral("s"), this);
    saveOptions[0] = new QRadioButton(QStringLiteral("Save once"), this);
    auto* group = new QButtonGroup(this);
    group->addButton(saveOptions[0], 0);
    group->addButton(saveOptions[1], 1);
    saveOptions[1]->setChecked(true);
    grid->addWidget(captions[3], 2, 0);
    grid->addWidget(saveOptions[1], 2, 1);
    grid->addWidget(refreshEdit, 2, 2);
    grid->addWidget(secondsLabel, 2, 3);
    grid->addWidget(saveOptions[0], 3, 1);

    periodNote = new QLabel(this);
    periodNote->setObjectName(QStringLiteral("periodNote"));
    QFont small = periodNote->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    periodNote->setFont(small);
    periodNote->setWordWrap(true);
    grid->addWidget(periodNote, 4, 1, 1, 4);
    connect(refreshEdit, &QLineEdit::textChanged, this, &WebDialog::UpdatePeriodNote);

    grid->addLayout(OkCancelRow(this, okButton, cancelButton), 5, 0, 1, 5);

    connect(chooseFileButton, &QPushButton::clicked, this, &WebDialog::ChooseOutputFile);
    connect(okButton, &QPushButton::clicked, this, &WebDialog::OnOk);
    connect(cancelButton, &QPushButton::clicked, this, &WebDialog::OnCancel);
}

void WebDialog::UpdatePeriodNote() {
    bool clamped = false;
    std::int64_t period = HtmlPeriodFromText(refreshEdit->text(), &clamped);
    if (clamped)
        periodNote->setText(QStringLiteral("Out of range: %1 s will be used.")
                                .arg(QString::fromStdString(SecondsText(period))));
    else
        periodNote->setText(QStringLiteral("From 0 to %1 s.")
                                .arg(QString::fromStdString(DecimalText(kMaxHtmlPeriodSeconds))));
}

void WebDialog::Load() {
    const Monitor& monitor = api_.monitor();

    // 1-2. The template folder (made when missing; a failure leaves the list empty) and its
    // "*.htm" files.
    if (template_folder_.isEmpty())
        platform::MakeTemplateFolder();
    else
        QDir().mkpath(template_folder_);
    templateList->clear();
    templateList->addItems(platform::TemplateNames(
        template_folder_.isEmpty() ? platform::TemplateFolders() : QStringList{template_folder_}));

    // 3.
    outputFileEdit->setText(monitor.options.html_output);

    // 4. The template named by the setting, without regard to case (an exact match first).
    const QString& wanted = monitor.options.html_template;
    QListWidgetItem* match = nullptr;
    for (int i = 0; i < templateList->count() && !match; ++i)
        if (templateList->item(i)->text() == wanted) match = templateList->item(i);
    for (int i = 0; i < templateList->count() && !match; ++i)
        if (templateList->item(i)->text().compare(wanted, Qt::CaseInsensitive) == 0)
            match = templateList->item(i);
    templateList->clearSelection();
    templateList->setCurrentItem(match);
    if (match) match->setSelected(true);

    // 5-6. The period in seconds; it alone decides "Save once" or "Save every".
    const std::int64_t interval = api_.Settings().html_refresh_ms;
    refreshEdit->setText(QString::fromStdString(SecondsText(interval)));
    saveOptions[interval == 0 ? 0 : 1]->setChecked(true);
    UpdatePeriodNote();
}

void WebDialog::ChooseOutputFile() {
    platform::OpenFileRequest request;
    request.title = kOutputFileTitle;
    request.filter = kOutputFileFilter;
    request.default_extension = ".htm";
    request.must_exist = false;
    if (auto file = api_.dialogs().OpenFile(request)) outputFileEdit->setText(*file);
}

void WebDialog::OnOk() {
    // Only a regular file is ever replaced: any other output keeps the dialog open.
    if (!outputFileEdit->text().isEmpty() && !platform::IsReplaceable(outputFileEdit->text())) {
        api_.dialogs().ShowMessage(platform::NotRegularFileText(outputFileEdit->text()), kAppTitle,
                                   platform::MessageIcon::Critical, platform::MessageButtons::Ok);
        return;
    }

    // 1. The template; without one the other choices are still applied.
    SettingsValues values = api_.Settings();
    const QList<QListWidgetItem*> selected = templateList->selectedItems();
    if (!selected.isEmpty())
        values.html_template = selected.front()->text();
    else
        api_.dialogs().Message(kInvalidTemplate, kAppTitle, platform::MessageIcon::Critical,
                               platform::MessageButtons::Ok);

    // 2. The output file, as typed. 3. The period, kept within range.
    values.html_output = outputFileEdit->text();
    values.html_refresh_ms = std::int32_t(HtmlPeriodFromText(refreshEdit->text()));
    api_.ApplySettings(values, kReachPublishing);

    // 4. Periodic publishing, the first page one period from now; or 5. publishing off, one page
    // written now (a failure says why), and one poll tick at once.
    api_.SetPublishing(saveOptions[1]->isChecked());

    // 6.
    api_.RefreshAll();
    accept();
}

void WebDialog::OnCancel() {
    reject();
}

}  // namespace morvek
