// The player panel: five rows from the view, presence boxes, the colour numbers (palette, 32 keeps
// the colour, numbers without a palette entry show the button face), time and frags texts, and
// the scroll bar over the 64 view rows.
#include <QLabel>
#include <QScrollBar>
#include <QTest>

#include "core/monitor.h"
#include "ui/player_panel.h"

using namespace morvek;

namespace {
PlayerRecord Row(const char* present, const char* name, const char* shirt, const char* pants,
                 const char* time = "", const char* frags = "", const char* id = "") {
    PlayerRecord r{};
    r[kPresent] = present;
    r[kName] = name;
    r[kShirt] = shirt;
    r[kPants] = pants;
    r[kTime] = time;
    r[kFrags] = frags;
    r[kId] = id;
    return r;
}
}  // namespace

class TestPlayerPanel : public QObject {
    Q_OBJECT
  private slots:
    void palette_and_colour_numbers() {
        QCOMPARE(PlayerPalette().size(), std::size_t(14));
        QCOMPARE(*ColourForNumber(""), QColor(192, 192, 192));  // "" reads 0
        QCOMPARE(*ColourForNumber("abc"), QColor(192, 192, 192));
        QCOMPARE(*ColourForNumber("4"), QColor(255, 0, 0));
        QCOMPARE(*ColourForNumber("13"), QColor(0, 0, 255));
        QCOMPARE(*ColourForNumber("2"), *ColourForNumber("9"));
        QCOMPARE(*ColourForNumber("12.5"), QColor(255, 255, 0));  // halves to even: 12
        QCOMPARE(*ColourForNumber("11.5"), QColor(255, 255, 0));  // 12 too
        QVERIFY(!ColourForNumber("32").has_value());              // keeps its colour
        for (const char* outside : {"14", "15", "-1", "33", "31.6", "1e10", "&HFFFF"}) {
            auto colour = ColourForNumber(outside);
            QVERIFY2(colour.has_value() && !colour->isValid(), outside);  // button face
        }
    }

    void presence_time_and_frags_texts() {
        QCOMPARE(*PresenceColour(""), QColor(255, 0, 0));
        QCOMPARE(*PresenceColour(" "), QColor(255, 0, 0));
        QCOMPARE(*PresenceColour("1"), QColor(0, 255, 0));
        QVERIFY(!PresenceColour("x").has_value());
        QCOMPARE(TimeText("012"), std::string("12"));
        QCOMPARE(TimeText("1.50"), std::string("1.5"));
        QCOMPARE(TimeText(""), std::string());
        QCOMPARE(TimeText("abc"), std::string("0"));
        QCOMPARE(FragsText("4244897280"), std::string("-1"));
        QCOMPARE(FragsText("-5"), std::string("-5"));
        QCOMPARE(FragsText("007"), std::string("007"));  // shown as stored
        QCOMPARE(FragsText(""), std::string());
    }

    void rows_and_colours() {
        Monitor m;
        PlayerPanel panel;
        panel.show();
        // Start: red presence boxes, button-face colour boxes.
        for (int r = 0; r < PlayerPanel::kRows; ++r) {
            QCOMPARE(panel.plStatus[r]->Shown(), QColor(255, 0, 0));
            QVERIFY(panel.plShirt[r]->IsButtonFace());
        }
        m.view.rows[0] = Row("1", "Ranger", "4", "13", "012", "25", "1");
        m.view.rows[1] = Row("", "Gone", "3", "12", "7", "4244897280", "2");  // absent
        m.view.rows[2] = Row("1", "Odd", "14", "15", "", "3", "3");
        panel.ShowPlayers(m);
        QCOMPARE(panel.plStatus[0]->Shown(), QColor(0, 255, 0));
        QCOMPARE(panel.plNome[0]->text(), QStringLiteral("Ranger"));
        QCOMPARE(panel.plID[0]->text(), QStringLiteral("1"));
        QCOMPARE(panel.plShirt[0]->Shown(), QColor(255, 0, 0));
        QCOMPARE(panel.plPants[0]->Shown(), QColor(0, 0, 255));
        QCOMPARE(panel.plTime[0]->text(), QStringLiteral("12"));
        QCOMPARE(panel.plFrags[0]->text(), QStringLiteral("25"));
        // An absent player keeps name, time and frags, with a red box.
        QCOMPARE(panel.plStatus[1]->Shown(), QColor(255, 0, 0));
        QCOMPARE(panel.plNome[1]->text(), QStringLiteral("Gone"));
        QCOMPARE(panel.plTime[1]->text(), QStringLiteral("7"));
        QCOMPARE(panel.plFrags[1]->text(), QStringLiteral("-1"));
        // Colours 14 and 15 have no palette entry: the button face.
        QVERIFY(panel.plShirt[2]->IsButtonFace());
        QVERIFY(panel.plPants[2]->IsButtonFace());
        // An empty row: empty texts, red presence, grey boxes (colour 0).
        QCOMPARE(panel.plStatus[4]->Shown(), QColor(255, 0, 0));
        QCOMPARE(panel.plNome[4]->text(), QString());
        QCOMPARE(panel.plTime[4]->text(), QString());
        QCOMPARE(panel.plShirt[4]->Shown(), QColor(192, 192, 192));
        QCOMPARE(panel.plPants[4]->Shown(), QColor(192, 192, 192));

        // Colour 32 keeps the colour of the player drawn before in that screen row; a presence
        // text other than "", " " or "1" keeps the presence box.
        m.view.rows[0] = Row("x", "Next", "32", "32");
        panel.ShowPlayers(m);
        QCOMPARE(panel.plShirt[0]->Shown(), QColor(255, 0, 0));
        QCOMPARE(panel.plPants[0]->Shown(), QColor(0, 0, 255));
        QCOMPARE(panel.plStatus[0]->Shown(), QColor(0, 255, 0));
        QCOMPARE(panel.plNome[0]->text(), QStringLiteral("Next"));
    }

    void scrolling_over_the_view() {
        Monitor m;
        for (int i = 0; i < kPlayerSlots; ++i) m.view.rows[i][kName] = "p" + std::to_string(i);
        PlayerPanel panel;
        int redraws = 0;
        connect(&panel, &PlayerPanel::Scrolled, [&] {
            ++redraws;
            panel.ShowPlayers(m);
        });
        QCOMPARE(panel.VScroll->minimum(), 0);
        QCOMPARE(panel.VScroll->maximum(), 59);
        QCOMPARE(panel.VScroll->pageStep(), 5);
        QCOMPARE(panel.VScroll->singleStep(), 1);
        panel.VScroll->setValue(59);
        QCOMPARE(redraws, 1);
        QCOMPARE(panel.plNome[0]->text(), QStringLiteral("p59"));
        QCOMPARE(panel.plNome[4]->text(), QStringLiteral("p63"));
        panel.VScroll->setValue(100);  // cannot pass the range
        QCOMPARE(panel.VScroll->value(), 59);
        panel.VScroll->triggerAction(QScrollBar::SliderPageStepSub);
        QCOMPARE(panel.plNome[0]->text(), QStringLiteral("p54"));
    }

    void names_are_windows_1252() {
        Monitor m;
        m.options.readable_names = false;
        m.view.rows[0][kName] = "\x80x\xE9";
        PlayerPanel panel;
        panel.ShowPlayers(m);
        QCOMPARE(panel.plNome[0]->text(), QString::fromUtf8("\u20ACx\u00E9"));
    }
};

QTEST_MAIN(TestPlayerPanel)
#include "test_player_panel.moc"
