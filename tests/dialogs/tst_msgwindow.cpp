#include "dialogs/msgwindow.h"
#include "dialogs/widgetboxes.h"

#include <functional>
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace vq;

namespace {

const QString kLong = QStringLiteral("Port not open...,please open the port first");
const QString kPrompt = QStringLiteral("Please input demo messages to save on upper line,the "
                                       "maximum data character is under 200. ");

int msgWindowCount()
{
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += qobject_cast<MsgWindow*>(w) ? 1 : 0;
    return n;
}

// Acts on the next modal box from inside its modal wait, one step at a time. A box the steps
// leave open is closed through its close box, so a fault cannot hang the test.
class BoxDriver {
public:
    using Action = std::function<void(MsgWindow*)>;

    explicit BoxDriver(QStringList steps, Action atOpen = {})
        : m_steps(std::move(steps)), m_atOpen(std::move(atOpen))
    {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }

    bool opened = false;
    bool busyWhileOpen = false;
    QString error;

private:
    void poll()
    {
        auto* w = qobject_cast<MsgWindow*>(QApplication::activeModalWidget());
        if (!w || !w->isVisible())
            return;
        m_timer.stop();
        opened = true;
        if (m_atOpen)
            m_atOpen(w);
        for (const QString& step : std::as_const(m_steps)) {
            if (!w->isVisible()) {
                error = QStringLiteral("closed before step ") + step;
                return;
            }
            perform(w, step);
        }
        if (w->isVisible()) {
            error = QStringLiteral("still open after the steps");
            w->close();
        }
    }

    static QWidget* focused(MsgWindow* w) { return w->focusWidget() ? w->focusWidget() : w; }

    void perform(MsgWindow* w, const QString& step)
    {
        if (step == QLatin1String("click1"))
            QTest::mouseClick(w->button(MsgControl::Command1), Qt::LeftButton);
        else if (step == QLatin1String("click2"))
            QTest::mouseClick(w->button(MsgControl::Command2), Qt::LeftButton);
        else if (step == QLatin1String("click3"))
            QTest::mouseClick(w->button(MsgControl::Command3), Qt::LeftButton);
        else if (step == QLatin1String("esc"))
            QTest::keyClick(focused(w), Qt::Key_Escape);
        else if (step == QLatin1String("enter"))
            QTest::keyClick(focused(w), Qt::Key_Return);
        else if (step == QLatin1String("keypadEnter"))
            QTest::keyClick(focused(w), Qt::Key_Enter, Qt::KeypadModifier);
        else if (step == QLatin1String("tab"))
            QTest::keyClick(focused(w), Qt::Key_Tab);
        else if (step.startsWith(QLatin1String("type:")))
            QTest::keyClicks(w->text1(), step.mid(5));
        else if (step == QLatin1String("close"))
            w->close();
        else
            error = QStringLiteral("unknown step ") + step;
    }

    QStringList m_steps;
    Action m_atOpen;
    QTimer m_timer;
};

// The top-left corner Form_Load gives the window: centred at its design size.
QPoint centredDesignCorner(const QWidget* w)
{
    const QSize screen = w->screen()->size();
    const double dpi = screenDpi();
    const QSize frame = w->frameGeometry().size() - w->size();
    const FormSpec& form = msgFormSpec();
    return {px(centredTwips(pixelsToTwips(screen.width(), dpi),
                            form.clientWidth + pixelsToTwips(frame.width(), dpi))),
            px(centredTwips(pixelsToTwips(screen.height(), dpi),
                            form.clientHeight + pixelsToTwips(frame.height(), dpi)))};
}

QWidget* controlOf(MsgWindow* w, MsgControl c)
{
    if (c == MsgControl::Label1)
        return w->label1();
    if (c == MsgControl::Text1)
        return w->text1();
    return w->button(c);
}

QString captionOf(QWidget* w)
{
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    return qobject_cast<QLineEdit*>(w)->text();
}

} // namespace

class TstMsgWindow : public QObject {
    Q_OBJECT
private slots:
    void showMessage_data();
    void showMessage();
    void appliesLayout_data();
    void appliesLayout();
    void showInput_data();
    void showInput();
    void busyGuard_data();
    void busyGuard();
    void inputHasNoLengthLimit();
    void inputAfterMessage();
    void standardBoxes_data();
    void standardBoxes();
};

void TstMsgWindow::showMessage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("previous");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("expected");

    const QString shortText = QStringLiteral("Port not open...");
    const auto row = [](const char* name, const QString& text, int type, int previous,
                        const char* steps, int expected) {
        QTest::newRow(name) << text << type << previous
                            << QString::fromLatin1(steps).split(QLatin1Char(',')) << expected;
    };
    row("type 4 Ok", kLong, 4, 0, "click1", 10);
    row("type 4 Enter on focused Ok", kLong, 4, 0, "enter", 10);
    row("type 4 keypad Enter", kLong, 4, 0, "keypadEnter", 10);
    row("type 4 Escape does nothing", kLong, 4, 0, "esc,click1", 10);
    row("type 1 Yes", kLong, 1, 0, "click1", 7);
    row("type 2 Enter Yes", kLong, 2, 0, "enter", 7);
    row("type 2 No", kLong, 2, 0, "click2", 8);
    row("type 2 Escape No", kLong, 2, 0, "esc", 8);
    row("type 3 Escape middle No", kLong, 3, 0, "esc", 8);
    row("type 3 right Cancel", kLong, 3, 0, "click3", 9);
    row("type 5 Escape Abort", kLong, 5, 0, "esc", 11);
    row("type 6 Escape Abort", kLong, 6, 0, "esc", 11);
    row("type 6 Retry", kLong, 6, 0, "click3", 12);
    row("type 0 Ok", kLong, 0, 0, "click1", 10);
    row("type 0 Cancel", kLong, 0, 0, "click2", 13);
    row("type 0 Escape Cancel", kLong, 0, 7, "esc", 13);
    row("type 7 NO keeps previous", kLong, 7, 7, "click3", 7);
    row("type 0 NO keeps previous", shortText, 0, 12, "click3", 12);
    row("close box keeps previous", kLong, 4, 12, "close", 12);
}

void TstMsgWindow::showMessage()
{
    QFETCH(QString, text);
    QFETCH(int, type);
    QFETCH(int, previous);
    QFETCH(QStringList, steps);
    QFETCH(int, expected);

    Module1 state;
    state.MsgResult = qint16(previous);
    WidgetBoxes boxes(state);
    BoxDriver driver(steps, [&](MsgWindow* w) {
        QCOMPARE(w->windowTitle(), QStringLiteral("message"));
        QCOMPARE(w->focusWidget(), w->button(MsgControl::Command1));
        QVERIFY(w->isModal());
        QVERIFY(state.MsgBoxBusy);
    });
    const int result = boxes.ShowMessage(text, type, QStringLiteral("message"));

    QVERIFY(driver.opened);
    QVERIFY2(driver.error.isEmpty(), qPrintable(driver.error));
    QCOMPARE(result, expected);
    QCOMPARE(int(state.MsgResult), expected);
    QVERIFY(!state.MsgBoxBusy);
    // The unload step ran: the hidden field's design text reached InputText.
    QCOMPARE(state.InputText, QStringLiteral("Text1"));
    QCOMPARE(msgWindowCount(), 0);
}

void TstMsgWindow::appliesLayout_data()
{
    QTest::addColumn<bool>("input");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("defaultText");

    QTest::newRow("message n=16 type 4")
        << false << QStringLiteral("Port not open...") << 4 << QString();
    QTest::newRow("message n=43 type 2") << false << kLong << 2 << QString();
    QTest::newRow("input, no default") << true << kPrompt << 0 << QString();
}

void TstMsgWindow::appliesLayout()
{
    QFETCH(bool, input);
    QFETCH(QString, text);
    QFETCH(int, type);
    QFETCH(QString, defaultText);

    const QString title = QStringLiteral("Message");
    const MsgLayout layout =
        input ? inputBoxLayout(text, title, defaultText) : messageBoxLayout(text, type, title);
    Module1 state;
    WidgetBoxes boxes(state);
    BoxDriver driver({QStringLiteral("close")}, [&](MsgWindow* w) {
        QCOMPARE(w->windowTitle(), title);
        for (int i = 0; i < kMsgControlCount; ++i) {
            const MsgControlState& expected = layout[MsgControl(i)];
            QWidget* c = controlOf(w, MsgControl(i));
            QCOMPARE(c->geometry(), pxRect(expected.rect));
            QCOMPARE(c->isVisible(), expected.visible);
            QCOMPARE(c->isEnabled(), expected.enabled);
            QCOMPARE(captionOf(c), expected.caption);
        }
        const Qt::Alignment align = input ? Qt::AlignLeft : Qt::AlignHCenter;
        QCOMPARE(w->label1()->alignment() & Qt::AlignHorizontal_Mask, align);
        QCOMPARE(w->focusWidget(),
                 input ? static_cast<QWidget*>(w->text1()) : w->button(MsgControl::Command1));

        const QSize frame = w->frameGeometry().size() - w->size();
        const QSize outer(layout.outerWidth ? px(*layout.outerWidth) : w->width() + frame.width(),
                          layout.outerHeight ? px(*layout.outerHeight)
                                             : w->height() + frame.height());
        const QSize client(
            layout.outerWidth ? outer.width() - frame.width() : px(msgFormSpec().clientWidth),
            layout.outerHeight ? outer.height() - frame.height() : px(msgFormSpec().clientHeight));
        QCOMPARE(w->size(), client);
        // Centred once at design size; resizing afterwards keeps that corner.
        QCOMPARE(w->frameGeometry().topLeft(), centredDesignCorner(w));
    });
    if (input)
        boxes.ShowInput(text, title, defaultText);
    else
        boxes.ShowMessage(text, type, title);
    QVERIFY(driver.opened);
    QVERIFY2(driver.error.isEmpty(), qPrintable(driver.error));
}

void TstMsgWindow::showInput_data()
{
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<int>("previous");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("inputText");
    QTest::addColumn<int>("msgResult");

    const auto row = [](const char* name, const char* def, int previous, const char* steps,
                        const char* expected, const char* inputText, int msgResult) {
        QTest::newRow(name) << QString::fromLatin1(def) << previous
                            << QString::fromLatin1(steps).split(QLatin1Char('|'))
                            << QString::fromLatin1(expected) << QString::fromLatin1(inputText)
                            << msgResult;
    };
    row("Ok returns text", "", 0, "type:hello world|click1", "hello world", "hello world", 10);
    row("Enter in Text1 returns text", "", 0, "type:abc|enter", "abc", "abc", 10);
    row("keypad Enter in Text1", "", 13, "type:abc|keypadEnter", "abc", "abc", 10);
    row("Cancel returns empty", "", 0, "type:abc|click2", "", "abc", 13);
    row("Escape in Text1 cancels", "", 10, "type:abc|esc", "", "abc", 13);
    row("default accepted", "def", 0, "click1", "def", "def", 10);
    row("Tab twice to Cancel, Enter", "", 0, "type:abc|tab|tab|enter", "", "abc", 13);
    row("close box cancels after an Ok", "", 10, "type:abc|close", "", "abc", 10);
    row("close box cancels after a Cancel", "def", 13, "close", "", "def", 13);
}

void TstMsgWindow::showInput()
{
    QFETCH(QString, defaultText);
    QFETCH(int, previous);
    QFETCH(QStringList, steps);
    QFETCH(QString, expected);
    QFETCH(QString, inputText);
    QFETCH(int, msgResult);

    Module1 state;
    state.MsgResult = qint16(previous);
    WidgetBoxes boxes(state);
    BoxDriver driver(steps, [&](MsgWindow* w) {
        QVERIFY(state.MsgBoxBusy);
        QCOMPARE(w->focusWidget(), w->text1());
    });
    const QString result = boxes.ShowInput(kPrompt, QStringLiteral("input character"), defaultText);

    QVERIFY(driver.opened);
    QVERIFY2(driver.error.isEmpty(), qPrintable(driver.error));
    QCOMPARE(result, expected);
    QCOMPARE(state.InputText, inputText);
    QCOMPARE(int(state.MsgResult), msgResult);
    QVERIFY(!state.MsgBoxBusy);
    QCOMPARE(msgWindowCount(), 0);
}

void TstMsgWindow::busyGuard_data()
{
    QTest::addColumn<bool>("outerInput");
    QTest::addColumn<bool>("nestedInput");

    QTest::newRow("message inside input box") << true << false;
    QTest::newRow("input inside input box") << true << true;
    QTest::newRow("message inside message box") << false << false;
    QTest::newRow("input inside message box") << false << true;
}

void TstMsgWindow::busyGuard()
{
    QFETCH(bool, outerInput);
    QFETCH(bool, nestedInput);

    Module1 state;
    state.MsgResult = 12;
    WidgetBoxes boxes(state);
    const QStringList steps =
        outerInput ? QStringList{QStringLiteral("type:kept"), QStringLiteral("click1")}
                   : QStringList{QStringLiteral("click1")};
    BoxDriver driver(steps, [&](MsgWindow* w) {
        QTest::keyClicks(w->text1(), QStringLiteral("typed"));
        const bool textEnabled = w->text1()->isEnabled();
        const bool textVisible = w->text1()->isVisible();
        const QString text = w->text1()->text();
        const QString label = w->label1()->text();
        const QString title = w->windowTitle();
        const QRect geometry = w->geometry();

        if (nestedInput) {
            QCOMPARE(boxes.ShowInput(QStringLiteral("p"), QStringLiteral("t"), QStringLiteral("d")),
                     QString());
        } else {
            QCOMPARE(boxes.ShowMessage(QStringLiteral("nested"), 2, QStringLiteral("t")), 0);
        }

        QCOMPARE(QApplication::activeModalWidget(), w);
        QCOMPARE(msgWindowCount(), 1);
        QVERIFY(state.MsgBoxBusy);
        QCOMPARE(int(state.MsgResult), 12);
        QCOMPARE(w->text1()->isEnabled(), textEnabled);
        QCOMPARE(w->text1()->isVisible(), textVisible);
        QCOMPARE(w->text1()->text(), text);
        QCOMPARE(w->label1()->text(), label);
        QCOMPARE(w->windowTitle(), title);
        QCOMPARE(w->geometry(), geometry);
    });
    if (outerInput) {
        QCOMPARE(boxes.ShowInput(kPrompt, QStringLiteral("input character"), QString()),
                 QStringLiteral("typedkept"));
    } else {
        QCOMPARE(boxes.ShowMessage(kLong, 4, QStringLiteral("message")), 10);
    }
    QVERIFY(driver.opened);
    QVERIFY2(driver.error.isEmpty(), qPrintable(driver.error));
    QVERIFY(!state.MsgBoxBusy);
}

void TstMsgWindow::inputHasNoLengthLimit()
{
    Module1 state;
    WidgetBoxes boxes(state);
    const QString text(70000, u'x'); // past the line edit's own default limit
    BoxDriver driver({QStringLiteral("enter")}, [&](MsgWindow* w) { w->text1()->insert(text); });
    QCOMPARE(boxes.ShowInput(kPrompt, QStringLiteral("input character"), QString()).size(),
             text.size());
    QVERIFY2(driver.error.isEmpty(), qPrintable(driver.error));
}

void TstMsgWindow::inputAfterMessage()
{
    Module1 state;
    WidgetBoxes boxes(state);
    {
        BoxDriver driver({QStringLiteral("click1")});
        QCOMPARE(boxes.ShowMessage(kLong, 4, QStringLiteral("message")), 10);
        QVERIFY2(driver.error.isEmpty(), qPrintable(driver.error));
    }
    BoxDriver driver({QStringLiteral("type:next"), QStringLiteral("enter")}, [](MsgWindow* w) {
        QVERIFY(w->text1()->isEnabled());
        QVERIFY(w->text1()->isVisible());
        QCOMPARE(w->focusWidget(), w->text1());
        QCOMPARE(w->text1()->text(), QString());
        QCOMPARE(w->text1()->height(), px(330));
    });
    QCOMPARE(boxes.ShowInput(kPrompt, QStringLiteral("input character"), QString()),
             QStringLiteral("next"));
    QVERIFY(driver.opened);
    QVERIFY2(driver.error.isEmpty(), qPrintable(driver.error));
}

void TstMsgWindow::standardBoxes_data()
{
    QTest::addColumn<bool>("yesNo");
    QTest::addColumn<int>("press");
    QTest::addColumn<bool>("expected");

    QTest::newRow("Ok") << false << int(QMessageBox::Ok) << false;
    QTest::newRow("Yes") << true << int(QMessageBox::Yes) << true;
    QTest::newRow("No") << true << int(QMessageBox::No) << false;
}

void TstMsgWindow::standardBoxes()
{
    QFETCH(bool, yesNo);
    QFETCH(int, press);
    QFETCH(bool, expected);

    Module1 state;
    WidgetBoxes boxes(state);
    const QString text = QStringLiteral("Port not open...\rNow, Want To Open the Port?");
    bool seen = false;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        poll.stop();
        seen = true;
        QCOMPARE(box->windowTitle(), QStringLiteral("VQ3360"));
        QCOMPARE(box->text(), QStringLiteral("Port not open...\nNow, Want To Open the Port?"));
        QCOMPARE(box->icon(), yesNo ? QMessageBox::Question : QMessageBox::Critical);
        const auto buttons = yesNo ? QMessageBox::Yes | QMessageBox::No
                                   : QMessageBox::StandardButtons(QMessageBox::Ok);
        QCOMPARE(box->standardButtons(), buttons);
        QTest::mouseClick(box->button(QMessageBox::StandardButton(press)), Qt::LeftButton);
    });
    poll.start();
    if (yesNo) {
        QCOMPARE(boxes.standardYesNo(text, QStringLiteral("VQ3360")), expected);
    } else {
        boxes.standardOk(text, QStringLiteral("VQ3360"));
    }
    QVERIFY(seen);
}

QTEST_MAIN(TstMsgWindow)
#include "tst_msgwindow.moc"
