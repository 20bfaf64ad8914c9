// Which events notify and what the notification says: one table over the events of one look.
#include <QtTest>

#include "core/alerts.h"

using namespace morvek;

namespace {

EventKind KindNamed(const QString& name) {
    for (int i = 0; i < kEventKindCount; ++i)
        if (name == QLatin1String(EventName(EventKind(i)))) return EventKind(i);
    qFatal("no event kind %s", qPrintable(name));
}

// "join Ranger | map e1m2 dm4 | silent": kind, name, previous.
std::vector<Event> Events(const QByteArray& text) {
    std::vector<Event> events;
    for (const QByteArray& item : text.split('|')) {
        const QList<QByteArray> words = item.trimmed().split(' ');
        if (words[0].isEmpty()) continue;
        events.push_back({KindNamed(QString::fromLatin1(words[0])),
                          words.size() > 1 ? words[1].toStdString() : "",
                          words.size() > 2 ? words[2].toStdString() : ""});
    }
    return events;
}

}  // namespace

class TestAlerts : public QObject {
    Q_OBJECT
  private slots:
    void alerts_data() {
        QTest::addColumn<QByteArray>("events");
        QTest::addColumn<QString>("switches");
        QTest::addColumn<QByteArray>("watch");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<QString>("alerts");
        const QByteArray mix =
            "silent | map e1m2 dm4 | leave Grunt | join Vore | join Ranger | "
            "lead Ranger Grunt | full";
        QTest::newRow("every switch off") << mix << "" << QByteArray() << true << "";
        QTest::newRow("one join") << QByteArray("join Ranger") << "join" << QByteArray() << true
                                  << "Player joined: Ranger";
        QTest::newRow("joins of one look grouped")
            << QByteArray("join a | join b | join c") << "join" << QByteArray() << true
            << "3 players joined: a, b, c";
        QTest::newRow("one alert per kind, in the events' order")
            << mix << "join leave map silent lead full" << QByteArray() << true
            << "Server went silent: Duel (127.0.0.1:27500) | Map changed: dm4 to e1m2 | "
               "Player left: Grunt | 2 players joined: Vore, Ranger | "
               "New frag leader: Ranger (before: Grunt) | Server full: Duel (127.0.0.1:27500)";
        QTest::newRow("kinds switched off are left out")
            << mix << "back slot_free leave" << QByteArray() << true << "Player left: Grunt";
        QTest::newRow("lead after a tie") << QByteArray("lead Ranger") << "lead" << QByteArray()
                                          << true << "New frag leader: Ranger";
        QTest::newRow("two map changes at one look: first to last")
            << QByteArray("map e1m2 dm4 | map e1m3 e1m2") << "map" << QByteArray() << true
            << "Map changed: dm4 to e1m3";
        QTest::newRow("watch list: only its names join, without regard to case")
            << QByteArray("leave Grunt | join Vore | join Ranger | join rangers") << "join leave"
            << QByteArray(" ranger ,, * ,VORE,") << true
            << "Player left: Grunt | 2 players joined: Vore, Ranger";
        QTest::newRow("watch list nobody on it joined")
            << QByteArray("join Vore") << "join" << QByteArray("Ranger") << true << "";
        QTest::newRow("watch list of stars and commas: everyone")
            << QByteArray("join Vore") << "join" << QByteArray(" * , ") << true
            << "Player joined: Vore";
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
        QFETCH(bool, readable);
        QFETCH(QString, alerts);
        Options options;
        for (const QString& kind : switches.split(' ', Qt::SkipEmptyParts))
            SetAlert(options, KindNamed(kind), true);
        options.alert_watch_list = watch.toStdString();
        options.readable_names = readable;
        QStringList got;
        for (const Alert& alert :
             AlertsFor(Events(events), options, QStringLiteral("Duel (127.0.0.1:27500)")))
            got << alert.summary + ": " + alert.body;
        QCOMPARE(got.join(" | "), alerts);
    }
};

QTEST_APPLESS_MAIN(TestAlerts)
#include "test_alerts.moc"
