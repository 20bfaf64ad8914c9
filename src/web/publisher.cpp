#include "web/publisher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/text.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "web/html_renderer.h"

namespace morvek::web {
namespace {

constexpr const char* kTemplateNotFound = "Template file not found";
constexpr const char* kTemplateTooLarge = "Template file larger than 4 MB";
constexpr const char* kTitle = "Morvek";

}  // namespace

std::optional<std::string> RenderTemplateFile(const QString& template_path, const Monitor& monitor,
                                              const QDateTime& now, QString* why) {
    const auto fail = [why](const QString& cause) -> std::optional<std::string> {
        if (why) *why = cause;
        return std::nullopt;
    };
    QFile source(template_path);
    if (source.size() > kMaxTemplateBytes) return fail(kTemplateTooLarge);
    if (!source.open(QIODevice::ReadOnly)) return fail(source.errorString());
    const QByteArray template_bytes = source.readAll();
    if (source.error() != QFileDevice::NoError) return fail(source.errorString());
    std::string cause;
    try {
        auto page = RenderPage(std::string_view(template_bytes.constData(), template_bytes.size()),
                               monitor, now, &cause);
        if (!page) return fail(QString::fromStdString(cause));
        return page;
    } catch (...) {
        return fail(QStringLiteral("the page could not be made"));  // nothing may end the program
    }
}

bool PublishPage(const QString& template_path, const QString& output_path, const Monitor& monitor,
                 const QDateTime& now, QString* why) {
    if (output_path.isEmpty()) {
        if (why) *why = QStringLiteral("no output file");
        return false;
    }
    const std::optional<std::string> page = RenderTemplateFile(template_path, monitor, now, why);
    if (!page) return false;

    // A page in a folder the user may not create files in is still rewritten, in place.
    return platform::ReplaceFile(
        output_path, QByteArray(page->data(), static_cast<qsizetype>(page->size())), true, why);
}

HtmlPublisher::HtmlPublisher(Monitor& monitor, platform::Dialogs& dialogs, std::int64_t interval_ms,
                             QObject* parent)
    : QObject(parent), publishTimer(interval_ms), monitor_(monitor), dialogs_(dialogs) {
    connect(&publishTimer, &platform::Timer::Tick, this, &HtmlPublisher::OnPublishTick);
}

QString PageFailureText(const QString& output_path, const QString& why) {
    if (output_path.isEmpty()) return QStringLiteral("Cannot write the page: %1").arg(why);
    return QStringLiteral("Cannot write the page %1: %2").arg(output_path, why);
}

QString HtmlPublisher::TemplatePath() const {
    const QString& name = monitor_.options.html_template;
    if (name.contains(QLatin1Char('/'))) return name;
    // Template names were chosen on file systems that ignore letter case.
    return platform::FindInFolders(
        template_folder_.isEmpty() ? platform::TemplateFolders() : QStringList{template_folder_},
        name);
}

std::optional<std::string> HtmlPublisher::PageNow() const {
    return RenderTemplateFile(TemplatePath(), monitor_, now_());
}

std::optional<const char*> HtmlPublisher::TemplateProblem(const QString& template_path) const {
    const QFileInfo info(template_path);
    if (!info.isFile()) return kTemplateNotFound;
    if (info.size() > kMaxTemplateBytes) return kTemplateTooLarge;
    return std::nullopt;
}

void HtmlPublisher::OnPublishTick() {
    publishTimer.SetEnabled(false);
    last_tick_wrote_ = false;

    const QString template_path = TemplatePath();
    if (auto problem = TemplateProblem(template_path)) {
        dialogs_.Message(*problem, kTitle, platform::MessageIcon::Critical,
                         platform::MessageButtons::Ok);
        monitor_.web_active = false;
        publishTimer.SetInterval(0);
        return;
    }

    QString why;
    last_tick_wrote_ = WritePage(template_path, why);
    publishTimer.SetEnabled(true);
    if (last_tick_wrote_) {
        told_.clear();
    } else if (why != told_) {
        told_ = why;
        emit PageFailed(why);
    }
}

void HtmlPublisher::SetPeriodic(bool periodic) {
    told_.clear();
    publishTimer.SetEnabled(periodic);
    monitor_.web_active = periodic;
    if (periodic) return;

    const QString template_path = TemplatePath();
    QString why, text;
    if (auto problem = TemplateProblem(template_path))
        text = QString::fromLatin1(*problem);
    else if (!(last_tick_wrote_ = WritePage(template_path, why)))
        text = PageFailureText(monitor_.options.html_output, why);
    if (!text.isEmpty())
        dialogs_.ShowMessage(text, kTitle, platform::MessageIcon::Critical,
                             platform::MessageButtons::Ok);
}

bool HtmlPublisher::WritePage(const QString& template_path, QString& why) {
    try {
        return PublishPage(template_path, monitor_.options.html_output, monitor_, now_(), &why);
    } catch (...) {
        // Nothing from a template or a page may end the program; the next tick tries again.
        why = QStringLiteral("out of memory");
        return false;
    }
}

}  // namespace morvek::web
