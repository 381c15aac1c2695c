#include "display/emulation.h"
#include "displayharness.h"

#include <QAction>
#include <QTest>

using namespace vq;
using namespace vq::test;

namespace {
const QByteArray kUntouched("untouched");
const QString kRefusal =
    QStringLiteral("ShowMessage 4 message: Port not open...,please open the port first");
} // namespace

class TstEmulation : public QObject {
    Q_OBJECT
private slots:
    void entry_data();
    void entry();
    void refusedOrFailed_data();
    void refusedOrFailed();
    void commandUsesEmulationPrefix();
};

// Each entry with the port open; ClearCmd is seeded so every row shows it being replaced.
void TstEmulation::entry_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("clear");
    QTest::newRow("Z&TK") << ""
                          << "numZtk" << hex("02 05 43 37 03") << hex("0C");
    QTest::newRow("&DSP800") << ""
                             << "NUMDSP800" << hex("02 05 43 30 03") << hex("04 01 43 31 58 17");
    QTest::newRow("ESC/&POS") << ""
                              << "NUMPOS" << hex("02 05 43 31 03") << hex("0C");
    QTest::newRow("A&DM788") << ""
                             << "NUMADM788" << hex("02 05 43 32 03") << hex("0C");
    QTest::newRow("AD&M787") << ""
                             << "NUMADM787" << hex("02 05 43 33 03") << hex("0C");
    QTest::newRow("AEDE&X") << ""
                            << "NUMAEDEX" << hex("02 05 43 34 03") << QByteArray();
    QTest::newRow("UTC/&P") << ""
                            << "NUMUTCP" << hex("02 05 43 35 03") << hex("1F");
    QTest::newRow("UTC/&S") << ""
                            << "NUMUTCS" << hex("02 05 43 36 03") << hex("1F");
    QTest::newRow("reset") << ""
                           << "numall" << hex("02 05 07 31 03") << kUntouched;
    QTest::newRow("reset after &DSP800")
        << "NUMDSP800"
        << "numall" << hex("02 05 07 31 03") << hex("04 01 43 31 58 17");
    QTest::newRow("ESC/&POS after &DSP800") << "NUMDSP800"
                                            << "NUMPOS" << hex("02 05 43 31 03") << hex("0C");
}

void TstEmulation::entry()
{
    QFETCH(QString, before);
    QFETCH(QString, entry);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, clear);
    Harness h;
    Formall* w = h.openMain();
    h.state.ClearCmd = kUntouched;
    if (!before.isEmpty())
        w->menuEntry(before)->trigger();
    h.port->writes.clear();
    const Module1 was = h.state;
    w->menuEntry(entry)->trigger();
    w->menuEntry(entry)->trigger(); // nothing compares with the last choice: it goes again
    QCOMPARE(h.port->writes, (QList<QByteArray>{sent, sent}));
    QCOMPARE(h.state.ClearCmd, clear);
    QCOMPARE(h.state.PortSettings, was.PortSettings);
    QVERIFY(w->Comm1().portOpen());
    QVERIFY(h.boxes.shown.isEmpty());
}

void TstEmulation::refusedOrFailed_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("failure"); // 0: the port is closed
    QTest::addColumn<QString>("shown");
    for (const char* entry : {"numZtk", "NUMDSP800", "NUMPOS", "NUMADM788", "NUMADM787", "NUMAEDEX",
                              "NUMUTCP", "NUMUTCS", "numall"})
        QTest::newRow(entry) << entry << 0 << kRefusal;
    for (const char* entry : {"NUMDSP800", "NUMAEDEX", "numall"}) {
        const QByteArray name(entry);
        QTest::newRow(name + ", device gone")
            << entry << err::DeviceUnavailable << "ShowMessage 4 Error: Device unavailable!";
        QTest::newRow(name + ", closed meanwhile") << entry << err::PortNotOpen << kRefusal;
        QTest::newRow(name + ", other failure")
            << entry << 8015 << "ShowMessage 4 Error: scripted failure 8015";
    }
}

// Nothing is sent and ClearCmd keeps its value.
void TstEmulation::refusedOrFailed()
{
    QFETCH(QString, entry);
    QFETCH(int, failure);
    QFETCH(QString, shown);
    Harness h;
    Formall* w = failure ? h.openMain() : h.ctx.showMainWindow();
    if (failure)
        h.port->failNextWrites(failure);
    h.state.ClearCmd = kUntouched;
    w->menuEntry(entry)->trigger();
    QVERIFY(h.port->writes.isEmpty());
    QCOMPARE(h.state.ClearCmd, kUntouched);
    QCOMPARE(shownBoxes(h.boxes), QStringList{shown});
}

// Built from the variable, not from a copy of its start value.
void TstEmulation::commandUsesEmulationPrefix()
{
    Module1 state;
    state.EmulationPrefix = QByteArray("XY");
    ScriptedBoxes boxes;
    FakePort port;
    port.setPortOpen(true);
    QVERIFY(selectEmulation(port, boxes, state, kEmulations[emulationRow("NUMUTCP")]));
    QCOMPARE(port.writes, QList<QByteArray>{QByteArray("XY5\x03")});
}

QTEST_MAIN(TstEmulation)
#include "tst_emulation.moc"
