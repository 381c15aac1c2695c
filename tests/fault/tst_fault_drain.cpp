// "End" and closing the main window straight after a long write: the port drains before it
// closes, or lets go at once when the device is gone.
#include "faultrig.h"

#include "demo/democommands.h"

using namespace vq;
using namespace vq::test;

namespace {

// Every character value, in an order where a dropped or swapped byte shows.
QString demoText(qsizetype size)
{
    QString text(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        text[i] = QChar(char16_t((i * 7 + i / 256) & 0xFF));
    return text;
}

} // namespace

class TstFaultDrain : public QObject {
    Q_OBJECT
private slots:
    void everyByteArrives_data();
    void everyByteArrives();
    void deviceGoneAtEnd_data();
    void deviceGoneAtEnd();
};

void TstFaultDrain::everyByteArrives_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("End") << "end";
    QTest::newRow("End with the demo window open") << "end demo";
    QTest::newRow("close the main window") << "close";
    QTest::newRow("close the main window, demo window stays") << "close demo";
}

void TstFaultDrain::everyByteArrives()
{
    QFETCH(QString, how);
    Pty pty;
    Rig rig;
    Formall* w = rig.startOn(pty);
    QVERIFY(w);
    if (how.endsWith(u"demo")) {
        w->numedmo_Click();
        QVERIFY(DATASAVE::instance());
    }
    const QString text = demoText(64 * 1024);
    const QByteArray expected = storeCommand(DemoLine::Upper, text);
    QCOMPARE(expected.size(), 64 * 1024 + 5);
    pty.startReading(expected.size());

    rig.boxes.inputAnswers = {text};
    w->numsave_Click();
    // No turn of the event loop in between: the port still holds most of the text.
    if (how.startsWith(u"end"))
        w->Command2_Click();
    else
        QVERIFY(w->close());

    const QByteArray got = pty.received();
    QCOMPARE(got.size(), expected.size());
    QCOMPARE(got, expected);
    QCOMPARE(rig.ends, how.startsWith(u"end") ? 1 : 0);
    QCOMPARE(portHandles(pty), 0);
    QCOMPARE(rig.boxes.shown.size(), 1); // the input box only
    flushDeletes();
    QCOMPARE(rig.main() == nullptr, how.startsWith(u"close"));
}

void TstFaultDrain::deviceGoneAtEnd_data()
{
    QTest::addColumn<bool>("end");
    QTest::newRow("End") << true;
    QTest::newRow("close the main window") << false;
}

// Nothing to drain into: the port lets go without waiting on the device or telling anyone.
void TstFaultDrain::deviceGoneAtEnd()
{
    QFETCH(bool, end);
    Pty pty;
    Rig rig;
    Formall* w = rig.startOn(pty);
    QVERIFY(w);
    rig.boxes.inputAnswers = {demoText(256 * 1024)};
    w->numsave_Click();
    pty.closeMaster();
    rig.unplug();

    const double before = cpuSeconds();
    if (end)
        w->Command2_Click();
    else
        QVERIFY(w->close());
    QVERIFY2(cpuSeconds() - before < 1.0, "closing spun on the dead device");
    QCOMPARE(rig.ends, end ? 1 : 0);
    QCOMPARE(portHandles(pty), 0);
    QCOMPARE(rig.boxes.shown.size(), 1); // the input box only
}

QTEST_MAIN(TstFaultDrain)
#include "tst_fault_drain.moc"
