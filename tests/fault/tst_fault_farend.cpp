// The device goes away under the real serial backend while the windows are using it, and comes
// back on a fresh pseudo-terminal.
#include "faultrig.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace vq;
using namespace vq::test;

namespace {

const QByteArray kAdm787 = hex("02 05 43 33 03");
const QByteArray kZtk = hex("02 05 43 37 03");

// More than a pseudo-terminal holds, so the port still has bytes queued when the far end goes.
QString bigText()
{
    return QString(256 * 1024, QLatin1Char('x'));
}

QPlainTextEdit* keyin()
{
    return DATASAVE::instance()->controls().get<QPlainTextEdit>("keyin");
}

QRadioButton* option(int n)
{
    return FormBaud::instance()->controls().get<QRadioButton>(QStringLiteral("Option%1").arg(n));
}

} // namespace

class TstFaultFarEnd : public QObject {
    Q_OBJECT
private slots:
    void betweenTwoWrites_data();
    void betweenTwoWrites();
    void duringTypedBurst_data();
    void duringTypedBurst();
    void whileFormBaudApplies_data();
    void whileFormBaudApplies();
};

void TstFaultFarEnd::betweenTwoWrites_data()
{
    QTest::addColumn<bool>("queued");
    QTest::addColumn<bool>("loopBetween");
    QTest::newRow("idle, next write at once") << false << false;
    QTest::newRow("idle, event loop between") << false << true;
    QTest::newRow("bytes queued, next write at once") << true << false;
    QTest::newRow("bytes queued, event loop between") << true << true;
}

void TstFaultFarEnd::betweenTwoWrites()
{
    QFETCH(bool, queued);
    QFETCH(bool, loopBetween);
    Pty pty;
    Rig rig;
    Formall* w = rig.startOn(pty);
    QVERIFY(w);
    w->NUMADM787_Click();
    QCOMPARE(pty.readNow(kAdm787.size()), kAdm787);
    if (queued) {
        rig.boxes.inputAnswers = {bigText()};
        w->numsave_Click();
    }
    QCOMPARE(rig.boxes.shown.size(), queued ? 1 : 0); // the input box only

    pty.closeMaster();
    rig.unplug();
    if (loopBetween) {
        const double share = busyShare();
        QVERIFY2(share < 0.2, qPrintable(QString::number(share)));
    }
    rig.boxes.shown.clear();
    w->numall_Click();
    QCOMPARE(rig.boxes.shown, QList<ShownBox>{message(kDeviceUnavailable, "Error")});
    QVERIFY(!w->Comm1().portOpen());
    QCOMPARE(portHandles(pty), 0);
    QCOMPARE(label(w, "Label7", 1)->text(), QStringLiteral("Close"));
    QCOMPARE(colour(label(w, "Label7", 1)), QColor(255, 0, 0));
    const double share = busyShare();
    QVERIFY2(share < 0.2, qPrintable(QString::number(share)));

    // Afterwards it is a closed port: refused, not reported again, nothing opened or written.
    w->numZtk_Click();
    w->numrun_Click();
    QCOMPARE(countShown(rig.boxes, kDeviceUnavailable), 1);
    QCOMPARE(countShown(rig.boxes, kNotOpen), 2);
    QCOMPARE(portHandles(pty), 0);

    // Still gone: the open press says so and the port stays closed.
    rig.boxes.shown.clear();
    w->Command1_Click(0);
    QCOMPARE(rig.boxes.shown, QList<ShownBox>{standard("Error!!Invalid port number")});
    QVERIFY(!w->Comm1().portOpen());

    // Back on a fresh pseudo-terminal: one press opens it and only new commands arrive there.
    Pty back;
    QVERIFY(back.isValid());
    QVERIFY(rig.plug(back));
    rig.boxes.shown.clear();
    w->Command1_Click(0);
    QCOMPARE(shownTexts(rig.boxes), QString());
    QVERIFY(w->Comm1().portOpen());
    QCOMPARE(label(w, "Label7", 1)->text(), QStringLiteral("Open"));
    w->numZtk_Click();
    w->NUMADM787_Click();
    QCOMPARE(back.readNow(10), kZtk + kAdm787);
    QCOMPARE(shownTexts(rig.boxes), QString());
}

void TstFaultFarEnd::duringTypedBurst_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<bool>("loopBetween");
    QTest::newRow("at the first key") << 0 << false;
    QTest::newRow("after one key") << 1 << false;
    QTest::newRow("mid-burst") << 40 << false;
    QTest::newRow("mid-burst, event loop between") << 40 << true;
}

void TstFaultFarEnd::duringTypedBurst()
{
    QFETCH(int, before);
    QFETCH(bool, loopBetween);
    const QString burst = QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789!");
    const int after = 12;
    QVERIFY(before + after <= burst.size());
    Pty pty;
    Rig rig;
    Formall* w = rig.startOn(pty);
    QVERIFY(w);
    w->numedmo_Click();
    QVERIFY(DATASAVE::instance());

    typeInto(keyin(), burst.left(before));
    QCOMPARE(pty.readNow(before), burst.left(before).toLatin1());
    pty.closeMaster();
    rig.unplug();
    if (loopBetween) {
        const double share = busyShare();
        QVERIFY2(share < 0.2, qPrintable(QString::number(share)));
    }
    rig.boxes.shown.clear();
    typeInto(keyin(), burst.mid(before, after));

    // The first lost key tells why; each later one is refused as on a closed port.
    QList<ShownBox> expected{message(kDeviceUnavailable, "Error")};
    expected += QList<ShownBox>(after - 1, message(kNotOpen, "message"));
    QCOMPARE(rig.boxes.shown, expected);
    QCOMPARE(keyin()->toPlainText(), burst.left(before));
    QVERIFY(!w->Comm1().portOpen());
    QCOMPARE(portHandles(pty), 0);
    QCOMPARE(label(w, "Label7", 1)->text(), QStringLiteral("Close"));
    const double share = busyShare();
    QVERIFY2(share < 0.2, qPrintable(QString::number(share)));

    // The demo window stays; once the device is back and the port open again, typing works.
    Pty back;
    QVERIFY(back.isValid());
    QVERIFY(rig.plug(back));
    w->Command1_Click(0);
    QVERIFY(w->Comm1().portOpen());
    rig.boxes.shown.clear();
    typeInto(keyin(), QStringLiteral("ok"));
    QCOMPARE(back.readNow(2), QByteArray("ok"));
    QCOMPARE(keyin()->toPlainText(), burst.left(before) + QStringLiteral("ok"));
    QCOMPARE(shownTexts(rig.boxes), QString());
}

void TstFaultFarEnd::whileFormBaudApplies_data()
{
    QTest::addColumn<bool>("queued");
    QTest::addColumn<bool>("loopBetween");
    QTest::newRow("idle, OK at once") << false << false;
    QTest::newRow("idle, event loop before OK") << false << true;
    QTest::newRow("bytes queued, OK at once") << true << false;
    QTest::newRow("bytes queued, event loop before OK") << true << true;
}

void TstFaultFarEnd::whileFormBaudApplies()
{
    QFETCH(bool, queued);
    QFETCH(bool, loopBetween);
    Pty pty;
    Rig rig;
    Formall* w = rig.startOn(pty);
    QVERIFY(w);
    w->menuEntry("numbaudrate")->trigger();
    QVERIFY(FormBaud::instance());
    click(option(8));  // 38400
    click(option(14)); // O_7_1
    if (queued) {
        // The main window stays usable beside the dialog.
        rig.boxes.inputAnswers = {bigText()};
        w->numsave_Click();
    }

    pty.closeMaster();
    rig.unplug();
    if (loopBetween) {
        const double share = busyShare();
        QVERIFY2(share < 0.2, qPrintable(QString::number(share)));
    }
    rig.boxes.shown.clear();
    click(FormBaud::instance()->controls().get<QPushButton>("CmdOk"));
    flushDeletes();
    QCOMPARE(rig.boxes.shown, QList<ShownBox>{message(kDeviceUnavailable, "Error")});
    QVERIFY(FormBaud::instance() && FormBaud::instance()->isVisible());
    QVERIFY(option(8)->isChecked() && option(14)->isChecked());
    QVERIFY(!w->Comm1().portOpen());
    QCOMPARE(portHandles(pty), 0);
    QCOMPARE(label(w, "Label7", 1)->text(), QStringLiteral("Close"));
    const double share = busyShare();
    QVERIFY2(share < 0.2, qPrintable(QString::number(share)));

    // A second OK meets a closed port: told so, not reported as lost again.
    rig.boxes.shown.clear();
    click(FormBaud::instance()->controls().get<QPushButton>("CmdOk"));
    flushDeletes();
    QCOMPARE(rig.boxes.shown,
             QList<ShownBox>{message(QStringLiteral("ComPort Not Open errno:8018"), "Message")});
    QVERIFY(FormBaud::instance());

    // Device back, port opened from the main window: the same choices go out, the dialog closes.
    Pty back;
    QVERIFY(back.isValid());
    QVERIFY(rig.plug(back));
    w->Command1_Click(0);
    QVERIFY(w->Comm1().portOpen());
    rig.boxes.shown.clear();
    click(FormBaud::instance()->controls().get<QPushButton>("CmdOk"));
    flushDeletes();
    QCOMPARE(back.readNow(10), hex("02 05 42 36 03 02 05 50 36 03"));
    QVERIFY(!FormBaud::instance());
    QCOMPARE(shownTexts(rig.boxes), QString());
}

QTEST_MAIN(TstFaultFarEnd)
#include "tst_fault_farend.moc"
