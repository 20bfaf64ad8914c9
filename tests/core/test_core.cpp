// Numbers, command lines, events, alerts, readable Quake names, the player table and the graph.
#include <QJsonDocument>
#include <QStringDecoder>
#include <QtTest>

#include "core/alerts.h"
#include "core/command_line.h"
#include "core/events.h"
#include "core/frag_graph.h"
#include "core/monitor.h"
#include "core/numbers.h"
#include "core/picture.h"
#include "core/player_table.h"
#include "core/quake_text.h"
#include "core/text.h"
#include "support/to_string.h"

using namespace morvek;

Q_DECLARE_METATYPE(morvek::EventPicture)

namespace {

void Commit(PlayerTable& table, int type, const std::string& name, const std::string& frags = "0") {
    StartIncoming(table);
    table.incoming[kName] = name;
    table.incoming[kFrags] = frags;
    CommitIncoming(table, ServerType(type));
}

Monitor WithPlayers(const std::vector<std::string>& names, bool readable) {
    Monitor m;
    m.options.readable_names = readable;
    m.snapshot.name = "\x90VX\x91Vore";  // [VX]Vore with gold brackets
    for (const std::string& name : names) Commit(m.table, 1, name);
    BuildPlayerView(m.table, m.view, kSortById, 1, readable);
    return m;
}

EventKind KindNamed(const QString& name) {
    for (int i = 0; i < kEventKindCount; ++i)
        if (name == QLatin1String(EventName(EventKind(i)))) return EventKind(i);
    qFatal("no event kind %s", qPrintable(name));
}

// Events as "kind name previous | ...", both ways.
std::vector<Event> Events(const QByteArray& text) {
    std::vector<Event> events;
    for (const QByteArray& item : text.split('|')) {
        const QList<QByteArray> words = item.trimmed().split(' ');
        if (!words[0].isEmpty())
            events.push_back({KindNamed(QString::fromLatin1(words[0])),
                              words.value(1).toStdString(), words.value(2).toStdString()});
    }
    return events;
}
QString Text(const std::vector<Event>& events) {
    QStringList out;
    for (const Event& e : events)
        out << (QString::fromStdString(EventName(e.kind) + (" " + e.name) + " " + e.previous)
                    .trimmed() +
                (e.slot >= 0 ? " #" + QString::number(e.slot) : ""));
    return out.join(" | ");
}

EventPicture Picture(std::vector<PresentPlayer> present, std::string map = "dm4", int players = -2,
                     int max_players = 16, bool silent = false) {
    EventPicture p;
    p.map = std::move(map);
    p.players = players == -2 ? int(present.size()) : players;
    p.max_players = max_players;
    p.present = std::move(present);
    p.silent = silent;
    return p;
}

}  // namespace

class TestCore : public QObject {
    Q_OBJECT
  private slots:
    void leading_number_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("value");
        for (const char* row :
             {"|0", " \t2\n6\t0 00|26000", "26000 1|260001", "-12x|-12", ".25|0.25", "15d-1|1.5",
              "4E|4", "&h1a|26", "&O17|15", "&|0", "5\r6|5", "1.2.3|1.2"})
            QTest::newRow(row) << QByteArray(row).split('|')[0]
                               << QByteArray(row).split('|')[1].toDouble();
    }
    void leading_number() {
        QFETCH(QByteArray, text);
        QTEST(LeadingNumber(text.toStdString()), "value");
    }

    void out_of_range_numbers_fail_rather_than_clamp() {
        QVERIFY(std::isinf(LeadingNumber("1E999")) && !ToInt32(LeadingNumber("1E999")));
        QCOMPARE(ToInt16(-32768), std::optional<std::int16_t>(-32768));
        QVERIFY(!ToInt16(32767.5) && !ToInt32(2147483648.0) && !ToInt32(std::nan("")));
        QCOMPARE(FragsValue("4244897001"), -280.0);  // a log's unsigned negative
        QCOMPARE(FragsValue("4244897000"), 4244897000.0);
    }

    void decimal_and_windows_1252_texts() {
        QCOMPARE((std::array{DecimalText(90.0 / 60.0), DecimalText(100.0 / 60.0), DecimalText(-3),
                             SecondsText(125), IntegerText(4244897280LL), MinutesSecondsText(61),
                             MinutesSecondsText(3600), MinutesSecondsText(-5)}),
                 (std::array<std::string, 8>{"1.5", "1.66666666666667", "-3", "0.125", "4244897280",
                                             "1:01", "60:00", "-0:05"}));
        QCOMPARE((std::array{ConnectedSeconds("1.01666666666667"), ConnectedSeconds(" "),
                             ConnectedSeconds("1e99")}),
                 (std::array<std::optional<std::int32_t>, 3>{61, {}, {}}));
        QCOMPARE(UpperCase1252("\xE9t\xE9 alice \xF7\x9A\xFF"),
                 std::string("\xC9T\xC9 ALICE \xF7\x8A\x9F"));
    }

    // Every byte as Qt's own windows-1252 codec reads it, and back; a character the code page
    // lacks (U+0100, U+FFFD, one beyond 65535, a lone half of one) is one "?".
    void windows_1252_every_byte() {
        std::string all(256, '\0');
        for (int b = 0; b < 256; ++b) all[std::size_t(b)] = char(b);
        QStringDecoder codec("windows-1252");
        QVERIFY(codec.isValid());
        const QString read = FromCp1252(all);
        QCOMPARE(read, codec.decode(QByteArray::fromStdString(all)));
        std::string json;
        AppendJsonString(json, all);
        QCOMPARE("{\"k\":" + json + "}", JsonLine(QJsonObject{{"k", read}}));
        QCOMPARE(Cp1252ToUtf8(all), read.toUtf8().toStdString());
        QCOMPARE(ToCp1252(read + QString::fromUtf8("\u0100\uFFFD\U0001F600") + QChar(0xD800)),
                 all + "????");
    }

    // "line|valid type host port", "-" for a field not read.
    void command_lines_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("parsed");
        for (const char* row :
             {"3 q2.example.org 27910|1 3 q2.example.org 27910",
              "x 127.0.0.1 26000|1 0 127.0.0.1 26000", "0 h 27500.5|1 0 h 27500",
              "0 h 2600 1|1 0 h 26001", "0 h 26000 word|1 0 h 26000", "12 host 26000|0 - - -",
              "0 host |0 0 host -", "0  host 26000|0 0 - -", "0 host 0|0 0 host -",
              "0 h 26000 1|0 0 h -", "0 h 65536|0 0 h -", "|0 - - -"})
            QTest::newRow(row) << QString(row).section('|', 0, 0) << QString(row).section('|', 1);
    }
    void command_lines() {
        QFETCH(QString, line);
        const CommandLine c = ParseCommandLine(line.toStdString());
        QTEST(QString("%1 %2 %3 %4")
                  .arg(c.valid)
                  .arg(c.type ? QString::number(TypeCode(*c.type)) : "-")
                  .arg(c.host ? QString::fromStdString(*c.host) : "-")
                  .arg(c.port ? QString::number(*c.port) : "-"),
              "parsed");
    }

    void derive_events_data() {
        QTest::addColumn<EventPicture>("before");
        QTest::addColumn<EventPicture>("after");
        QTest::addColumn<QString>("events");
        const auto two = Picture({{"Ranger", 5}, {"Grunt", 3}});
        const auto silent = Picture({{"Ranger", 5}, {"Grunt", 3}}, "dm4", -2, 16, true);
        QTest::newRow("rename is a leave and a join")
            << two << Picture({{"Ranger", 5}, {"Grunt2", 3}}) << "leave Grunt | join Grunt2";
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
        QTest::newRow("two players of one name")
            << Picture({{"player", 5, 0}, {"player", 3, 1}}) << Picture({{"player", 3, 1}})
            << "leave player #0 | lead player player #1";
        QTest::newRow("answered again, map changed meanwhile")
            << silent << Picture({{"Ranger", 5}, {"Grunt", 3}}, "e2m1") << "back | map e2m1 dm4";
    }
    void derive_events() {
        QFETCH(EventPicture, before);
        QFETCH(EventPicture, after);
        QTEST(Text(DeriveEvents(before, after)), "events");
    }

    // A player the server stops reporting leaves on the fourth tick.
    void leave_on_the_fourth_tick() {
        Monitor m;
        m.snapshot.players = "1";
        Commit(m.table, 0, "Ranger");
        EventTracker tracker;
        QStringList seen;
        for (int tick = 1; tick <= 5; ++tick, ++m.counters.replies) {
            AgePresence(m.table);
            BuildPlayerView(m.table, m.view, kSortById, 1);
            seen << Text(tracker.Update(m));
        }
        QCOMPARE(seen, QStringList({"", "", "", "leave Ranger #0", ""}));
    }

    // A list arriving over several ticks is the starting roster, or no news once there is one.
    void a_list_arriving_is_no_news() {
        Monitor m;
        EventTracker tracker;
        QStringList seen;
        const std::vector<std::vector<std::string>> ticks = {{}, {"a"}, {"b"}, {"c"}, {"d"}};
        for (std::size_t tick = 0; tick < ticks.size(); ++tick, ++m.counters.replies) {
            m.snapshot.players = tick ? "4" : "";
            m.list_arriving = tick == 1 || tick == 2;
            for (const std::string& name : ticks[tick]) Commit(m.table, 0, name);
            BuildPlayerView(m.table, m.view, kSortById, 1);
            seen << Text(tracker.Update(m));
        }
        QCOMPARE(seen, QStringList({"", "", "", "", "join d #3"}));
    }

    void event_object_as_written() {
        const QDateTime time(QDate(2026, 12, 7), QTime(12, 0, 5), Qt::UTC);
        Options spectators;
        spectators.show_spectators = true;
        QCOMPARE(
            EventObject({EventKind::Join, "\\s\\\xd2\xe1\xee\xe7\xe5\xf2", "", 3}, 1, time,
                        spectators),
            (QJsonObject{{"event", "join"},
                         {"name", "Ranger"},
                         {"rawName", QString::fromUtf8("\u00d2\u00e1\u00ee\u00e7\u00e5\u00f2")},
                         {"slot", 4},
                         {"tick", 1},
                         {"time", "2026-12-07T12:00:05Z"}}));
        QCOMPARE(EventObject({EventKind::Map, "caf\xe9", "e1m1"}, 9, time),
                 (QJsonObject{{"event", "map"},
                              {"name", QString::fromUtf8("caf\xc3\xa9")},
                              {"previous", "e1m1"},
                              {"tick", 9},
                              {"time", "2026-12-07T12:00:05Z"}}));
    }

    // Events of one look, the kinds switched on, the watch list: "summary: body | ...".
    void alerts_data() {
        QTest::addColumn<QByteArray>("events");
        QTest::addColumn<QString>("switches");
        QTest::addColumn<QByteArray>("watch");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<QString>("alerts");
        const QByteArray mix =
            "silent | map e1m2 dm4 | leave Grunt | join Vore | join Ranger | "
            "lead Ranger Grunt | full";
        QTest::newRow("joins grouped, a watch list of stars and commas is everyone")
            << QByteArray("join a | join b | join c") << "join" << QByteArray(" * , ") << true
            << "3 players joined: a, b, c";
        QTest::newRow("one alert per kind, in the events' order")
            << mix << "join leave map silent lead full" << QByteArray() << true
            << "Server went silent: Duel (127.0.0.1:27500) | Map changed: dm4 to e1m2 | "
               "Player left: Grunt | 2 players joined: Vore, Ranger | "
               "New frag leader: Ranger (before: Grunt) | Server full: Duel (127.0.0.1:27500)";
        QTest::newRow("kinds switched off are left out")
            << mix << "back slot_free leave" << QByteArray() << true << "Player left: Grunt";
        QTest::newRow("lead after a tie, two map changes: first to last")
            << QByteArray("map e1m2 dm4 | lead Ranger | map e1m3 e1m2") << "map lead"
            << QByteArray() << true << "Map changed: dm4 to e1m3 | New frag leader: Ranger";
        QTest::newRow("watch list: only its names join, without regard to case")
            << QByteArray("leave Grunt | join Vore | join Ranger | join rangers") << "join leave"
            << QByteArray(" ranger ,, * ,VORE,") << true
            << "Player left: Grunt | 2 players joined: Vore, Ranger";
        QTest::newRow("names as shown: game glyphs readable, watched as read")
            << QByteArray("leave \x90Grunt\x91 | join \x10R\xe1nger\x11") << "join leave"
            << QByteArray("[ranger]") << true << "Player left: [Grunt] | Player joined: [Ranger]";
        QTest::newRow("names as shown: readable names off, Windows-1252")
            << QByteArray("join R\xe9my") << "join" << QByteArray("r\xe9my") << false
            << QString::fromUtf8("Player joined: R\u00e9my");
    }
    void alerts() {
        QFETCH(QByteArray, events);
        QFETCH(QString, switches);
        QFETCH(QByteArray, watch);
        Options options;
        for (const QString& kind : switches.split(' ', Qt::SkipEmptyParts))
            SetAlert(options, KindNamed(kind), true);
        options.alert_watch_list = watch.toStdString();
        QFETCH(bool, readable);
        options.readable_names = readable;
        QStringList got;
        for (const Alert& alert :
             AlertsFor(Events(events), options, QStringLiteral("Duel (127.0.0.1:27500)")))
            got << alert.summary + ": " + alert.body;
        QTEST(got.join(" | "), "alerts");
    }

    // One byte from each range of the mapping; the high half reads as the low half in red.
    void each_range_of_bytes_reads_as_one_character_data() {
        QTest::addColumn<int>("byte");
        QTest::addColumn<QByteArray>("read");
        QTest::addColumn<int>("tone");
        for (QByteArray row :
             {"00|\x95|0", "01|#|0", "05|\x95|0", "0a| |0",    "0b|#|0",    "0d|>|0", "0f|\x95|0",
              "10|[|2",    "11|]|2", "12|0|2",    "1b|9|2",    "1c|\x95|0", "1f|-|0", "20| |0",
              "41|A|0",    "7e|~|0", "7f|<|0",    "80|\x95|1", "92|0|2",    "c1|A|1", "ff|<|1"})
            QTest::newRow(row) << row.split('|')[0].toInt(nullptr, 16) << row.split('|')[1]
                               << row.split('|')[2].toInt();
    }
    void each_range_of_bytes_reads_as_one_character() {
        QFETCH(int, byte);
        QFETCH(QByteArray, read);
        QFETCH(int, tone);
        QCOMPARE(ReadableQuake(std::string(1, char(byte))), read.toStdString());
        QCOMPARE(QuakeChar(std::uint8_t(byte)), (QuakeGlyph{read[0], GlyphTone(tone)}));
        const std::string line{char(byte), '\t', char(byte)};  // a rule line keeps its tab
        QCOMPARE(ShownRuleLine(line, true), read.toStdString() + '\t' + read.toStdString());
    }

    // JSON names as read, raw bytes beside when they differ; the text one line each.
    void picture_gives_readable_names_and_raw_bytes() {
        const QString raw = QString::fromUtf8("\u00d2\u00e1\u00ee\u00e7\u00e5\u00f2");
        const QString raw_clan = QString::fromUtf8("\u0090VX\u2018Vore");
        for (bool readable : {true, false}) {
            const Monitor m = WithPlayers({"\xd2\xe1\xee\xe7\xe5\xf2"}, readable);  // red Ranger
            const std::string json = PictureJson(m, 1);
            const QJsonObject picture =
                QJsonDocument::fromJson(QByteArray::fromStdString(json)).object();
            QCOMPARE(json, JsonLine(picture));  // Qt's order and escapes
            const QJsonObject server = picture["server"].toObject();
            const QJsonObject player = picture["players"][0].toObject();
            QCOMPARE((QStringList{server["name"].toString(), server["rawName"].toString(),
                                  player["name"].toString(), player["rawName"].toString()}),
                     (readable ? QStringList{"[VX]Vore", raw_clan, "Ranger", raw}
                               : QStringList{raw_clan, "", raw, ""}));
            QCOMPARE(server.keys().size() + player.keys().size(), readable ? 20 : 18);
        }
        const auto text = PictureText(WithPlayers({"Two\nLines", "\x92\x93\x94\x95"}, true), 1);
        for (const char* part :
             {"Server: [VX]Vore  map", " + 0123             ", " + Two Lines        "})
            QVERIFY2(text.find(part) != std::string::npos, text.c_str());
        QCOMPARE(std::count(text.begin(), text.end(), '\n'), std::ptrdiff_t(5));
        // A NetQuake connection time: m:ss in the table, minutes and whole seconds in JSON.
        Monitor nq = WithPlayers({"Ranger"}, true);
        nq.server_type = ServerType::QuakeI;
        nq.view.rows[0][kTime] = "1.01666666666667";
        const std::string json = PictureJson(nq, 1);
        const QJsonObject picture =
            QJsonDocument::fromJson(QByteArray::fromStdString(json)).object();
        QCOMPARE(json, JsonLine(picture));
        const QJsonObject player = picture["players"][0].toObject();
        QCOMPARE(player["time"].toString() + " " + QString::number(player["seconds"].toInt()),
                 "1.01666666666667 61");
        QVERIFY(PictureText(nq, 1).find("      1:01     0\n") != std::string::npos);
    }

    // Players "name/key/connected at/order" committed in turn ("~s" blanks slot s's presence,
    // "N*" commits p0 to pN-1 first): the slot each named one takes, holding it as present.
    void slot_for_a_player_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("commits");
        QTest::addColumn<QString>("slots");
        QTest::newRow("quakeworld_user_ids") << 1 << QByteArray("p/3 p/4 p/3 p/4") << "0 1 0 1";
        QTest::newRow("quake2_line_order") << 3 << QByteArray("p//0/0 p//0/1 p//0/1") << "0 1 1";
        QTest::newRow("netquake_addresses")
            << 0 << QByteArray("p/a:1 p/b:2 p/b:2/9000 p/a:1") << "0 1 1 0";
        QTest::newRow("bots_joined_apart_and_a_second_late")
            << 0 << QByteArray("b/bot/6000/8 b/bot/60000/9 b/bot/7400/8 b/bot/60000/9")
            << "0 1 0 1";
        QTest::newRow("bots_joined_together_keep_slots_as_numbers_shift_down")
            << 0 << QByteArray("b/bot/6/8 b/bot/6/9 b/bot/6/10 b/bot/6/7 b/bot/6/8 b/bot/6/9")
            << "0 1 2 0 1 2";
        QTest::newRow("bots_joined_together_keep_slots_as_numbers_shift_up")
            << 0 << QByteArray("b/bot/6/8 b/bot/6/9 b/bot/6/9 b/bot/6/10 b/bot/6/11")
            << "0 1 0 1 2";
        QTest::newRow("returning_player_takes_the_old_slot_not_a_present_one")
            << 1 << QByteArray("p/3 q/4 ~0 p/5 p/6") << "0 1 0 2";
        QTest::newRow("returning_player_keeps_its_slot") << 0 << QByteArray("2* p0") << "0";
        QTest::newRow("never_used_slot_before_an_absent_one") << 0 << QByteArray("2* ~0 n") << "2";
        QTest::newRow("seventeenth_takes_the_first_absent") << 0 << QByteArray("16* ~5 n") << "5";
        QTest::newRow("all_16_present_overwrites_slot_0") << 2 << QByteArray("16* n") << "0";
        QTest::newRow("quakeworld_uses_64_slots") << 1 << QByteArray("40* n") << "40";
        QTest::newRow("red_p0_is_another_player") << 1 << QByteArray("1* \xf0\x30") << "1";
    }
    void slot_for_a_player() {
        QFETCH(int, type);
        QFETCH(QByteArray, commits);
        PlayerTable t;
        QStringList taken;
        auto commit = [&](const QList<QByteArray>& f) {
            StartIncoming(t);
            t.incoming[kName] = f[0].toStdString();
            t.incoming_identity = {f.value(1).toStdString(), f.value(2).toLongLong(),
                                   f.value(3).toInt()};
            return CommitIncoming(t, ServerType(type));
        };
        for (const QByteArray& token : commits.split(' ')) {
            if (token.startsWith('~')) {
                t.slot[token.mid(1).toUInt()][kPresent] = " ";  // a blank counts as empty
            } else if (token.endsWith('*')) {
                for (int i = 0; i < token.chopped(1).toInt(); ++i)
                    commit({"p" + QByteArray::number(i)});
            } else {
                const int slot = commit(token.split('/'));
                QCOMPARE(t.slot[std::size_t(slot)][kName] + t.slot[std::size_t(slot)][kPresent],
                         token.split('/')[0].toStdString() + "1");
                taken << QString::number(slot);
            }
        }
        QTEST(taken.join(' '), "slots");
    }

    // "name:frags|..." committed (Quake I), slot 1 made absent when asked; "id:name" of each row.
    void ordered_view_data() {
        QTest::addColumn<int>("sorting");
        QTest::addColumn<int>("keep_absent");  // or 2: readable names too
        QTest::addColumn<QByteArray>("players");
        QTest::addColumn<QByteArray>("rows");
        QTest::newRow("by_id_without_absent_ids_are_row_numbers")
            << int(kSortById) << 0 << QByteArray("a:0|-b:0|c:0") << QByteArray("1:a 2:c");
        QTest::newRow("by_id_with_absent")
            << int(kSortById) << 1 << QByteArray("a:0|-b:0|c:0") << QByteArray("1:a 2:b 3:c");
        QTest::newRow("by_name_ignores_case_and_blank_names")
            << int(kSortByName) << 0 << QByteArray("bob:0|Alice:0|alice:0|   :0|\xFF:0|\xE9ric:0")
            << QByteArray("2:Alice 3:alice 1:bob 6:\xE9ric");
        QTest::newRow("by_name_reads_a_red_name_when_readable")
            << int(kSortByName) << 2 << QByteArray("bob:0|zed:0|\xd2\xe1\xee\xe7\xe5\xf2:0")
            << QByteArray("1:bob 3:\xd2\xe1\xee\xe7\xe5\xf2 2:zed");
        QTest::newRow("by_frags_ties_keep_lower_slot_minus_1000_never_listed")
            << int(kSortByFrags) << 0 << QByteArray("x:-2|y:5|z:5|w:-1000|n:4244897280")
            << QByteArray("2:y 3:z 5:n 1:x");
        QTest::newRow("unknown_sorting_leaves_the_view")
            << 7 << 1 << QByteArray("a:0") << QByteArray("9:kept");
    }
    void ordered_view() {
        QFETCH(int, sorting);
        QFETCH(int, keep_absent);
        QFETCH(QByteArray, players);
        PlayerTable t;
        PlayerView v;
        v.rows[0][kId] = "9";
        v.rows[0][kName] = "kept";
        for (const QByteArray& p : players.split('|')) {
            Commit(t, 0, p.mid(p.startsWith('-')).split(':')[0].toStdString(),
                   p.split(':')[1].toStdString());
            if (p.startsWith('-')) t.slot[1][kPresent].clear();
        }
        BuildPlayerView(t, v, std::uint8_t(sorting), std::int16_t(keep_absent & 1),
                        keep_absent & 2);
        QByteArrayList rows;
        for (const auto& row : v.rows)
            if (!row[kId].empty() && !row[kName].empty())
                rows << QByteArray::fromStdString(row[kId] + ":" + row[kName]);
        QTEST(rows.join(' '), "rows");
    }

    // The server's maximum sets the series unless it is missing or 0, or the series are fixed;
    // one series per slot at most is kept and fed.
    void series_follow_max_players_up_to_the_64_slots() {
        Monitor m;
        for (const char* max : {"24", "", "0"}) SetMaxPlayers(m, max);
        m.options.series_follow_max_players = 0;
        SetMaxPlayers(m, "8");
        QCOMPARE(m.graph.ColumnCount(), 24);
        m.options.series_follow_max_players = 1;
        SetMaxPlayers(m, "100");
        m.graph.SetRowCount(1);
        for (int s = 0; s < kPlayerSlots; ++s)
            m.table.slot[std::size_t(s)][kFrags] = std::to_string(s + 1);
        AddGraphSample(m.graph, 0, m.table);
        QCOMPARE(
            (std::vector{double(m.graph.ColumnCount()), m.graph.Cell(1, 1), m.graph.Cell(1, 64)}),
            (std::vector<double>{64, 1, 64}));
    }

    // Samples cycled over series 1 (NaN: the slot holds no player, and the players' lines are
    // on): its points (first four, last two; "~" after a gap), then both axes' ranges.
    void plotted_points_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<double>>("samples");
        QTest::addColumn<QString>("picture");
        QTest::newRow("one_row") << 1 << QList<double>{3} << "1:3 | rows 0.5-1.5 | values 0-4/1";
        QTest::newRow("groups_keep_low_and_high_in_row_order")
            << 250 << QList<double>{7, 1, 4}
            << "1:7 2:1 4:7 5:1 ... 248:1 250:7 | rows 1-250 | values 0-8/2";
        QTest::newRow("players_lines_leave_a_gap_for_an_empty_slot")
            << 7 << QList<double>{qQNaN(), -5, 9, qQNaN(), qQNaN(), 9, 4}
            << "2:-5 3:9 ~6:9 7:4 | rows 1-7 | values -10-10/5";
    }
    void plotted_points() {
        QFETCH(int, rows);
        QFETCH(QList<double>, samples);
        FragGraph graph;
        graph.SetRowCount(rows);
        graph.SetColumnCount(2);
        for (int r = 1; r <= rows; ++r) {
            const double sample = samples[(r - 1) % samples.size()];
            graph.player_lines = graph.player_lines || std::isnan(sample);
            graph.SetCell(r, 1, std::isnan(sample) ? 0 : sample, !std::isnan(sample));
            graph.MarkSampled(r);
        }
        GraphLines plot;
        plot.lines.resize(5, {GraphPoint{9, 9}});  // earlier lines are replaced
        PlotGraph(graph, 2, plot);
        QCOMPARE(plot.lines.size(), std::size_t(2));
        QCOMPARE(plot.lines[1].empty() ? GraphPoint{} : plot.lines[1].front(),
                 (GraphPoint{graph.player_lines ? 0.0 : 1.0, 0}));
        QStringList points;
        for (const GraphPoint& p : plot.lines[0])
            points << QString("%1%2:%3").arg(p.gap_before ? "~" : "").arg(p.row).arg(p.value);
        if (points.size() > 8)
            points = points.mid(0, 4) + QStringList{"..."} + points.mid(points.size() - 2);
        points << QString::asprintf("| rows %g-%g | values %g-%g/%g", plot.row_min, plot.row_max,
                                    plot.values.min, plot.values.max, plot.values.step);
        QTEST(points.join(' '), "picture");
    }
};

QTEST_GUILESS_MAIN(TestCore)
#include "test_core.moc"
