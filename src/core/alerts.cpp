#include "core/alerts.h"

#include <algorithm>

#include "core/text.h"

namespace morvek {

namespace {

struct Caption {
    const char* one;   // the summary for one event
    const char* many;  // for several: "%1 players joined"
};

Caption CaptionOf(EventKind kind) {
    switch (kind) {
        case EventKind::Join:
            return {"Player joined", "%1 players joined"};
        case EventKind::Leave:
            return {"Player left", "%1 players left"};
        case EventKind::Map:
            return {"Map changed", "Map changed"};
        case EventKind::Silent:
            return {"Server went silent", "Server went silent"};
        case EventKind::Back:
            return {"Server answered again", "Server answered again"};
        case EventKind::Lead:
            return {"New frag leader", "New frag leader"};
        case EventKind::Full:
            return {"Server full", "Server full"};
        case EventKind::SlotFree:
            return {"A slot is free", "A slot is free"};
    }
    return {"", ""};
}

bool Watched(const std::vector<QString>& watch, const QString& name) {
    return watch.empty() || std::any_of(watch.begin(), watch.end(), [&](const QString& w) {
               return w.compare(name, Qt::CaseInsensitive) == 0;
           });
}

}  // namespace

std::vector<QString> WatchNames(std::string_view list) {
    std::vector<QString> names;
    for (const QString& part : FromCp1252(std::string(list)).split(QLatin1Char(','))) {
        const QString name = part.trimmed();
        if (!name.isEmpty() && name != QLatin1String("*")) names.push_back(name);
    }
    return names;
}

std::vector<Alert> AlertsFor(const std::vector<Event>& events, const Options& options,
                             const QString& server) {
    const std::vector<QString> watch = WatchNames(options.alert_watch_list);
    auto shown = [&](const std::string& name) { return FromCp1252(ShownName(options, name)); };
    // One group per kind, in the order of the events: everyone it concerns, and for a map or a
    // lead the first "previous" of the look (several changes at one look go from the first to the
    // last).
    struct Group {
        EventKind kind;
        QStringList names;
        std::string previous;
    };
    std::vector<Group> groups;
    for (const Event& event : events) {
        if (!AlertOn(options, event.kind)) continue;
        if (event.kind == EventKind::Join && !Watched(watch, shown(event.name))) continue;
        auto it = std::find_if(groups.begin(), groups.end(),
                               [&](const Group& g) { return g.kind == event.kind; });
        if (it == groups.end()) it = groups.insert(groups.end(), {event.kind, {}, event.previous});
        it->names.push_back(event.kind == EventKind::Map ? FromCp1252(event.name)
                                                         : shown(event.name));
    }
    std::vector<Alert> alerts;
    for (const Group& group : groups) {
        const Caption caption = CaptionOf(group.kind);
        const qsizetype count = group.names.size();
        Alert alert{group.kind,
                    count == 1 ? QString::fromLatin1(caption.one)
                               : QString::fromLatin1(caption.many).arg(count),
                    server};
        switch (group.kind) {
            case EventKind::Join:
            case EventKind::Leave:
                alert.body = group.names.join(QStringLiteral(", "));
                break;
            case EventKind::Map:
                alert.body =
                    FromCp1252(group.previous) + QStringLiteral(" to ") + group.names.back();
                break;
            case EventKind::Lead:
                alert.body = group.previous.empty()
                                 ? group.names.back()
                                 : QStringLiteral("%1 (before: %2)")
                                       .arg(group.names.back(), shown(group.previous));
                break;
            default:
                break;
        }
        alerts.push_back(std::move(alert));
    }
    return alerts;
}

}  // namespace morvek
