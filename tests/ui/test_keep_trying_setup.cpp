// "Keep trying after a timeout" on the setup dialog's Connection page: shown from the live
// setting, applied by "&Ok" even while connected (when the connection group is grey).
#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "support/window_rig.h"
#include "ui/setup_dialog.h"

using namespace morvek;
using morvek::testing::WindowRig;

class TestKeepTryingSetup : public QObject {
    Q_OBJECT
  private slots:
    void a_click_and_ok_apply_it_while_connected() {
        WindowRig window;
        window.rig.monitor.state = ConnectionState::Connected;
        frmSetup d(window);
        QVERIFY(!d.chkKeepTrying->isChecked());
        QVERIFY(d.chkKeepTrying->isEnabled());
        QCOMPARE(d.chkKeepTrying->text(), QString("Keep trying after a timeout"));
        d.show();
        d.TabStrip->setCurrentWidget(d.chkKeepTrying->parentWidget());
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QTest::mouseClick(d.chkKeepTrying, Qt::LeftButton, {},
                          QPoint(4, d.chkKeepTrying->height() / 2));
        QTest::mouseClick(d.cmdOk, Qt::LeftButton);
        QVERIFY(window.rig.monitor.options.keep_trying);
        QVERIFY(window.Settings().keep_trying);

        frmSetup again(window);
        QVERIFY(again.chkKeepTrying->isChecked());
    }
};

QTEST_MAIN(TestKeepTryingSetup)
#include "test_keep_trying_setup.moc"
