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

QString Name(const std::optional<QColor>& colour) {
    if (!colour) return "keep";
    return colour->isValid() ? colour->name() : "face";
}

// One screen row: presence, name, id, shirt, pants, time, frags.
QString Shown(const PlayerPanel& panel, int r) {
    const auto box = [](const auto* b) { return b->IsButtonFace() ? "face" : b->Shown().name(); };
    return QStringList({box(panel.plStatus[r]), panel.plNome[r]->text(), panel.plID[r]->text(),
                        box(panel.plShirt[r]), box(panel.plPants[r]), panel.plTime[r]->text(),
                        panel.plFrags[r]->text()})
        .join(' ');
}

}  // namespace

class TestPlayerPanel : public QObject {
    Q_OBJECT
  private slots:
    void texts_and_colours_of_a_field_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        auto rows = [](const char* field,
                       std::initializer_list<std::pair<const char*, const char*>> cases) {
            for (auto [text, shown] : cases)
                QTest::addRow("%s '%s'", field, text) << field << text << shown;
        };
        // "" reads 0; halves go to even (11.5 and 12.5 are 12); 32 keeps the colour; numbers
        // without a palette entry show the button face.
        rows("colour", {{"", "#c0c0c0"},
                        {"abc", "#c0c0c0"},
                        {"2", "#800080"},
                        {"9", "#800080"},
                        {"4", "#ff0000"},
                        {"13", "#0000ff"},
                        {"12.5", "#ffff00"},
                        {"11.5", "#ffff00"},
                        {"32", "keep"},
                        {"14", "face"},
                        {"15", "face"},
                        {"-1", "face"},
                        {"33", "face"},
                        {"31.6", "face"},
                        {"1e10", "face"},
                        {"&HFFFF", "face"}});
        rows("presence", {{"", "#ff0000"}, {" ", "#ff0000"}, {"1", "#00ff00"}, {"x", "keep"}});
        rows("time", {{"012", "12"}, {"1.50", "1.5"}, {"", ""}, {"abc", "0"}});
        rows("frags", {{"4244897280", "-1"}, {"-5", "-5"}, {"007", "007"}, {"", ""}});
    }
    void texts_and_colours_of_a_field() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        const std::string t = text.toStdString();
        const QString shown = field == "colour"     ? Name(ColourForNumber(t))
                              : field == "presence" ? Name(PresenceColour(t))
                              : field == "time"     ? QString::fromStdString(TimeText(t))
                                                    : QString::fromStdString(FragsText(t));
        QTEST(shown, "shown");
    }

    void rows_and_colours() {
        Monitor m;
        PlayerPanel panel;
        panel.show();
        QCOMPARE(Shown(panel, 0), "#ff0000   face face  ");
        auto row = [&](int r, std::array<const char*, 7> f) {  // presence name shirt pants ...
            PlayerRecord& p = m.view.rows[std::size_t(r)];
            std::tie(p[kPresent], p[kName], p[kShirt], p[kPants], p[kTime], p[kFrags], p[kId]) =
                std::tuple(f[0], f[1], f[2], f[3], f[4], f[5], f[6]);
        };
        row(0, {"1", "Ranger", "4", "13", "012", "25", "1"});
        row(1, {"", "Gone", "3", "12", "7", "4244897280", "2"});  // absent: the texts stay
        row(2, {"1", "Odd", "14", "15", "", "3", "3"});
        panel.ShowPlayers(m);
        QCOMPARE((QStringList{Shown(panel, 0), Shown(panel, 1), Shown(panel, 2), Shown(panel, 4)}),
                 (QStringList{"#00ff00 Ranger 1 #ff0000 #0000ff 12 25",
                              "#ff0000 Gone 2 #008000 #ffff00 7 -1", "#00ff00 Odd 3 face face  3",
                              "#ff0000   #c0c0c0 #c0c0c0  "}));
        // Colour 32 keeps the colour of the player drawn before in that screen row; a presence
        // text other than "", " " or "1" keeps the presence box.
        row(0, {"x", "Next", "32", "32", "", "", ""});
        panel.ShowPlayers(m);
        QCOMPARE(Shown(panel, 0), "#00ff00 Next  #ff0000 #0000ff  ");
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
        const QScrollBar* bar = panel.VScroll;
        QCOMPARE((QList<int>{bar->minimum(), bar->maximum(), bar->pageStep(), bar->singleStep()}),
                 (QList<int>{0, 59, 5, 1}));
        panel.VScroll->setValue(59);
        QCOMPARE(redraws, 1);
        QCOMPARE(panel.plNome[0]->text() + panel.plNome[4]->text(), "p59p63");
        panel.VScroll->setValue(100);  // cannot pass the range
        QCOMPARE(panel.VScroll->value(), 59);
        panel.VScroll->triggerAction(QScrollBar::SliderPageStepSub);
        QCOMPARE(panel.plNome[0]->text(), QStringLiteral("p54"));
    }
};

QTEST_MAIN(TestPlayerPanel)
#include "test_player_panel.moc"
