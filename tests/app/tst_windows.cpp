// What only the windows decide, on the fake port: start-up, the open/close line, modal and
// modeless windows, pre-selections, refusals, the main window made anew, the message boxes.
#include "app/firstframeicon.h"
#include "app/formset.h"
#include "demo/datasave.h"
#include "demo/interactive.h"
#include "dialogs/msgwindow.h"
#include "display/charset.h"
#include "display/formbaud.h"
#include "display/formint.h"
#include "harness.h"
#include "modal.h"
#include "ui/poledrawing.h"
#include "util.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

using namespace vq;
using namespace vq::test;

Q_DECLARE_METATYPE(vq::test::ShownBox)

namespace {

const QString kUsual = QStringLiteral("Port not open...,please open the port first");

QLabel* label(Formall* w, const char* name, int index)
{
    return w->controls().find<QLabel>(name, index);
}

// The visible top-level windows of one class.
QList<QWidget*> shown(const char* className)
{
    QList<QWidget*> out;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && top->inherits(className))
            out << top;
    }
    return out;
}

QString checkedCaption(const FormControls& c, const char* frame)
{
    const QAbstractButton* b = c.findOptions(QString::fromLatin1(frame))->checkedButton();
    return b ? b->text() : QString();
}

// What a screen reader says of a control: the labels that name it, then its own name.
QString announced(QWidget* w)
{
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    QStringList said;
    for (const auto& [label, relation] : a->relations(QAccessible::Label))
        said << label->text(QAccessible::Name);
    if (!said.contains(a->text(QAccessible::Name)))
        said << a->text(QAccessible::Name);
    return said.join(QLatin1String(": "));
}

// The window, then each named control shown, as a screen reader gives their roles and names.
QString readOut(QWidget* window)
{
    const auto said = [](QWidget* w) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        return QString::fromLatin1(QMetaEnum::fromType<QAccessible::Role>().valueToKey(a->role())) +
               QStringLiteral(" \"") + a->text(QAccessible::Name) + u'"';
    };
    QStringList out{said(window)};
    for (QWidget* c : window->findChildren<QWidget*>()) {
        if (!c->objectName().isEmpty() && !c->objectName().startsWith(u"qt_") &&
            c->isVisibleTo(window))
            out << c->objectName() + u' ' + said(c);
    }
    return out.join(QStringLiteral(" | "));
}

// Presses the keys one by one where the keyboard is. Returns where it was before and after
// each: a highlighted menu entry, the focused control as a screen reader names it, or closed.
QString walk(QWidget* window, const QString& keys)
{
    window->activateWindow();
    static_cast<void>(QTest::qWaitForWindowActive(window)); // the first control takes the focus
    QStringList path;
    for (const QString& key : (QStringLiteral("start ") + keys).split(u' ')) {
        const QKeyCombination k =
            key == QLatin1String("Alt") ? Qt::AltModifier | Qt::Key_Alt : QKeySequence(key)[0];
        QWidget* popup = QApplication::activePopupWidget();
        if (key != QLatin1String("start"))
            QTest::keyClick(popup ? popup : window->focusWidget(), k.key(), k.keyboardModifiers());
        // A closed window is deleted only once the event loop runs again.
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        auto* bar = qobject_cast<QMenuBar*>(window->focusWidget());
        path << (!window->isVisible() ? QStringLiteral("closed")
                 : menu               ? menu->activeAction()->text()
                 : bar                ? bar->activeAction()->text()
                                      : announced(window->focusWidget()));
    }
    return path.join(QLatin1String(" > "));
}

// Runs what opens the PC settings dialog, acts on it while it waits, then closes it.
bool withFormSet(const std::function<void()>& open, const std::function<void(FormSet*)>& act)
{
    bool seen = false;
    WhenModal modal([&](QWidget* box) {
        if (auto* d = qobject_cast<FormSet*>(box)) {
            seen = true;
            act(d);
        }
        if (box->isVisible())
            dismiss(box);
    });
    open();
    return seen;
}

// Whether a control's caption is whole in the room its style gives the text: across, and down
// too where it wraps.
bool fits(QWidget* c)
{
    QStyleOptionButton o;
    o.initFrom(c);
    const auto* label = qobject_cast<QLabel*>(c);
    const int margin = label ? 0 : c->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, c);
    QRect room = label ? label->contentsRect() : c->rect().adjusted(margin, 0, -margin, 0);
    if (qobject_cast<QRadioButton*>(c))
        room = c->style()->subElementRect(QStyle::SE_RadioButtonContents, &o, c);
    const bool wrap = label ? label->wordWrap() : room.height() >= 2 * c->fontMetrics().height();
    const QString text = c->property(c->inherits("QGroupBox") ? "title" : "text").toString();
    const QRect need = c->fontMetrics().boundingRect(
        room, Qt::TextShowMnemonic | (wrap ? Qt::TextWordWrap : 0), text);
    return need.width() <= room.width() && (!wrap || need.height() <= room.height());
}

// Every window built on the desktop as it is, named first: each named control shown with its
// caption's and background's colours (but on the boxes, which take the desktop's), "cut" where
// its caption is not whole; the menu bar "cut" where an entry went behind its "»".
QStringList everyWindowsLooks()
{
    Harness h;
    Formall* w = h.start();
    w->Command1_Click(0);
    for (const char* entry : {"numbaudrate", "numinterset", "numedmo", "numabout"})
        w->menuEntry(entry)->trigger();
    FormSet set(h.state, w->Comm1(), h.boxes);
    MsgWindow box(h.state);
    set.show();
    box.show();
    QStringList out, windows;
    for (QWidget* window : shown("QWidget")) {
        windows << QString::fromLatin1(window->metaObject()->className());
        for (QWidget* c : window->findChildren<QWidget*>(QRegularExpression("^(?!qt_)."))) {
            const QPalette& p = c->palette();
            if (c->isVisibleTo(window))
                out << windows.last() + u' ' + c->objectName() + (fits(c) ? "" : " cut") +
                           (&box == window ? QString()
                                           : u' ' + p.color(c->foregroundRole()).name() + " on " +
                                                 p.color(c->backgroundRole()).name());
        }
    }
    out.sort();
    windows.sort();
    const bool barCut = w->menuBar()->findChild<QToolButton*>()->isVisible();
    return QStringList{windows.join(u' ') + (barCut ? " menu bar cut" : "")} + out;
}

} // namespace

class TstWindows : public QObject {
    Q_OBJECT
private slots:
    // Start-up leaves the port closed on COM1 even when COM1 failed the probe; the open press then
    // reports it, and the open/close line follows the presses.
    void startUpAndOpenCloseLine()
    {
        Harness h;
        h.missing = {1, 4, 5, 6};
        Formall* w = h.start();
        // The application's icon, in all its sizes, follows the main window's first frame.
        QApplication::setWindowIcon(QIcon());
        setIconAfterFirstFrame(w);
        w->update();
        QTRY_COMPARE(QApplication::windowIcon().availableSizes().size(),
                     qsizetype(appIconSizes().size()));
        for (int n = 0; n < 6; ++n) {
            const bool found = n == 1 || n == 2;
            const QString text = found ? "Enable" : "Invalid port number";
            QCOMPARE(look(w, "Label6", n), text + (found ? " #0000ff" : " #ff0000"));
            // The fake port names no device.
            QCOMPARE(label(w, "Label6", n)->toolTip(),
                     QStringLiteral("COM%1").arg(n + 1) + (found ? QString() : u'\n' + text));
            QCOMPARE(announced(label(w, "Label6", n)),
                     QStringLiteral("Serial port status: COM%1: ").arg(n + 1) + text);
        }
        // The title's glyphs show whole inside its border: a row of ink for each pixel they span.
        QLabel* title = w->controls().find<QLabel>("Label10");
        const QImage in = title->grab().toImage().copy(title->contentsRect());
        int inked = 0;
        for (int y = 0; y < in.height(); ++y)
            inked += in.copy(0, y, in.width(), 1) != in.copy(0, 0, in.width(), 1); // row 0 is blank
        QVERIFY(inked >= QFontMetricsF(title->font()).tightBoundingRect(title->text()).height());
        QLabel* line = label(w, "Label7", 1);
        QVERIFY(!w->Comm1().portOpen());
        QVERIFY(h.written.isEmpty());

        w->Command1_Click(0);
        QCOMPARE(h.boxes.shown, QList<ShownBox>{standardOkBox("Error!!Invalid port number")});
        QCOMPARE(w->LastOpenError, QStringLiteral("Invalid port number"));
        QCOMPARE(line->text(), QStringLiteral("open/close"));
        w->Comm1().setCommPort(2);
        for (int press = 0; press < 2; ++press) {
            click(w->controls().find<QPushButton>("Command1", 0));
            QVERIFY(w->Comm1().portOpen());
            QCOMPARE(look(w, "Label7", 1), QStringLiteral("Open #0000ff"));
            QCOMPARE(announced(line), QStringLiteral("Port Open/Close: Open"));
            QCOMPARE(label(w, "Label7", 4)->text(), QStringLiteral("Port : 2"));
        }
        for (int press = 0; press < 2; ++press) {
            click(w->controls().find<QPushButton>("Command1", 1));
            QVERIFY(!w->Comm1().portOpen());
            QCOMPARE(look(w, "Label7", 1), QStringLiteral("Close #ff0000"));
        }
        QCOMPARE(h.boxes.shown.size(), 1);
        QCOMPARE(w->LastOpenError,
                 QStringLiteral("Invalid port number")); // only the demo clears it
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("how"); // a menu entry, or what is done in a window
        QTest::addColumn<bool>("open");   // the port when the entry is chosen
        QTest::addColumn<QList<ShownBox>>("boxes");
        QTest::addColumn<QString>("stays"); // the window still open afterwards
        const ShownBox usual{ShownBox::Message, kUsual, 4, "message"};
        const auto row = [](const char* name, const char* how, bool open,
                            const QList<ShownBox>& boxes, const char* stays = "") {
            QTest::newRow(name) << QString::fromLatin1(how) << open << boxes
                                << QString::fromLatin1(stays);
        };
        row("&DSP800", "NUMDSP800", false, {usual});
        row("reset", "numall", false, {usual});
        row("show demo", "numrun", false, {usual});
        row("upper demo line", "numsave", false, {usual});
        row("lower demo line", "numlow", false, {usual});
        row("clear upper line", "numupperline", false,
            {{ShownBox::Message, "Port not open...", 4, "message"}});
        row("clear lower line", "numlowerline", false, {usual});
        row("Display set", "numbaudrate", false, {usual});
        row("character set", "numinterset", false, {usual});
        row("Communication set while open", "numcomm", true,
            {{ShownBox::Message, "Please Close the port first", 4, "message"}});
        // The demo offers to open the port; an earlier open's failure does not stop it.
        const ShownBox question{ShownBox::StandardYesNo,
                                "Port not open...\rNow, Want To Open the Port?", 0, "VQ3360"};
        row("Interactive Demo, No", "numedmo", false, {question});
        row("Interactive Demo, Yes opens it", "numedmo, Yes", false, {question}, "vq::DATASAVE");
        row("Interactive Demo, Yes, but COM1 names no port", "numedmo, Yes, COM1 missing", false,
            {question, standardOkBox("Error!!Invalid port number")});
        row("Interactive Demo, port open", "numedmo", true, {}, "vq::DATASAVE");
        row("character set OK, port closed meanwhile", "FormInt OK", true, {usual}, "vq::FormInt");
        row("character set OK, main window gone", "FormInt OK, main gone", true, {usual},
            "vq::FormInt");
        row("Display set OK, port closed meanwhile", "FormBaud OK", true,
            {{ShownBox::Message, "ComPort Not Open errno:8018", 4, "Message"}}, "vq::FormBaud");
        row("typing, port closed meanwhile", "type", true, {usual}, "vq::DATASAVE");
        row("Clear, port closed meanwhile", "Clear", true, {usual}, "vq::DATASAVE");
    }

    void refusals()
    {
        QFETCH(QString, how);
        QFETCH(bool, open);
        QFETCH(QList<ShownBox>, boxes);
        QFETCH(QString, stays);
        Harness h;
        if (how.endsWith(u"COM1 missing"))
            h.missing = {1};
        Formall* w = h.start();
        if (open)
            w->Command1_Click(0);
        w->LastOpenError = QStringLiteral("Invalid port number"); // from an earlier press
        h.boxes.yesNoAnswers = {how.contains(u"Yes")};
        QWidget* window = nullptr;
        if (how.startsWith(QLatin1String("FormInt")))
            window = FormInt::showDialog(h.ctx());
        else if (how == QLatin1String("FormBaud OK"))
            window = FormBaud::showDialog(h.ctx());
        else if (how == QLatin1String("type") || how == QLatin1String("Clear"))
            window = DATASAVE::showDemo(h.ctx());
        auto* keyin = window ? window->findChild<QPlainTextEdit*>("keyin") : nullptr;
        if (keyin)
            typeInto(keyin, QStringLiteral("ab"));
        const qsizetype before = h.written.size();
        if (window) {
            if (how.endsWith(QLatin1String("main gone")))
                QVERIFY(w->close());
            else
                w->Command1_Click(1);
            if (how == QLatin1String("type"))
                typeInto(keyin, QStringLiteral("c"));
            else
                click(window->findChild<QPushButton*>(how == QLatin1String("Clear") ? "clear"
                                                                                    : "CmdOk"));
            if (keyin)
                QCOMPARE(keyin->toPlainText(), QStringLiteral("ab")); // the refused key stays out
        } else {
            QVERIFY(w->menuEntry(how.section(u',', 0, 0)));
            w->menuEntry(how.section(u',', 0, 0))->trigger();
        }
        QCOMPARE(h.boxes.shown, boxes);
        QCOMPARE(h.written.size(), before);
        for (const char* kind : {"vq::FormInt", "vq::FormBaud", "vq::DATASAVE", "vq::FormSet"})
            QCOMPARE(shown(kind).size(), int(stays == QLatin1String(kind)));
        if (how.startsWith(u"numedmo")) {
            QCOMPARE(w->Comm1().portOpen(), !stays.isEmpty());
            QCOMPARE(w->LastOpenError.isEmpty(), open || how.contains(u"Yes"));
        }
    }

    void windowKinds_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("main");    // hidden or closed meanwhile
        QTest::addColumn<QString>("leaving"); // the window's button that closes it then
        // clang-format off
        QTest::newRow("Display set") << "numbaudrate" << "vq::FormBaud" << "" << "";
        QTest::newRow("Interactive Demo") << "numedmo" << "vq::DATASAVE" << "" << "";
        QTest::newRow("About") << "numabout" << "vq::FormAbout" << "" << "";
        QTest::newRow("character set Cancel, main hidden")
            << "numinterset" << "vq::FormInt" << "hidden" << "Command2";
        QTest::newRow("character set Cancel, main closed")
            << "numinterset" << "vq::FormInt" << "closed" << "Command2";
        QTest::newRow("demo Exit, main closed") << "numedmo" << "vq::DATASAVE" << "closed" << "cancel";
        // clang-format on
    }

    // One of each modeless window, brought to the front when chosen again; the main window goes on
    // beside it, or, closed meanwhile, is made anew when the last window goes.
    void windowKinds()
    {
        QFETCH(QString, how);
        QFETCH(QString, kind);
        QFETCH(QString, main);
        QFETCH(QString, leaving);
        Harness h;
        QPointer<Formall> w = h.start();
        w->Command1_Click(0);
        w->menuEntry(how)->trigger();
        QVERIFY(!QApplication::activeModalWidget());
        const QList<QWidget*> first = shown(qPrintable(kind));
        QCOMPARE(first.size(), 1);
        const QPoint at = first[0]->pos();
        w->menuEntry(how)->trigger();
        QCOMPARE(shown(qPrintable(kind)), first); // brought to the front, not made again
        QCOMPARE(first[0]->pos(), at);
        if (main.isEmpty()) {
            click(w->controls().find<QPushButton>("Command1", 1));
            QVERIFY(!w->Comm1().portOpen());
            QVERIFY(h.boxes.shown.isEmpty());
            if (kind == QLatin1String("vq::FormAbout")) {
                QTest::keyClick(first[0], Qt::Key_Return); // OK is the default button
                QTRY_COMPARE(shown("vq::FormAbout").size(), 0);
            }
            return;
        }
        const bool mainClosed = main == u"closed";
        h.session.ClearCmd = "\x1f";
        if (mainClosed)
            QVERIFY(w->close());
        else
            w->hide();
        QTRY_COMPARE(h.main() == nullptr, mainClosed);
        QCOMPARE(h.ctx().port().portOpen(),
                 !mainClosed); // a closed main window took its port along
        click(first[0]->findChild<QPushButton*>(leaving));
        QTRY_COMPARE(shown(qPrintable(kind)).size(), 0);
        QVERIFY(h.main() && h.main()->isVisible());
        QCOMPARE(h.portsMade, mainClosed ? 2 : 1);
        // Made anew, the main window runs start-up again.
        QCOMPARE(h.session.ClearCmd, mainClosed ? hex("0C") : hex("1F"));
        QVERIFY(h.written.isEmpty());
    }

    void preselections_data()
    {
        QTest::addColumn<QString>("baudText");
        QTest::addColumn<QString>("frameText");
        QTest::addColumn<int>("portNumber");
        QTest::addColumn<QString>("baud"); // captions of the options chosen on load
        QTest::addColumn<QString>("frame");
        QTest::addColumn<int>("item");
        // clang-format off
        QTest::newRow("start values") << "9600" << "n,8,1" << 1 << "9600" << " N_8_1" << 0;
        QTest::newRow("E,7,1 on COM3") << "19200" << "E,7,1" << 3 << "19200" << " E_7_1" << 2;
        QTest::newRow("o,7,1 on COM6") << "38400" << "o,7,1" << 6 << "38400" << " O_7_1" << 5;
        QTest::newRow("no port") << "300" << "O,8,1" << 0 << "300" << " O_8_1" << -1;
        QTest::newRow("110, framing in lower case") << "110" << "e,8,1" << 2 << "" << " E_8_1" << 1;
        QTest::newRow("nothing matches") << "115200" << "N,8,2" << 4 << "" << "" << 3;
        // clang-format on
    }

    // The PC dialog loads the variables, and the display's dialog offers the same line.
    void preselections()
    {
        QFETCH(QString, baudText);
        QFETCH(QString, frameText);
        QFETCH(int, portNumber);
        QFETCH(QString, baud);
        QFETCH(QString, frame);
        QFETCH(int, item);
        Harness h;
        Formall* w = h.start();
        w->Command1_Click(0);
        h.state.BaudText = baudText;
        h.state.FrameText = frameText;
        h.state.PortNumber = qint16(portNumber);
        h.state.PortSettings = baudText + u',' + frameText;
        // The settings label opens the dialog, the port open or not.
        QVERIFY(withFormSet(
            [w] { QTest::mouseClick(label(w, "Label7", 2), Qt::LeftButton); },
            [&](FormSet* d) {
                QCOMPARE(checkedCaption(d->controls(), "Frame1"), baud);
                QCOMPARE(checkedCaption(d->controls(), "Frame2"), frame);
                QCOMPARE(d->listIndex(), item);
                QCOMPARE(d->controls().find<QComboBox>("Combo1")->currentIndex(), item);
                QCOMPARE(d->controls().find<QLineEdit>("com1")->text(), QString::number(portNumber));
                QCOMPARE(d->controls().find<QLineEdit>("baud1")->text(), h.state.PortSettings);
            }));
        FormBaud* d = FormBaud::showDialog(h.ctx());
        QCOMPARE(checkedCaption(d->controls(), "Frame1"), baud);
        QCOMPARE(checkedCaption(d->controls(), "Frame2"), frame);
        QVERIFY(!FormInt::showDialog(h.ctx())->selectedOption());
    }

    void pcSettings_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("item"); // "Down,Down" picks from the list; other text is typed
        QTest::addColumn<QList<int>>("options");
        QTest::addColumn<QString>("closing");  // after Set OK (or without it): Exit, Escape
        QTest::addColumn<QString>("settings"); // PortSettings and PortNumber afterwards
        QTest::addColumn<QString>("box");      // the standard box, if any
        QTest::addColumn<QString>("line");     // the settings line once closed
        // clang-format off
        QTest::newRow("COM3 19200 E_7_1") << false << "Down,Down" << QList<int>{7, 11} << "Exit"
            << "19200,E,7,1 3" << "" << "19200,e,7,1|Port : 3";
        QTest::newRow("an item's name typed") << false << "Com3" << QList<int>{3, 13} << "Exit"
            << "1200,O,7,1 0" << "Invalid port number" << "1200,o,7,1|Port : 1";
        QTest::newRow("another port while open") << true << "Down" << QList<int>{3, 9} << "Exit"
            << "1200,N,7,1 2" << "Port already open" << "1200,n,7,1|Port : 1";
        QTest::newRow("COM2 38400 O_8_1") << false << "Down" << QList<int>{14, 12} << "Exit"
            << "38400,O,8,1 2" << "" << "38400,o,8,1|Port : 2";
        QTest::newRow("Escape applies nothing") << false << "Down" << QList<int>{1, 12} << "Escape"
            << "9600,n,8,1 1" << "" << "9600,n,8,1|Port : 1";
        // clang-format on
    }

    void pcSettings()
    {
        QFETCH(bool, open);
        QFETCH(QString, item);
        QFETCH(QList<int>, options);
        QFETCH(QString, closing);
        QFETCH(QString, settings);
        QFETCH(QString, box);
        QFETCH(QString, line);
        Harness h;
        Formall* w = h.start();
        if (open)
            w->Command1_Click(0);
        const auto choose = [&](FormSet* d) {
            auto* combo = d->controls().find<QComboBox>("Combo1");
            if (item.startsWith(QLatin1String("Down"))) {
                for (qsizetype i = 0; i < item.split(u',').size(); ++i)
                    QTest::keyClick(combo, Qt::Key_Down);
            } else {
                combo->lineEdit()->selectAll();
                QTest::keyClicks(combo->lineEdit(), item);
            }
            for (int n : options)
                click(d->controls().find<QRadioButton>(QStringLiteral("Option%1").arg(n)));
            if (closing == QLatin1String("Escape"))
                return QTest::keyClick(d, Qt::Key_Escape);
            click(d->controls().find<QPushButton>("CmdOk"));
            QVERIFY(d->isVisible()); // Set OK leaves the dialog open
            // The hidden fields show what was applied; a failure leaves them as they were.
            QCOMPARE(d->controls().find<QLineEdit>("com1")->text(),
                     box.isEmpty() ? settings.section(u' ', 1) : QStringLiteral("1"));
            QCOMPARE(label(w, "Label7", 4)->text(),
                     QStringLiteral("Port : 1")); // not yet refreshed
            click(d->controls().find<QPushButton>("CmdCancel"));
        };
        QVERIFY(withFormSet([w] { click(w->controls().find<QPushButton>("Command3")); }, choose));
        QCOMPARE(h.state.PortSettings + u' ' + QString::number(h.state.PortNumber), settings);
        QList<ShownBox> expected;
        if (!box.isEmpty())
            expected << standardOkBox(box);
        QCOMPARE(h.boxes.shown, expected);
        QCOMPARE(label(w, "Label7", 3)->text() + u'|' + label(w, "Label7", 4)->text(), line);
        QCOMPARE(w->Comm1().portOpen(), open);
    }

    // The system's own boxes through the real window.
    void boxes()
    {
        Harness h(Harness::Real);
        Boxes& boxes = h.ctx().boxes();
        // The standard question breaks its line where the text has a carriage return.
        WhenModal question([](QWidget* box) {
            auto* q = qobject_cast<QMessageBox*>(box);
            QVERIFY(q);
            QCOMPARE(q->text(), QStringLiteral("Port not open...\nNow, Want To Open the Port?"));
            click(q->button(QMessageBox::Yes));
        });
        QVERIFY(boxes.standardYesNo(kOpenPortQuestion, kAppTitle));

        const QString longText(70000, u'x');
        for (const QString how : {"close box", "Ok, 70,000 characters"}) {
            WhenModal input([&](QWidget* box) {
                auto* msg = qobject_cast<MsgWindow*>(box);
                QVERIFY(msg);
                msg->text1()->setText(longText);
                if (how == QLatin1String("close box"))
                    msg->close();
                else
                    click(msg->button(MsgControl::Command1));
            });
            const QString got =
                boxes.ShowInput(QStringLiteral("p"), QStringLiteral("t"), QString());
            QCOMPARE(got.size(), how == QLatin1String("close box") ? 0 : longText.size());
        }
    }

    void everyWindow_data()
    {
        QTest::addColumn<QString>(
            "window"); // opened by its menu entry, the port open but for FormSet
        QTest::addColumn<QString>("read"); // the window, then each control shown: name role "name"
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("path"); // where the keyboard is, from before the first key
        QTest::addColumn<QString>(
            "effect"); // lines of a box's text, bytes written, boxes, settings
        const QString demo = QStringLiteral("What you type in the box goes to display");
        QTest::newRow("Formall")
            << "Formall"
            << "Window \"3360 customer display\" | Formall Client \"\""
               " | Label10 StaticText \"VQ3360 DISPLAY DEMO\" | Command1 Button \"Open the port\""
               " | Command1 Button \"Close the port\" | Command2 Button \"End\""
               " | Frame2 Grouping \"Serial port status\" | PortCaption StaticText \"COM1\""
               " | PortCaption StaticText \"COM2\" | PortCaption StaticText \"COM3\""
               " | PortCaption StaticText \"COM4\" | PortCaption StaticText \"COM5\""
               " | PortCaption StaticText \"COM6\" | Label6 StaticText \"COM1: Enable\""
               " | Label6 StaticText \"COM2: Enable\" | Label6 StaticText \"COM3: Enable\""
               " | Label6 StaticText \"COM4: Enable\" | Label6 StaticText \"COM5: Enable\""
               " | Label6 StaticText \"COM6: Enable\" | Label7 StaticText \"Port Open/Close\""
               " | Label7 StaticText \"Port Open/Close: open/close\""
               " | Label7 StaticText \"Port setting\" | Label7 StaticText \"Port setting: "
               "9600,n,8,1\""
               " | Label7 StaticText \"Port : 1\" | Command3 Button \"Set\""
            << "Alt Down Down Down Return"
            << "Open the port > Display setting > &Emulation mode > &Communication parameters > "
               "International character &set > Open the port"
            << kUsual;
        QTest::newRow("FormSet")
            << "FormSet"
            << "Dialog \"PC Communications\" | Label4 StaticText \"Com Port\""
               " | Combo1 ComboBox \"Com Port\" | Frame1 Grouping \"Baud Rate\""
               " | Option1 RadioButton \"300\" | Option2 RadioButton \"600\""
               " | Option3 RadioButton \"1200\" | Option4 RadioButton \"2400\""
               " | Option5 RadioButton \"4800\" | Option6 RadioButton \"9600\""
               " | Option7 RadioButton \"19200\" | Option14 RadioButton \"38400\""
               " | Frame2 Grouping \"Parity\" | Option8 RadioButton \"N 8 1\""
               " | Option9 RadioButton \"N 7 1\" | Option10 RadioButton \"E 8 1\""
               " | Option11 RadioButton \"E 7 1\" | Option12 RadioButton \"O 8 1\""
               " | Option13 RadioButton \"O 7 1\" | CmdOk Button \"Set OK\""
               " | CmdCancel Button \"Exit\""
            << "Tab Right Tab Down Tab Return Esc"
            << "Com Port > Baud Rate: 9600 > Baud Rate: 19200 > Parity: N 8 1 > "
               "Parity: N 7 1 > Set OK > Set OK > closed"
            << "19200,N,7,1";
        QTest::newRow("FormInt")
            << "FormInt"
            << "Dialog \"International Character Set\""
               " | Label1 StaticText \"Select international character\""
               " | Option1 RadioButton \"U.S.A\" | Option2 RadioButton \"FRANCE\""
               " | Option3 RadioButton \"GERMANY\" | Option4 RadioButton \"U.K\""
               " | Option5 RadioButton \"DENMARK I\" | Option6 RadioButton \"SWEDEN\""
               " | Option7 RadioButton \"ITALY\" | Option8 RadioButton \"SPAIN\""
               " | Option9 RadioButton \"JAPAN\" | Option10 RadioButton \"NORWAY\""
               " | Option11 RadioButton \"DENMARK II\" | Option12 RadioButton \"SLAVONIC\""
               " | Option13 RadioButton \"RUSSIA\" | Option14 RadioButton \"Factory define 3D\""
               " | Option15 RadioButton \"Factory define 3E\""
               " | Option16 RadioButton \"User define pattern\" | CmdOk Button \"OK\""
               " | Command2 Button \"Cancel\""
            << "Down Down Space Tab Return"
            << "U.S.A > FRANCE > GERMANY > GERMANY > OK > closed" << hexOf(charsetCommand(3));
        QTest::newRow("DATASAVE")
            << "DATASAVE"
            << "Window \"interactive demo\" | Label1 StaticText \"Interactive demo\""
               " | Label2 StaticText \"What you type in the box goes to display\""
               " | keyin EditableText \"What you type in the box goes to display\""
               " | clear Button \"Clear\" | cancel Button \"Exit\""
            << "A Tab Return" << demo + " > " + demo + " > Exit > closed"
            << "61";
        // No cancel button: Escape leaves it open.
        QTest::newRow("FormAbout")
            << "FormAbout"
            << "Dialog \"About VQ3360 Function Demo\" | Command1 Button \"OK\""
               " | Label5 StaticText \"Made by the vq3360 project team, 2026\""
               " | Label2 StaticText \"ZTK Customer Pole Display VQ3360 setup utility\""
               " | Label3 StaticText \"Version 1.0c\" | Picture1 Graphic \"The pole display's "
               "logo\""
            << "Esc Return"
            << "OK > OK > closed"
            << "";
        QTest::newRow("message box")
            << "message"
            << "AlertMessage \"Message\" | Label1 StaticText \"ComPort Not Open errno:8018\""
               " | Command1 Button \"Ok\""
            << "Esc Return"
            << "Ok > Ok > closed"
            << "1 line | 10";
        QTest::newRow("input box")
            << "input"
            << "Dialog \"input character\" | Label1 StaticText \"Your text:\""
               " | Command1 Button \"Ok\" | Command2 Button \"Cancel\""
               " | Text1 EditableText \"Your text:\""
            << "H I Return"
            << "Your text: > Your text: > Your text: > closed"
            << "1 line | hi";
    }

    // What a screen reader reads of every window, its role and name and those of each control; and
    // every window works from the keyboard alone.
    void everyWindow()
    {
        QFETCH(QString, window);
        QFETCH(QString, read);
        QFETCH(QString, keys);
        QFETCH(QString, path);
        QFETCH(QString, effect);
        const bool box = window == u"message" || window == u"input";
        Harness h(box ? Harness::Real : Harness::Scripted);
        QStringList happened;
        QString got, walked;
        const auto act = [&](QWidget* w) {
            // A second box while one is open gets nothing and leaves the open one as it is.
            if (box) {
                QCOMPARE(h.ctx().boxes().ShowMessage(QStringLiteral("other"), box::Ok, {}), 0);
                QCOMPARE(h.ctx().boxes().ShowInput(QStringLiteral("p"), {}, {}), QString());
            }
            got = readOut(w);
            // A message the window has room for stays on one line, inside the window.
            if (const auto* m = qobject_cast<MsgWindow*>(w);
                m && m->rect().contains(m->label1()->geometry()))
                happened << QString::number(m->label1()->heightForWidth(m->label1()->width()) /
                                            m->label1()->fontMetrics().height()) +
                                " line";
            walked = walk(w, keys);
        };
        WhenModal modal(act);
        if (window == u"message")
            happened << QString::number(h.ctx().boxes().ShowMessage(
                QStringLiteral("ComPort Not Open errno:8018"), box::Ok, QStringLiteral("Message")));
        else if (window == u"input")
            happened << h.ctx().boxes().ShowInput(QStringLiteral("Your text: "),
                                                  QStringLiteral("input character"), {});
        else if (Formall* w = h.start(); window == u"Formall") {
            act(w);
        } else {
            const QHash<QString, const char*> entry{{"FormSet", "numcomm"},
                                                    {"FormInt", "numinterset"},
                                                    {"DATASAVE", "numedmo"},
                                                    {"FormAbout", "numabout"}};
            if (window != u"FormSet")
                w->Command1_Click(0);
            w->menuEntry(entry[window])->trigger(); // a modal one is acted on while it waits
            if (walked.isEmpty())
                act(shown(qPrintable("vq::" + window)).value(0));
        }
        QCOMPARE(got, read);
        QCOMPARE(walked, path);
        if (!h.written.isEmpty())
            happened << hexOf(h.written.join());
        for (const ShownBox& b : h.boxes.shown)
            happened << b.text;
        if (window == u"FormSet")
            happened << h.state.PortSettings;
        QCOMPARE(happened.join(QLatin1String(" | ")), effect);
    }

    // A dark desktop changes no colour of a window that fixes its own, and a larger desktop font
    // cuts no caption: the windows keep the fonts they were laid out in.
    void desktops_data()
    {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<QFont>("font");
        const QPalette light = QApplication::palette();
        QTest::newRow("dark Fusion palette")
            << QPalette(QColor(50, 50, 50)) << QApplication::font();
        QTest::newRow("11 pt sans-serif font") << light << QFont("DejaVu Sans", 11);
        QTest::newRow("bold 11 pt serif font")
            << light << QFont("Liberation Serif", 11, QFont::Bold);
    }

    void desktops()
    {
        QFETCH(QPalette, palette);
        QFETCH(QFont, font);
        const QStringList light = everyWindowsLooks();
        QCOMPARE(light.first(), QString("vq::DATASAVE vq::FormAbout vq::FormBaud vq::FormInt "
                                        "vq::FormSet vq::Formall vq::MsgWindow"));
        QVERIFY(!light.join(u'|').contains(QLatin1String(" cut")));
        const auto restore = qScopeGuard([p = QApplication::palette(), f = QApplication::font()] {
            QApplication::setPalette(p);
            QApplication::setFont(f);
        });
        QApplication::setPalette(palette);
        QApplication::setFont(font);
        QCOMPARE(everyWindowsLooks(), light);
    }
};

QTEST_MAIN(TstWindows)
#include "tst_windows.moc"
