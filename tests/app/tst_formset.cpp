#include "app/appcontext.h"
#include "app/formall.h"
#include "app/formset.h"
#include "app/pcsettings.h"
#include "appharness.h"
#include "fakeport.h"
#include "scriptedboxes.h"

#include <functional>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using namespace vq;
using namespace vq::test;

namespace {

using Choice = std::optional<int>;

using Harness = AppHarness;

FormSet* shownFormSet()
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* d = qobject_cast<FormSet*>(top); d && d->isVisible())
            return d;
    }
    return nullptr;
}

// Runs `open`, which shows the modal dialog, and `body` on the dialog while it waits. Returns
// whether the dialog was shown. Whatever the body leaves open is closed, so nothing hangs.
bool whileShown(const std::function<void()>& open, const std::function<void(FormSet*)>& body)
{
    bool shown = false;
    QTimer::singleShot(0, [&] {
        if (FormSet* d = shownFormSet()) {
            shown = true;
            body(d);
            if (d->isVisible())
                d->reject();
        }
    });
    open();
    QCoreApplication::processEvents(); // the timer, when nothing was shown
    return shown;
}

Module1 startValues()
{
    Module1 state;
    state.BaudText = QStringLiteral("9600");
    state.FrameText = QStringLiteral("n,8,1");
    state.PortSettings = QStringLiteral("9600,n,8,1");
    state.PortNumber = 1;
    return state;
}

QString hidden(FormSet* d, const char* name)
{
    return d->controls().get<QLineEdit>(name)->text();
}

QString lineText(Formall* w, int index)
{
    return w->controls().get<QLabel>("Label7", index)->text();
}

} // namespace

Q_DECLARE_METATYPE(std::optional<int>)

class TstFormSet : public QObject {
    Q_OBJECT
private slots:
    void loadPreselection_data();
    void loadPreselection();
    void setOkSteps_data();
    void setOkSteps();
    void showsStartValues();
    void chosenSettingsApplyAndStayOpen();
    void typedTextSelectsNoItem_data();
    void typedTextSelectsNoItem();
    void closingAppliesNothing_data();
    void closingAppliesNothing();
    void menuEntryRefusedWhilePortOpen();
    void setAndLabelsOpenWhilePortOpen_data();
    void setAndLabelsOpenWhilePortOpen();
};

void TstFormSet::loadPreselection_data()
{
    QTest::addColumn<QString>("baudText");
    QTest::addColumn<QString>("frameText");
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<PcChoices>("loaded");
    QTest::newRow("start values") << "9600"
                                  << "n,8,1" << 1 << PcChoices{{5, 0}, 0};
    QTest::newRow("19200 E,7,1 port 3") << "19200"
                                        << "E,7,1" << 3 << PcChoices{{6, 3}, 2};
    QTest::newRow("38400 o,7,1 port 6") << "38400"
                                        << "o,7,1" << 6 << PcChoices{{7, 5}, 5};
    QTest::newRow("300 O,8,1 port 0") << "300"
                                      << "O,8,1" << 0 << PcChoices{{0, 4}, -1};
    QTest::newRow("nothing matches") << "110"
                                     << "N,8,2" << 2 << PcChoices{{}, 1};
}

void TstFormSet::loadPreselection()
{
    QFETCH(QString, baudText);
    QFETCH(QString, frameText);
    QFETCH(int, portNumber);
    QFETCH(PcChoices, loaded);
    Module1 state;
    state.BaudText = baudText;
    state.FrameText = frameText;
    state.PortNumber = qint16(portNumber);
    QCOMPARE(loadPcSettings(state), loaded);
}

void TstFormSet::setOkSteps_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<PcChoices>("choices");
    QTest::addColumn<QString>("portSettings");
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("componentSettings");
    QTest::addColumn<int>("componentPort");
    QTest::newRow("Com3 19200 E_7_1")
        << false << "" << PcChoices{{6, 3}, 2} << "19200,E,7,1" << 3 << ""
        << "19200,e,7,1" << 3;
    QTest::newRow("groups empty") << false << "" << PcChoices{{}, 1} << "9600,n,8,1" << 2 << ""
                                  << "9600,n,8,1" << 2;
    QTest::newRow("no list item") << false << "" << PcChoices{{0, 5}, -1} << "300,O,7,1" << 0
                                  << "Invalid port number"
                                  << "300,o,7,1" << 1;
    QTest::newRow("other port while open")
        << true << "" << PcChoices{{2, 1}, 3} << "1200,N,7,1" << 4 << "Port already open"
        << "1200,n,7,1" << 1;
    QTest::newRow("settings refused while open")
        << true << "Settings refused" << PcChoices{{4, 2}, 0} << "4800,E,8,1" << 1
        << "Settings refused"
        << "9600,n,8,1" << 1;
}

// Every step before the failing one keeps its effect.
void TstFormSet::setOkSteps()
{
    QFETCH(bool, open);
    QFETCH(QString, refusal);
    QFETCH(PcChoices, choices);
    QFETCH(QString, portSettings);
    QFETCH(int, portNumber);
    QFETCH(QString, failure);
    QFETCH(QString, componentSettings);
    QFETCH(int, componentPort);
    Module1 state = startValues();
    FakePort port;
    port.setSettings(state.PortSettings);
    port.setPortOpen(open);
    if (!refusal.isEmpty())
        port.refuseSettings(refusal);
    const auto result = applyPcSettings(choices, state, port);
    QCOMPARE(result.value_or(QString()), failure);
    QCOMPARE(result.has_value(), !failure.isEmpty());
    QCOMPARE(state.PortSettings, portSettings);
    QCOMPARE(state.BaudText + u',' + state.FrameText, portSettings);
    QCOMPARE(int(state.PortNumber), portNumber);
    QCOMPARE(port.settings(), componentSettings);
    QCOMPARE(int(port.commPort()), componentPort);
    QCOMPARE(hiddenFields(state), (HiddenFields{QString::number(portNumber), portSettings}));
}

void TstFormSet::showsStartValues()
{
    Harness h;
    Formall* w = h.ctx.showMainWindow();
    QVERIFY(whileShown([w] { w->Command3_Click(); },
                       [](FormSet* d) {
                           QCOMPARE(d->controls().get<QComboBox>("Combo1")->currentText(),
                                    QStringLiteral("Com1"));
                           QCOMPARE(d->listIndex(), 0);
                           QCOMPARE(checkedOptions(d), (QList<int>{6, 8}));
                           QCOMPARE(hidden(d, "com1"), QStringLiteral("1"));
                           QCOMPARE(hidden(d, "baud1"), QStringLiteral("9600,n,8,1"));
                       }));
}

void TstFormSet::chosenSettingsApplyAndStayOpen()
{
    Harness h;
    Formall* w = h.ctx.showMainWindow();
    const bool shown =
        whileShown([w] { w->Command3_Click(); },
                   [&](FormSet* d) {
                       auto* combo = d->controls().get<QComboBox>("Combo1");
                       QTest::keyClick(combo, Qt::Key_Down);
                       QTest::keyClick(combo, Qt::Key_Down);
                       QCOMPARE(combo->currentText(), QStringLiteral("Com3"));
                       click(option(d, 7));
                       click(option(d, 11));
                       for (int press = 0; press < 2; ++press) {
                           click(d->controls().get<QPushButton>("CmdOk"));
                           QVERIFY(d->isVisible());
                           QCOMPARE(h.state.PortNumber, 3);
                           QCOMPARE(h.state.BaudText, QStringLiteral("19200"));
                           QCOMPARE(h.state.FrameText, QStringLiteral("E,7,1"));
                           QCOMPARE(h.state.PortSettings, QStringLiteral("19200,E,7,1"));
                           QCOMPARE(hidden(d, "com1"), QStringLiteral("3"));
                           QCOMPARE(hidden(d, "baud1"), QStringLiteral("19200,E,7,1"));
                       }
                       // The main window's line waits for the dialog to close.
                       QCOMPARE(lineText(w, 4), QStringLiteral("Port : 1"));
                       click(d->controls().get<QPushButton>("CmdCancel"));
                   });
    QVERIFY(shown);
    QVERIFY(h.boxes.shown.isEmpty());
    QCOMPARE(w->Comm1().commPort(), 3);
    QCOMPARE(lineText(w, 3), QStringLiteral("19200,e,7,1"));
    QCOMPARE(lineText(w, 4), QStringLiteral("Port : 3"));
    // Opened again, it loads what was applied.
    QVERIFY(whileShown([w] { w->Command3_Click(); },
                       [](FormSet* d) {
                           QCOMPARE(checkedOptions(d), (QList<int>{7, 11}));
                           QCOMPARE(d->controls().get<QComboBox>("Combo1")->currentText(),
                                    QStringLiteral("Com3"));
                       }));
}

void TstFormSet::typedTextSelectsNoItem_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("enter");
    QTest::addColumn<bool>("pickAfter");
    QTest::addColumn<int>("portNumber");
    QTest::newRow("an item's name, Set OK clicked") << "Com3" << false << false << 0;
    QTest::newRow("an item's name, Enter") << "Com3" << true << false << 0;
    QTest::newRow("picked from the list again") << "Com3" << false << true << 2;
}

void TstFormSet::typedTextSelectsNoItem()
{
    QFETCH(QString, typed);
    QFETCH(bool, enter);
    QFETCH(bool, pickAfter);
    QFETCH(int, portNumber);
    Harness h;
    Formall* w = h.ctx.showMainWindow();
    whileShown([w] { w->Command3_Click(); },
               [&](FormSet* d) {
                   auto* combo = d->controls().get<QComboBox>("Combo1");
                   QLineEdit* edit = combo->lineEdit();
                   edit->selectAll();
                   QTest::keyClick(edit, Qt::Key_Backspace);
                   QTest::keyClicks(edit, typed);
                   if (pickAfter)
                       QTest::keyClick(combo, Qt::Key_Down);
                   if (enter)
                       QTest::keyClick(edit, Qt::Key_Return);
                   else
                       click(d->controls().get<QPushButton>("CmdOk"));
                   QVERIFY(d->isVisible());
                   QCOMPARE(int(h.state.PortNumber), portNumber);
                   if (portNumber == 0) {
                       // The failure leaves the hidden fields as they were; the variables are new.
                       QCOMPARE(hidden(d, "com1"), QStringLiteral("1"));
                       QCOMPARE(h.boxes.shown,
                                (QList<ShownBox>{
                                    {ShownBox::StandardOk, "Invalid port number", 0, "VQ3360"}}));
                   } else {
                       QCOMPARE(hidden(d, "com1"), QString::number(portNumber));
                       QVERIFY(h.boxes.shown.isEmpty());
                   }
               });
    QCOMPARE(w->Comm1().commPort(), portNumber == 0 ? 1 : portNumber);
    QCOMPARE(lineText(w, 4), QStringLiteral("Port : %1").arg(w->Comm1().commPort()));
}

void TstFormSet::closingAppliesNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Exit") << "exit";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("close box") << "close";
}

void TstFormSet::closingAppliesNothing()
{
    QFETCH(QString, how);
    Harness h;
    Formall* w = h.ctx.showMainWindow();
    const Module1 before = h.state;
    const QStringList events = h.port->events;
    bool closedByIt = false;
    whileShown([w] { w->Command3_Click(); },
               [&](FormSet* d) {
                   QTest::keyClick(d->controls().get<QComboBox>("Combo1"), Qt::Key_Down);
                   click(option(d, 1));
                   click(option(d, 13));
                   if (how == "exit")
                       click(d->controls().get<QPushButton>("CmdCancel"));
                   else if (how == "escape")
                       QTest::keyClick(d, Qt::Key_Escape);
                   else
                       d->close();
                   closedByIt = !d->isVisible();
               });
    QVERIFY(closedByIt);
    QCOMPARE(h.state.PortSettings, before.PortSettings);
    QCOMPARE(h.state.PortNumber, before.PortNumber);
    QCOMPARE(h.state.BaudText, before.BaudText);
    QCOMPARE(h.state.FrameText, before.FrameText);
    QCOMPARE(h.port->events, events);
    QCOMPARE(w->Comm1().commPort(), 1);
}

void TstFormSet::menuEntryRefusedWhilePortOpen()
{
    Harness h;
    Formall* w = h.ctx.showMainWindow();
    w->Command1_Click(0);
    const bool shown = whileShown([w] { w->menuEntry("numcomm")->trigger(); }, [](FormSet*) {});
    QVERIFY(!shown);
    QCOMPARE(h.boxes.shown,
             (QList<ShownBox>{{ShownBox::Message, "Please Close the port first", 4, "message"}}));
    // Closed, the same entry opens it.
    w->Command1_Click(1);
    QVERIFY(whileShown([w] { w->menuEntry("numcomm")->trigger(); }, [](FormSet*) {}));
}

void TstFormSet::setAndLabelsOpenWhilePortOpen_data()
{
    QTest::addColumn<int>("label"); // -1: the "Set" button
    QTest::newRow("Set") << -1;
    for (int i = 0; i <= 4; ++i)
        QTest::newRow(qPrintable(QStringLiteral("Label7(%1)").arg(i))) << i;
}

void TstFormSet::setAndLabelsOpenWhilePortOpen()
{
    QFETCH(int, label);
    Harness h;
    Formall* w = h.ctx.showMainWindow();
    w->Command1_Click(0);
    QWidget* target =
        label < 0 ? w->controls().widget("Command3") : w->controls().widget("Label7", label);
    const bool shown =
        whileShown([target] { QTest::mouseClick(target, Qt::LeftButton); },
                   [&](FormSet* d) {
                       QTest::keyClick(d->controls().get<QComboBox>("Combo1"), Qt::Key_Down);
                       click(option(d, 3));
                       click(d->controls().get<QPushButton>("CmdOk"));
                       QVERIFY(d->isVisible());
                       QCOMPARE(hidden(d, "com1"), QStringLiteral("1"));
                   });
    QVERIFY(shown);
    QCOMPARE(h.boxes.shown,
             (QList<ShownBox>{{ShownBox::StandardOk, "Port already open", 0, "VQ3360"}}));
    QCOMPARE(h.state.PortNumber, 2);
    QCOMPARE(h.state.PortSettings, QStringLiteral("1200,N,8,1"));
    QVERIFY(w->Comm1().portOpen());
    QCOMPARE(lineText(w, 3), QStringLiteral("1200,n,8,1"));
    QCOMPARE(lineText(w, 4), QStringLiteral("Port : 1"));
}

QTEST_MAIN(TstFormSet)
#include "tst_formset.moc"
