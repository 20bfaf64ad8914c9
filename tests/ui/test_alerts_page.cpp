// The setup dialog's "Alerts" page, clicked like a user, through "&Ok" into the settings file and
// back into the page.
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "core/alerts.h"
#include "platform/settings_backend.h"
#include "support/window_rig.h"
#include "ui/setup_dialog.h"

using namespace morvek;
using morvek::testing::WindowRig;

namespace {

// What the page shows: the checked kinds, the watch list and the tray switch.
QString Page(const frmSetup& d) {
    QStringList on;
    for (int i = 0; i < kEventKindCount; ++i)
        if (d.chkAlert[i]->isChecked()) on << EventName(EventKind(i));
    return on.join(' ') + " / " + d.txtWatchList->text() + " / " +
           (d.chkCloseToTray->isChecked() ? "tray" : "no tray");
}

void Click(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

// Clicks the kinds and the tray switch, replaces the watch list by typing, takes "&Ok" and saves.
void Change(WindowRig& window, const QString& file, std::initializer_list<EventKind> kinds,
            const QString& watch) {
    frmSetup d(window);
    d.show();
    d.TabStrip->setCurrentWidget(d.frAlerts->parentWidget());
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    for (EventKind kind : kinds) Click(d.chkAlert[int(kind)]);
    Click(d.chkCloseToTray);
    QTest::mouseClick(d.txtWatchList, Qt::LeftButton);
    QTest::keyClick(d.txtWatchList, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(d.txtWatchList, Qt::Key_Backspace);
    QTest::keyClicks(d.txtWatchList, watch);
    QTest::mouseClick(d.cmdOk, Qt::LeftButton);
    platform::IniSettingsBackend store(file);
    QVERIFY(SaveSettings(store, window.Settings(), "", nullptr));
}

// The alert values of the settings file, in its order.
QStringList Stored(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {"cannot read"};
    QStringList lines;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith("Alert") || line.startsWith("CloseToTray")) lines << line;
    return lines;
}

}  // namespace

class TestAlertsPage : public QObject {
    Q_OBJECT
  private slots:
    void clicks_reach_the_file_and_come_back() {
        QTemporaryDir dir;
        const QString file = dir.filePath("Morvek.conf");
        WindowRig first;
        QCOMPARE(Page(frmSetup(first)), QString(" /  / no tray"));  // nothing on by default
        Change(first, file, {EventKind::Join, EventKind::Map}, " Ranger ,, bob,");
        QCOMPARE(first.rig.monitor.options.alert_events,
                 AlertBit(EventKind::Join) | AlertBit(EventKind::Map));
        QCOMPARE(
            Stored(file),
            QStringList({"AlertJoin=True", "AlertLeave=False", "AlertMap=True", "AlertSilent=False",
                         "AlertBack=False", "AlertLead=False", "AlertFull=False",
                         "AlertSlotFree=False", "AlertWatchList=Ranger, bob", "CloseToTray=True"}));

        // The next run reads them; clearing the watch list is stored too.
        WindowRig next;
        platform::IniSettingsBackend store(file);
        next.ApplySettings(*LoadSettings(store, nullptr), kReachAll);
        QCOMPARE(Page(frmSetup(next)), QString("join map / Ranger, bob / tray"));
        Change(next, file, {EventKind::Join, EventKind::SlotFree}, "");
        QCOMPARE(Stored(file).filter("True"), QStringList({"AlertMap=True", "AlertSlotFree=True"}));
        QCOMPARE(Stored(file).filter("WatchList"), QStringList({"AlertWatchList=*"}));
        QCOMPARE(Page(frmSetup(next)), QString("map slot_free /  / no tray"));
    }
};

QTEST_MAIN(TestAlertsPage)
#include "test_alerts_page.moc"
