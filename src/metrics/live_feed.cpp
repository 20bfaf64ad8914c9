#include "metrics/live_feed.h"

#include <QDateTime>

#include "core/text.h"
#include "metrics/metrics_server.h"

namespace morvek::metrics {

LiveFeed::LiveFeed(const Monitor& monitor) : monitor_(monitor) {}

LiveFeed::~LiveFeed() = default;

void LiveFeed::SetPage(Page page) {
    page_ = std::move(page);
    if (server_) server_->SetPage(page_);
}

bool LiveFeed::Serve(const std::optional<ListenAddress>& where, std::string& error) {
    if (where == asked_) return true;
    asked_ = where;
    // The old listener goes first: moving to its own port binds it again.
    server_.reset();
    if (!where) return true;
    auto server = std::make_unique<MetricsServer>(monitor_);
    server->SetPage(page_);
    if (!server->Listen(*where, error)) return false;
    server_ = std::move(server);
    return true;
}

ToldEvents LiveFeed::Tick() {
    ++tick_;
    ToldEvents told = Lines(events_.Update(monitor_));
    if (server_) server_->PollTick(told.lines);
    return told;
}

ToldEvents LiveFeed::Redrawn() {
    ToldEvents told = Lines(events_.UpdateOnSilence(monitor_));
    if (server_)
        for (const std::string& line : told.lines) server_->TellEvent(line);
    return told;
}

ToldEvents LiveFeed::Lines(std::vector<Event> events) const {
    ToldEvents told{std::move(events), {}};
    for (const Event& event : told.events)
        told.lines.push_back(
            JsonLine(EventObject(event, tick_, QDateTime::currentDateTimeUtc(), monitor_.options)));
    return told;
}

}  // namespace morvek::metrics
