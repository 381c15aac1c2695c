#include "displayharness.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace vq;
using namespace vq::test;

namespace {

const QString kClosedReport = QStringLiteral("ShowMessage 4 Message: ComPort Not Open errno:8018");

FormBaud* openDialog(Formall* w)
{
    w->menuEntry("numbaudrate")->trigger();
    return FormBaud::instance();
}

} // namespace

class TstFormBaud : public QObject {
    Q_OBJECT
private slots:
    void refusedWhilePortClosed();
    void preselection_data();
    void preselection();
    void okSendsChoicesAndCloses_data();
    void okSendsChoicesAndCloses();
    void closingWithoutOkSendsNothing_data();
    void closingWithoutOkSendsNothing();
    void openingAgainKeepsChoices();
    void failureKeepsDialogOpen_data();
    void failureKeepsDialogOpen();
    void processEndsWithLastWindow();
};

void TstFormBaud::refusedWhilePortClosed()
{
    Harness h;
    openDialog(h.ctx.showMainWindow());
    QVERIFY(!FormBaud::instance());
    QCOMPARE(shownBoxes(h.boxes),
             QStringList{"ShowMessage 4 message: Port not open...,please open the port first"});
}

void TstFormBaud::preselection_data()
{
    QTest::addColumn<QString>("baudText");
    QTest::addColumn<QString>("frameText");
    QTest::addColumn<QList<int>>("checked");
    QTest::newRow("start values") << "9600"
                                  << "n,8,1" << QList<int>{6, 9};
    QTest::newRow("38400 N,7,1") << "38400"
                                 << "N,7,1" << QList<int>{8, 10};
    QTest::newRow("300 n,7,1") << "300"
                               << "n,7,1" << QList<int>{1, 10};
    QTest::newRow("19200 o,7,1") << "19200"
                                 << "o,7,1" << QList<int>{7, 14};
    QTest::newRow("framing unknown") << "4800"
                                     << "x,8,1" << QList<int>{5};
    QTest::newRow("nothing known") << "9601"
                                   << "" << QList<int>{};
}

void TstFormBaud::preselection()
{
    QFETCH(QString, baudText);
    QFETCH(QString, frameText);
    QFETCH(QList<int>, checked);
    Harness h;
    Formall* w = h.openMain();
    h.state.BaudText = baudText;
    h.state.FrameText = frameText;
    FormBaud* d = openDialog(w);
    QVERIFY(d && d->isVisible());
    QCOMPARE(checkedOptions(d), checked);
}

void TstFormBaud::okSendsChoicesAndCloses_data()
{
    QTest::addColumn<QString>("frameText");
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<bool>("enter");
    QTest::addColumn<QList<QByteArray>>("sent");
    QTest::newRow("as loaded") << "n,8,1" << QList<int>{} << false
                               << QList{hex("02 05 42 30 03"), hex("02 05 50 31 03")};
    QTest::newRow("38400 O_7_1") << "n,8,1" << QList<int>{8, 14} << false
                                 << QList{hex("02 05 42 36 03"), hex("02 05 50 36 03")};
    // Choosing a rate leaves the framing as it was.
    QTest::newRow("19200, then 1200, by Enter")
        << "E,7,1" << QList<int>{7, 3} << true
        << QList{hex("02 05 42 33 03"), hex("02 05 50 34 03")};
    QTest::newRow("no framing loaded")
        << "?" << QList<int>{} << false << QList{hex("02 05 42 30 03")};
}

void TstFormBaud::okSendsChoicesAndCloses()
{
    QFETCH(QString, frameText);
    QFETCH(QList<int>, clicks);
    QFETCH(bool, enter);
    QFETCH(QList<QByteArray>, sent);
    Harness h;
    Formall* w = h.openMain();
    h.state.FrameText = frameText;
    FormBaud* d = openDialog(w);
    for (int n : clicks)
        click(option(d, n));
    if (enter)
        QTest::keyClick(d, Qt::Key_Return);
    else
        clickNamed(d, "CmdOk");
    QCOMPARE(h.port->writes, sent);
    QVERIFY(h.boxes.shown.isEmpty());
    flushDeletes();
    QVERIFY(!FormBaud::instance());
    QCOMPARE(w->Comm1().settings(), QStringLiteral("9600,n,8,1"));
}

void TstFormBaud::closingWithoutOkSendsNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel") << "cancel";
    QTest::newRow("close box") << "close";
    QTest::newRow("Escape") << "escape";
}

void TstFormBaud::closingWithoutOkSendsNothing()
{
    QFETCH(QString, how);
    Harness h;
    Formall* w = h.openMain();
    FormBaud* d = openDialog(w);
    click(option(d, 2));
    if (how == "cancel")
        clickNamed(d, "CmdCancel");
    else if (how == "close")
        QVERIFY(d->close());
    else
        QTest::keyClick(d, Qt::Key_Escape);
    flushDeletes();
    QVERIFY(!FormBaud::instance());
    QVERIFY(h.port->writes.isEmpty());
    // The next opening loads afresh.
    QCOMPARE(checkedOptions(openDialog(w)), (QList<int>{6, 9}));
}

void TstFormBaud::openingAgainKeepsChoices()
{
    Harness h;
    Formall* w = h.openMain();
    FormBaud* d = openDialog(w);
    click(option(d, 2));
    click(option(d, 13));
    h.state.BaudText = "300";
    QCOMPARE(openDialog(w), d);
    QCOMPARE(checkedOptions(d), (QList<int>{2, 13}));
    int dialogs = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        dialogs += qobject_cast<FormBaud*>(top) != nullptr;
    QCOMPARE(dialogs, 1);
}

void TstFormBaud::failureKeepsDialogOpen_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QString>("shown");
    QTest::newRow("port closed meanwhile") << "close port" << kClosedReport;
    QTest::newRow("device gone") << "lose device"
                                 << "ShowMessage 4 Error: Device unavailable!";
    QTest::newRow("main window closed") << "close main" << kClosedReport;
}

void TstFormBaud::failureKeepsDialogOpen()
{
    QFETCH(QString, cause);
    QFETCH(QString, shown);
    Harness h;
    Formall* w = h.openMain();
    FormBaud* d = openDialog(w);
    click(option(d, 7));
    if (cause == "close port")
        w->Command1_Click(1);
    else if (cause == "lose device")
        h.port->loseDevice();
    else
        QVERIFY(w->close());
    flushDeletes();
    clickNamed(d, "CmdOk");
    QVERIFY(h.written.isEmpty());
    QCOMPARE(shownBoxes(h.boxes), QStringList{shown});
    flushDeletes();
    QCOMPARE(FormBaud::instance(), d);
    QVERIFY(d->isVisible());
    QCOMPARE(checkedOptions(d), (QList<int>{7, 9}));
    // No main window was made to reach a port.
    QCOMPARE(h.portsMade, 1);
    QCOMPARE(h.ctx.mainWindow() == nullptr, cause == "close main");
}

// Run last: it leaves the application's own loop.
void TstFormBaud::processEndsWithLastWindow()
{
    Harness h;
    Formall* w = h.openMain();
    FormBaud* d = openDialog(w);
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    bool dialogKeptProcess = false;
    QTimer::singleShot(0, [&] {
        w->close();
        QTimer::singleShot(0, [&] {
            dialogKeptProcess = lastClosed.isEmpty();
            d->close();
        });
    });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(dialogKeptProcess);
    QCOMPARE(lastClosed.size(), 1);
    QVERIFY(!h.ctx.mainWindow());
}

QTEST_MAIN(TstFormBaud)
#include "tst_formbaud.moc"
