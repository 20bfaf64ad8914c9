#include "core/events.h"

#include <algorithm>

#include "core/numbers.h"
#include "core/text.h"

namespace morvek {

namespace {

// The one present player with the most frags; none when there is none or a tie.
const PresentPlayer* Leader(const EventPicture& picture) {
    const PresentPlayer* best = nullptr;
    bool tie = false;
    for (const auto& player : picture.present) {
        if (!best || player.frags > best->frags) {
            best = &player;
            tie = false;
        } else if (player.frags == best->frags) {
            tie = true;
        }
    }
    return tie ? nullptr : best;
}

bool Has(const EventPicture& picture, const PresentPlayer& player) {
    return std::any_of(picture.present.begin(), picture.present.end(), [&](const auto& other) {
        return other.name == player.name && other.slot == player.slot;
    });
}

bool Full(const EventPicture& p) {
    return p.max_players > 0 && p.players >= p.max_players;
}

}  // namespace

const char* EventName(EventKind kind) {
    switch (kind) {
        case EventKind::Join:
            return "join";
        case EventKind::Leave:
            return "leave";
        case EventKind::Map:
            return "map";
        case EventKind::Silent:
            return "silent";
        case EventKind::Back:
            return "back";
        case EventKind::Lead:
            return "lead";
        case EventKind::Full:
            return "full";
        case EventKind::SlotFree:
            return "slot_free";
    }
    return "";
}

EventPicture TakeEventPicture(const Monitor& monitor) {
    EventPicture p;
    p.map = monitor.snapshot.map;
    if (!IsBlank(monitor.snapshot.players))
        p.players = int(LeadingNumber(monitor.snapshot.players));
    if (!IsBlank(monitor.snapshot.max_players))
        p.max_players = int(LeadingNumber(monitor.snapshot.max_players));
    p.silent = monitor.counters.silent;
    p.replies = monitor.counters.replies;
    p.arriving = monitor.list_arriving;
    for (int r = 0; r < kPlayerSlots; ++r) {
        const PlayerRecord& row = monitor.view.rows[r];
        if (!row[kName].empty() && !IsEmptyMark(row[kPresent]))
            p.present.push_back({row[kName], FragsValue(row[kFrags]), monitor.view.slot_of[r]});
    }
    return p;
}

std::vector<Event> DeriveEvents(const EventPicture& before, const EventPicture& after) {
    std::vector<Event> events;
    if (!before.silent && after.silent) events.push_back({EventKind::Silent, "", ""});
    if (before.silent && !after.silent) events.push_back({EventKind::Back, "", ""});
    if (!before.map.empty() && !after.map.empty() && before.map != after.map)
        events.push_back({EventKind::Map, after.map, before.map});
    // The first picture with the server's count is the starting roster: nobody joins it.
    if (before.players < 0) return events;
    for (const auto& player : before.present)
        if (!Has(after, player)) events.push_back({EventKind::Leave, player.name, "", player.slot});
    for (const auto& player : after.present)
        if (!Has(before, player)) events.push_back({EventKind::Join, player.name, "", player.slot});
    const PresentPlayer *was = Leader(before), *is = Leader(after);
    if (is && !(was && was->name == is->name && was->slot == is->slot))
        events.push_back({EventKind::Lead, is->name, was ? was->name : "", is->slot});
    if (!Full(before) && Full(after)) events.push_back({EventKind::Full, "", ""});
    if (Full(before) && !Full(after) && after.max_players > 0 && after.players >= 0)
        events.push_back({EventKind::SlotFree, "", ""});
    return events;
}

QJsonObject EventObject(const Event& event, std::uint64_t tick, const QDateTime& time,
                        const Options& options) {
    QJsonObject object{{"event", QLatin1String(EventName(event.kind))},
                       {"tick", qint64(tick)},
                       {"time", time.toUTC().toString(Qt::ISODate)}};
    switch (event.kind) {
        case EventKind::Map:
            object["previous"] = FromCp1252(event.previous);
            object["name"] = FromCp1252(event.name);
            break;
        case EventKind::Lead:
            object["previous"] = FromCp1252(ShownName(options, event.previous));
            [[fallthrough]];
        case EventKind::Join:
        case EventKind::Leave:
            object["name"] = FromCp1252(ShownName(options, event.name));
            if (options.readable_names) {
                Options raw;
                raw.readable_names = false;
                raw.show_spectators = true;  // without the mark all the same
                object["rawName"] = FromCp1252(ShownName(raw, event.name));
            }
            if (event.slot >= 0) object["slot"] = event.slot + 1;
            break;
        default:
            break;
    }
    return object;
}

std::vector<Event> EventTracker::Update(const Monitor& monitor) {
    EventPicture now = TakeEventPicture(monitor);
    if (last_ && now.replies == last_->replies) {
        now.map = last_->map;
        now.players = last_->players;
        now.max_players = last_->max_players;
        now.present = last_->present;
    }
    if (last_ && now.arriving) {
        now.present = last_->present;
        if (last_->players < 0) now.players = -1;
    }
    std::vector<Event> events;
    if (last_) events = DeriveEvents(*last_, now);
    last_ = std::move(now);
    return events;
}

std::vector<Event> EventTracker::UpdateOnSilence(const Monitor& monitor) {
    if (!monitor.counters.silent || (last_ && last_->silent)) return {};
    return Update(monitor);
}

}  // namespace morvek
