#include "demotest.h"

#include <QAction>

using namespace vq;
using namespace vq::test;

class TstDemoMenu : public QObject {
    Q_OBJECT
private slots:
    void persistentEntries_data();
    void persistentEntries();
    void start_data();
    void start();
    void staleErrorFromMainWindowPress();
};

void TstDemoMenu::persistentEntries_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("numrun") << "numrun" << QByteArray::fromHex("0205440803");
    QTest::newRow("numsave") << "numsave" << QByteArray::fromHex("02054C31783F03");
    QTest::newRow("numlow") << "numlow" << QByteArray::fromHex("02054C32783F03");
    QTest::newRow("numupperline") << "numupperline" << QByteArray::fromHex("0205073203");
    QTest::newRow("numlowerline") << "numlowerline" << QByteArray::fromHex("0205073303");
}

// The menu reaches each operation on the main window's own port.
void TstDemoMenu::persistentEntries()
{
    QFETCH(QString, entry);
    QFETCH(QByteArray, expected);
    Harness h;
    Formall* w = h.openMain(true);
    h.boxes.inputAnswers = {QString::fromUtf8("x€")};
    w->menuEntry(entry)->trigger();
    QCOMPARE(h.port->writes, QList<QByteArray>{expected});
}

void TstDemoMenu::start_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QString>("failure"); // what opening port 1 fails with, if anything
    QTest::addColumn<QString>("lastBefore");
    QTest::addColumn<bool>("shows");
    QTest::addColumn<bool>("openAfter");
    QTest::addColumn<QString>("lastAfter");
    QTest::addColumn<QStringList>("standardBoxes");
    const QString ask = QStringLiteral("Port not open...\rNow, Want To Open the Port?");
    const QString invalid = QStringLiteral("Invalid port number");
    const QString busy = QStringLiteral("Permission error while locking the device");

    QTest::newRow("No") << false << QList<bool>{false} << QString() << QString() << false << false
                        << QString() << QStringList{ask};
    QTest::newRow("Yes, opens") << false << QList<bool>{true} << QString() << QString() << true
                                << true << QString() << QStringList{ask};
    QTest::newRow("Yes, invalid port number")
        << false << QList<bool>{true} << invalid << QString() << false << false << QString()
        << QStringList{ask, "Error!!" + invalid};
    QTest::newRow("Yes, other failure") << false << QList<bool>{true} << busy << QString() << true
                                        << false << busy << QStringList{ask, "Error!!" + busy};
    QTest::newRow("already open") << true << QList<bool>() << QString() << QString() << true << true
                                  << QString() << QStringList();
    QTest::newRow("Yes, opens after a stale error")
        << false << QList<bool>{true} << QString() << invalid << true << true << QString()
        << QStringList{ask};
}

void TstDemoMenu::start()
{
    QFETCH(bool, open);
    QFETCH(QList<bool>, answers);
    QFETCH(QString, failure);
    QFETCH(QString, lastBefore);
    QFETCH(bool, shows);
    QFETCH(bool, openAfter);
    QFETCH(QString, lastAfter);
    QFETCH(QStringList, standardBoxes);

    Harness h;
    Formall* w = h.openMain(open);
    if (!failure.isEmpty())
        h.port->failOpen(1, failure);
    w->LastOpenError = lastBefore;
    h.boxes.yesNoAnswers = answers;
    w->menuEntry("numedmo")->trigger();

    QCOMPARE(DATASAVE::instance() != nullptr, shows);
    if (shows)
        QVERIFY(DATASAVE::instance()->isVisible());
    QCOMPARE(h.port->portOpen(), openAfter);
    QCOMPARE(w->LastOpenError, lastAfter);
    QStringList seen;
    for (const ShownBox& b : h.boxes.shown) {
        QCOMPARE(b.title, QStringLiteral("VQ3360"));
        QCOMPARE(b.kind, seen.isEmpty() && !open ? ShownBox::StandardYesNo : ShownBox::StandardOk);
        seen << b.text;
    }
    QCOMPARE(seen, standardBoxes);
}

// A failed press of the main window's own button must not swallow a start after a good open.
void TstDemoMenu::staleErrorFromMainWindowPress()
{
    Harness h;
    Formall* w = h.openMain(false);
    h.port->failOpen(1, QStringLiteral("Invalid port number"));
    w->Command1_Click(0);
    w->Comm1().setCommPort(2);
    w->Command1_Click(0);
    QVERIFY(h.port->portOpen());
    QCOMPARE(w->LastOpenError, QStringLiteral("Invalid port number"));
    w->numedmo_Click();
    QVERIFY(DATASAVE::instance());
    QCOMPARE(w->LastOpenError, QString());
}

QTEST_MAIN(TstDemoMenu)
#include "tst_demomenu.moc"
