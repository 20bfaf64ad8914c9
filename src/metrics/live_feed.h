// The live listener as both front-ends run it, from one place: the events of every poll tick (as
// the JSON lines --json writes) and the scoreboard's picture go to its event streams, a silence
// is told as soon as the picture is redrawn, and GET / serves the page the caller renders. The
// listener can be started, moved and stopped while the picture goes on; the events are derived
// whether it runs or not, for the front-end's own use (alerts, --json, --on-event).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/events.h"
#include "core/monitor.h"
#include "metrics/exposition.h"

namespace morvek::metrics {

class MetricsServer;

// What happened since the last look: the events and their JSON lines (without line ends).
struct ToldEvents {
    std::vector<Event> events;
    std::vector<std::string> lines;
};

class LiveFeed {
  public:
    explicit LiveFeed(const Monitor& monitor);
    ~LiveFeed();

    // What GET / serves (MetricsServer::SetPage), now and on every listener started later.
    using Page = std::function<std::optional<std::string>()>;
    void SetPage(Page page);

    // The listener at `where`, or none: starts, moves or stops it. Asking again for what was
    // last asked does nothing and returns true (a failure is told once); false, with the
    // reason in `error`, when the address cannot be bound (no listener runs then).
    bool Serve(const std::optional<ListenAddress>& where, std::string& error);
    // The running listener, or null.
    MetricsServer* Server() const { return server_.get(); }

    // A poll tick: the events since the last one, told to the streams, then the picture.
    ToldEvents Tick();
    // The picture redrawn: a silence since the last look.
    ToldEvents Redrawn();
    // The poll ticks so far.
    const std::uint64_t& Ticks() const { return tick_; }

  private:
    ToldEvents Lines(std::vector<Event> events) const;

    const Monitor& monitor_;
    Page page_;
    std::unique_ptr<MetricsServer> server_;
    std::optional<ListenAddress> asked_;
    EventTracker events_;
    std::uint64_t tick_ = 0;
};

}  // namespace morvek::metrics
