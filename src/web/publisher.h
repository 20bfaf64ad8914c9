// Publishes the monitored match as an HTML page: on each tick of publishTimer the template is
// rendered and the output file replaced whole.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "core/monitor.h"
#include "platform/dialogs.h"
#include "platform/timer.h"

namespace morvek::web {

// A template larger than this is refused: the page would be as large, rewritten every period.
inline constexpr qint64 kMaxTemplateBytes = 4 * 1024 * 1024;

class HtmlPublisher : public QObject {
    Q_OBJECT
  public:
    // The timer starts stopped with the given period (the HTMLRefresh setting, in ms).
    HtmlPublisher(Monitor& monitor, platform::Dialogs& dialogs, std::int64_t interval_ms = 0,
                  QObject* parent = nullptr);

    // The HTML timer: the dialog sets its period and starts or stops it.
    platform::Timer publishTimer;

    // One page: stop the timer, render the template into the output file, start the timer again.
    // A missing template, or one larger than kMaxTemplateBytes, stops publishing after a message;
    // any other failure emits PageFailed once, and the next ticks try again.
    void OnPublishTick();

    // Publishing every period from now on (the first page one period from now); or the dialog's
    // "Save once": periodic publishing off, and one page written now, a failure told in a box with
    // its cause. Either way a failure will be told again.
    void SetPeriodic(bool periodic);

    // The template's full path: the template folder then the HTMLTemplate name (matched without
    // regard to letter case when the exact name is missing); a name holding a "/" is a path of its
    // own.
    QString TemplatePath() const;

    // Where templates are looked up; empty (the default) means the template folders.
    void SetTemplateFolder(const QString& folder) { template_folder_ = folder; }
    // The clock giving the page's time (a test fixes it, to compare a file with a served page).
    void SetClock(std::function<QDateTime()> now) { now_ = std::move(now); }

    // The page as a tick would write it now; nothing when the template cannot be read or the page
    // cannot be made.
    std::optional<std::string> PageNow() const;

    // Whether the last tick wrote a page.
    bool LastTickWrote() const { return last_tick_wrote_; }

  signals:
    // A tick found the template but wrote no page, for this reason: told once, until a page is
    // written or the cause changes.
    void PageFailed(const QString& why);

  private:
    // The message of a template that cannot be used, or nothing.
    std::optional<const char*> TemplateProblem(const QString& template_path) const;
    bool WritePage(const QString& template_path, QString& why);

    Monitor& monitor_;
    platform::Dialogs& dialogs_;
    QString template_folder_;
    std::function<QDateTime()> now_ = [] { return QDateTime::currentDateTime(); };
    bool last_tick_wrote_ = false;
    QString told_;  // the failure told last, until a page is written
};

// The box telling why the page was not written: "Cannot write the page <path>: <why>" (without
// the path when there is none).
QString PageFailureText(const QString& output_path, const QString& why);

// Reads a template (at most kMaxTemplateBytes) and renders it; nothing when either fails, with
// the reason in `why`.
std::optional<std::string> RenderTemplateFile(const QString& template_path, const Monitor& monitor,
                                              const QDateTime& now, QString* why = nullptr);

// Reads a template, renders it and replaces the output file whole (a temporary file beside it,
// renamed over it; rewritten in place when the folder allows no new file but the page may be
// written). False, with the output untouched and the cause in `why`, when anything fails.
bool PublishPage(const QString& template_path, const QString& output_path, const Monitor& monitor,
                 const QDateTime& now, QString* why = nullptr);

}  // namespace morvek::web
