// Readable Quake names: the mapping from game bytes to what a person reads, and its readers in
// core (name ordering, the headless table and JSON), with the raw bytes kept.
#include <QJsonArray>
#include <QtTest>

#include "core/monitor.h"
#include "core/picture.h"
#include "core/quake_text.h"
#include "core/text.h"
#include "support/to_string.h"

using namespace morvek;

namespace {
// Red Ranger, gold 0123, [VX]Vore with gold brackets, a name with a line feed.
const std::string kRedRanger = "\xd2\xe1\xee\xe7\xe5\xf2";
const std::string kGold0123 = "\x92\x93\x94\x95";
const std::string kClanVore = "\x90VX\x91Vore";
const std::string kTwoLines = "Two\nLines";

Monitor WithPlayers(const std::vector<std::string>& names, bool readable) {
    Monitor m;
    m.options.readable_names = readable;
    m.options.player_sorting = kSortByName;
    for (const std::string& name : names) {
        StartIncoming(m.table);
        m.table.incoming[kName] = name;
        CommitIncoming(m.table, ServerType::QuakeWorld);
    }
    BuildPlayerView(m.table, m.view, kSortByName, 1, readable);
    return m;
}
}  // namespace

class TestQuakeText : public QObject {
    Q_OBJECT
  private slots:
    void every_byte_has_one_readable_character_and_tone() {
        std::string low =
            "\x95####\x95#### # >\x95\x95[]0123456789\x95---"
            " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`"
            "abcdefghijklmnopqrstuvwxyz{|}~<";
        QCOMPARE(low.size(), std::size_t(128));
        std::string all(256, '\0');
        std::string tones, expected_tones;
        for (int b = 0; b < 256; ++b) {
            all[std::size_t(b)] = char(b);
            tones += char('0' + int(QuakeChar(std::uint8_t(b)).tone));
            const bool gold = (b & 0x7F) >= 16 && (b & 0x7F) <= 27;
            expected_tones += gold ? '2' : (b & 0x80) ? '1' : '0';
        }
        QCOMPARE(ReadableQuake(all), low + low);
        QCOMPARE(tones, expected_tones);
    }

    void names_as_players_read_them_data() {
        QTest::addColumn<std::string>("raw");
        QTest::addColumn<std::string>("readable");
        QTest::newRow("quakeworld_red_letters") << kRedRanger << std::string("Ranger");
        QTest::newRow("quakeworld_gold_digits") << kGold0123 << std::string("0123");
        QTest::newRow("quakeworld_gold_brackets") << kClanVore << std::string("[VX]Vore");
        QTest::newRow("line_feed_and_return_stay_on_one_line")
            << std::string("a\nb\rc") << std::string("a b>c");
        QTest::newRow("dots_and_bar")
            << std::string("\x1d\x1e\x1f\x05\x9c", 5) << std::string("---\x95\x95");
        QTest::newRow("nul_inside_a_name") << std::string("x\0y", 3) << std::string("x\x95y");
    }
    void names_as_players_read_them() {
        QFETCH(std::string, raw);
        QFETCH(std::string, readable);
        QCOMPARE(ShownText(raw, true), readable);
        QCOMPARE(ShownText(raw, false), raw);
    }

    void rule_line_keeps_its_tab() {
        QCOMPARE(ShownRuleLine("hostname  \t" + kRedRanger, true),
                 std::string("hostname  \tRanger"));
        QCOMPARE(ShownRuleLine("a\x9b", true), std::string("a9"));
        QCOMPARE(ShownRuleLine("k\t\x90", false), std::string("k\t\x90"));
    }

    // A red Ranger sorts among the R's when names are readable, after Z when they are not.
    void ordering_by_name_compares_the_readable_form() {
        for (bool readable : {true, false}) {
            const Monitor m = WithPlayers({"bob", "zed", "Alice", kRedRanger}, readable);
            std::vector<std::string> ids;
            for (const auto& row : m.view.rows)
                if (!row[kId].empty()) ids.push_back(row[kId]);
            QCOMPARE(ids, (readable ? std::vector<std::string>{"3", "1", "4", "2"}
                                    : std::vector<std::string>{"3", "1", "2", "4"}));
        }
    }

    // Slot lookup compares raw bytes: a plain and a red "Ranger" are two players.
    void readable_collision_stays_two_players() {
        const Monitor m = WithPlayers({"Ranger", kRedRanger}, true);
        QCOMPARE(m.table.slot[0][kName], std::string("Ranger"));
        QCOMPARE(m.table.slot[1][kName], kRedRanger);
    }

    // JSON names as players read them, with the raw bytes beside only when they differ in form.
    void json_gives_readable_name_and_raw_bytes() {
        const QString raw = QString::fromUtf8("\u00d2\u00e1\u00ee\u00e7\u00e5\u00f2");
        const QString raw_clan = QString::fromUtf8("\u0090VX\u2018Vore");
        for (bool readable : {true, false}) {
            Monitor m = WithPlayers({kRedRanger}, readable);
            m.snapshot.name = kClanVore;
            const QJsonObject picture = PictureObject(m, 1);
            const QJsonObject server = picture["server"].toObject();
            const QJsonObject player = picture["players"][0].toObject();
            QCOMPARE((QStringList{server["name"].toString(), server["rawName"].toString(),
                                  player["name"].toString(), player["rawName"].toString()}),
                     (readable ? QStringList{"[VX]Vore", raw_clan, "Ranger", raw}
                               : QStringList{raw_clan, "", raw, ""}));
            QCOMPARE(server.keys().size() + player.keys().size(), readable ? 20 : 18);
        }
    }

    void headless_table_shows_one_line_per_readable_name() {
        Monitor m = WithPlayers({kTwoLines, kGold0123}, true);
        m.snapshot.name = kClanVore;
        const std::string text = PictureText(m, 1);
        QVERIFY(text.find("Server: [VX]Vore  map") != std::string::npos);
        QVERIFY(text.find(" + 0123             ") != std::string::npos);
        QVERIFY(text.find(" + Two Lines        ") != std::string::npos);
        QCOMPARE(std::count(text.begin(), text.end(), '\n'), std::ptrdiff_t(5));
    }
};

QTEST_MAIN(TestQuakeText)
#include "test_quake_text.moc"
