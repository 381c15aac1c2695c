#include "display/charset.h"
#include "displayharness.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <stdexcept>

using namespace vq;
using namespace vq::test;

namespace {

constexpr int kColumnLeft[] = {360, 2520, 5040};
constexpr int kRowTop[] = {840, 1440, 2040, 2640, 3240, 3840};

const QString kRefusal =
    QStringLiteral("ShowMessage 4 message: Port not open...,please open the port first");

// The option standing at a place of the grid, found the way the operator finds it.
QRadioButton* optionAt(FormInt* d, int column, int row)
{
    const QPoint corner(px(kColumnLeft[column - 1]) + 2, px(kRowTop[row - 1]) + 2);
    return qobject_cast<QRadioButton*>(d->childAt(corner));
}

FormInt* openDialog(Formall* w)
{
    w->menuEntry("numinterset")->trigger();
    return FormInt::instance();
}

} // namespace

class TstFormInt : public QObject {
    Q_OBJECT
private slots:
    void placeDecidesCode_data();
    void placeDecidesCode();
    void startsWithNothingSelected();
    void okWithNothingSelected();
    void refusedWhilePortClosed();
    void cancelShowsMainWindow_data();
    void cancelShowsMainWindow();
    void closeBoxWritesNothing();
    void openingAgainKeepsSelection();
    void failureKeepsDialogOpen_data();
    void failureKeepsDialogOpen();
};

void TstFormInt::placeDecidesCode_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("U.S.A") << 1 << 1 << 1 << hex("02 05 53 30 03");
    QTest::newRow("FRANCE") << 2 << 1 << 2 << hex("02 05 53 31 03");
    QTest::newRow("GERMANY") << 3 << 1 << 3 << hex("02 05 53 32 03");
    QTest::newRow("U.K") << 4 << 1 << 4 << hex("02 05 53 33 03");
    QTest::newRow("DENMARK I") << 5 << 2 << 1 << hex("02 05 53 34 03");
    QTest::newRow("SWEDEN") << 6 << 2 << 3 << hex("02 05 53 35 03");
    QTest::newRow("ITALY") << 7 << 1 << 5 << hex("02 05 53 36 03");
    QTest::newRow("SPAIN") << 8 << 1 << 6 << hex("02 05 53 37 03");
    QTest::newRow("JAPAN") << 9 << 2 << 4 << hex("02 05 53 38 03");
    QTest::newRow("NORWAY") << 10 << 3 << 2 << hex("02 05 53 39 03");
    QTest::newRow("DENMARK II") << 11 << 2 << 2 << hex("02 05 53 3A 03");
    QTest::newRow("SLAVONIC") << 12 << 3 << 1 << hex("02 05 53 3B 03");
    QTest::newRow("RUSSIA") << 13 << 3 << 3 << hex("02 05 53 3C 03");
    QTest::newRow("Factory define, row 5") << 14 << 3 << 5 << hex("02 05 53 3D 03");
    QTest::newRow("Factory define, row 4") << 15 << 3 << 4 << hex("02 05 53 3E 03");
    QTest::newRow("User define pattern") << 16 << 2 << 5 << hex("02 05 53 3F 03");
}

void TstFormInt::placeDecidesCode()
{
    QFETCH(int, number);
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(QByteArray, sent);
    QCOMPARE(charsetCommand(number), sent);

    Harness h;
    FormInt* d = openDialog(h.openMain());
    QRadioButton* o = optionAt(d, column, row);
    QCOMPARE(o, option(d, number));
    QCOMPARE(o->pos(), QPoint(px(kColumnLeft[column - 1]), px(kRowTop[row - 1])));
    click(o);
    QCOMPARE(d->selectedOption(), number);
    clickNamed(d, "CmdOk");
    QCOMPARE(h.port->writes, QList{sent});
    QVERIFY(h.boxes.shown.isEmpty());
    flushDeletes();
    QVERIFY(!FormInt::instance());
}

void TstFormInt::startsWithNothingSelected()
{
    Harness h;
    FormInt* d = openDialog(h.openMain());
    // Nothing is selected by the system; the focus starts on "U.S.A".
    QVERIFY(!d->selectedOption());
    QCOMPARE(d->focusWidget(), option(d, 1));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, charsetCommand(17));
}

void TstFormInt::okWithNothingSelected()
{
    Harness h;
    FormInt* d = openDialog(h.openMain());
    clickNamed(d, "CmdOk");
    QCOMPARE(h.port->writes, QList{hex("02 05 53 3F 03")});
    flushDeletes();
    QVERIFY(!FormInt::instance());
}

void TstFormInt::refusedWhilePortClosed()
{
    Harness h;
    openDialog(h.ctx.showMainWindow());
    QVERIFY(!FormInt::instance());
    QCOMPARE(shownBoxes(h.boxes), QStringList{kRefusal});
}

void TstFormInt::cancelShowsMainWindow_data()
{
    QTest::addColumn<bool>("mainClosed");
    QTest::newRow("main window hidden") << false;
    QTest::newRow("main window closed: made anew") << true;
}

void TstFormInt::cancelShowsMainWindow()
{
    QFETCH(bool, mainClosed);
    Harness h;
    Formall* w = h.openMain();
    FormInt* d = openDialog(w);
    click(option(d, 3));
    if (mainClosed)
        QVERIFY(w->close());
    else
        w->hide();
    flushDeletes();
    h.state.ClearCmd = "seen";
    clickNamed(d, "Command2");
    flushDeletes();
    QVERIFY(!FormInt::instance());
    QVERIFY(h.written.isEmpty());
    QVERIFY(h.ctx.mainWindow() && h.ctx.mainWindow()->isVisible());
    QCOMPARE(h.ctx.mainWindow() == w, !mainClosed);
    QCOMPARE(h.portsMade, mainClosed ? 2 : 1);
    // A new main window runs start-up again.
    QCOMPARE(h.state.ClearCmd, mainClosed ? hex("0C") : QByteArray("seen"));
}

void TstFormInt::closeBoxWritesNothing()
{
    Harness h;
    Formall* w = h.openMain();
    FormInt* d = openDialog(w);
    click(option(d, 2));
    QVERIFY(w->close());
    QVERIFY(d->close());
    flushDeletes();
    QVERIFY(!FormInt::instance());
    QVERIFY(!h.ctx.mainWindow());
    QVERIFY(h.written.isEmpty());
}

void TstFormInt::openingAgainKeepsSelection()
{
    Harness h;
    Formall* w = h.openMain();
    FormInt* d = openDialog(w);
    click(option(d, 13));
    QCOMPARE(openDialog(w), d);
    QCOMPARE(d->selectedOption(), 13);
    int dialogs = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        dialogs += qobject_cast<FormInt*>(top) != nullptr;
    QCOMPARE(dialogs, 1);
}

void TstFormInt::failureKeepsDialogOpen_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<int>("chosen"); // 0: nothing, so OK picks "User define pattern"
    QTest::addColumn<QString>("shown");
    QTest::newRow("port closed meanwhile") << "close port" << 2 << kRefusal;
    QTest::newRow("nothing chosen, port closed") << "close port" << 0 << kRefusal;
    QTest::newRow("device gone") << "lose device" << 11
                                 << "ShowMessage 4 Error: Device unavailable!";
    QTest::newRow("main window closed") << "close main" << 9 << kRefusal;
}

void TstFormInt::failureKeepsDialogOpen()
{
    QFETCH(QString, cause);
    QFETCH(int, chosen);
    QFETCH(QString, shown);
    Harness h;
    Formall* w = h.openMain();
    FormInt* d = openDialog(w);
    if (chosen)
        click(option(d, chosen));
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
    QCOMPARE(FormInt::instance(), d);
    QVERIFY(d->isVisible());
    QCOMPARE(d->selectedOption(), chosen ? chosen : kUserPatternOption);
    QCOMPARE(h.portsMade, 1);
    QCOMPARE(h.ctx.mainWindow() == nullptr, cause == "close main");
}

QTEST_MAIN(TstFormInt)
#include "tst_formint.moc"
