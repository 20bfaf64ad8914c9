// Events between two pictures, and the tracker over a monitor whose presence runs out.
#include <QtTest>

#include "core/events.h"
#include "support/to_string.h"

using namespace morvek;

Q_DECLARE_METATYPE(morvek::EventPicture)

namespace {

EventPicture Picture(std::vector<std::pair<std::string, double>> present, std::string map = "dm4",
                     int players = -2, int max_players = 16) {
    EventPicture p;
    p.map = std::move(map);
    p.players = players == -2 ? int(present.size()) : players;
    p.max_players = max_players;
    p.present = std::move(present);
    return p;
}

EventPicture Silent(EventPicture p) {
    p.silent = true;
    return p;
}

QString Text(const std::vector<Event>& events) {
    QStringList out;
    for (const Event& e : events)
        out << QString("%1 %2 %3")
                   .arg(EventName(e.kind), QString::fromStdString(e.name),
                        QString::fromStdString(e.previous))
                   .trimmed();
    return out.join(" | ");
}

}  // namespace

class TestEvents : public QObject {
    Q_OBJECT
  private slots:
    void derive_data() {
        QTest::addColumn<EventPicture>("before");
        QTest::addColumn<EventPicture>("after");
        QTest::addColumn<QString>("events");
        const auto two = Picture({{"Ranger", 5}, {"Grunt", 3}});
        QTest::newRow("nothing changed") << two << two << "";
        QTest::newRow("join") << two << Picture({{"Ranger", 5}, {"Grunt", 3}, {"Vore", 0}})
                              << "join Vore";
        QTest::newRow("leave") << two << Picture({{"Ranger", 5}}) << "leave Grunt";
        QTest::newRow("rename is a leave and a join")
            << two << Picture({{"Ranger", 5}, {"Grunt2", 3}}) << "leave Grunt | join Grunt2";
        QTest::newRow("map change")
            << two << Picture({{"Ranger", 5}, {"Grunt", 3}}, "e1m2") << "map e1m2 dm4";
        QTest::newRow("first picture is no change") << Picture({}, "", -1) << two << "";
        QTest::newRow("lead change")
            << two << Picture({{"Ranger", 5}, {"Grunt", 6}}) << "lead Grunt Ranger";
        QTest::newRow("leader after a tie")
            << Picture({{"Ranger", 5}, {"Grunt", 5}}) << Picture({{"Ranger", 6}, {"Grunt", 5}})
            << "lead Ranger";
        QTest::newRow("full") << Picture({{"Ranger", 5}}, "dm4", 1, 2)
                              << Picture({{"Ranger", 5}, {"Grunt", 3}}, "dm4", 2, 2)
                              << "join Grunt | full";
        QTest::newRow("slot free")
            << Picture({{"Ranger", 5}, {"Grunt", 3}}, "dm4", 2, 2)
            << Picture({{"Ranger", 5}}, "dm4", 1, 2) << "leave Grunt | slot_free";
        QTest::newRow("went silent") << two << Silent(two) << "silent";
        QTest::newRow("silent stays silent") << Silent(two) << Silent(two) << "";
        QTest::newRow("answered again, map changed meanwhile")
            << Silent(two) << Picture({{"Ranger", 5}, {"Grunt", 3}}, "e2m1")
            << "back | map e2m1 dm4";
    }
    void derive() {
        QFETCH(EventPicture, before);
        QFETCH(EventPicture, after);
        QFETCH(QString, events);
        QCOMPARE(Text(DeriveEvents(before, after)), events);
    }

    // A player the server stops reporting is absent on the fourth tick: the leave comes then,
    // unless nothing was heard since the tick before (the presence of all runs out).
    void leave_after_the_fourth_tick_only_from_a_server_that_answers() {
        for (bool answering : {true, false}) {
            Monitor m;
            m.snapshot.players = "1";
            StartIncoming(m.table);
            m.table.incoming[kName] = "Ranger";
            CommitIncoming(m.table, m.server_type);
            EventTracker tracker;
            QStringList seen;
            for (int tick = 1; tick <= 5; ++tick) {
                if (answering || tick == 1) ++m.counters.replies;
                AgePresence(m.table);
                BuildPlayerView(m.table, m.view, kSortById, 1);
                seen << QString("%1:%2").arg(tick).arg(Text(tracker.Update(m)));
            }
            QCOMPARE(seen.join(" "), answering ? "1: 2: 3: 4:leave Ranger 5:" : "1: 2: 3: 4: 5:");
        }
    }

    void event_objects_name_only_what_they_carry() {
        const QDateTime time(QDate(2026, 12, 7), QTime(12, 0, 5), Qt::UTC);
        QCOMPARE(EventObject({EventKind::Map, "caf\xe9", "e1m1"}, 9, time),
                 (QJsonObject{{"event", "map"},
                              {"name", QString::fromUtf8("caf\xc3\xa9")},
                              {"previous", "e1m1"},
                              {"tick", 9},
                              {"time", "2026-12-07T12:00:05Z"}}));
        QCOMPARE(EventObject({EventKind::SlotFree, "", ""}, 1, time).keys(),
                 (QStringList{"event", "tick", "time"}));
    }
};

QTEST_APPLESS_MAIN(TestEvents)
#include "test_events.moc"
