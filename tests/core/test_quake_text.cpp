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
const std::string kTwoLines = "Two\nLines";  // read on one line

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
    }

    void names_as_players_read_them_data() {
        QTest::addColumn<std::string>("raw");
        QTest::addColumn<std::string>("readable");
        QTest::newRow("quakeworld_red_letters") << kRedRanger << std::string("Ranger");
        QTest::newRow("quakeworld_gold_digits") << kGold0123 << std::string("0123");
        QTest::newRow("quakeworld_gold_brackets") << kClanVore << std::string("[VX]Vore");
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
