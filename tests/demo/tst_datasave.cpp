#include "demotest.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWindow>

using namespace vq;
using namespace vq::test;

namespace {

QPlainTextEdit* keyin()
{
    return DATASAVE::instance()->controls().get<QPlainTextEdit>("keyin");
}
QPushButton* button(const char* name)
{
    return DATASAVE::instance()->controls().get<QPushButton>(name);
}
QList<QByteArray> bytes(const char* hex)
{
    QList<QByteArray> out;
    for (const QByteArray& b : QByteArray(hex).split(' '))
        out << QByteArray::fromHex(b);
    return out;
}

} // namespace

class TstDatasave : public QObject {
    Q_OBJECT
private slots:
    void layout();
    void typing_data();
    void typing();
    void clear_data();
    void clear();
    void oneInstance();
    void leaving_data();
    void leaving();
    void typingRefused_data();
    void typingRefused();
    void deviceLostWhileTyping();
};

void TstDatasave::layout()
{
    Harness h;
    h.openMain(true)->numedmo_Click();
    DATASAVE* d = DATASAVE::instance();
    QCOMPARE(d->focusWidget(), keyin());
    QCOMPARE(h.port->writes, QList<QByteArray>());
}

void TstDatasave::typing_data()
{
    QTest::addColumn<QList<Press>>("presses");
    QTest::addColumn<QList<QByteArray>>("writes");
    QTest::addColumn<QString>("shown");
    const Press a{Qt::Key_A, {}, "a"}, b{Qt::Key_B, {}, "b"};
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    QTest::newRow("abc") << QList<Press>{a, b, {Qt::Key_C, {}, "c"}} << bytes("61 62 63") << "abc";
    QTest::newRow("Enter") << QList<Press>{a, {Qt::Key_Return, {}, "\r"}, b} << bytes("61 0D 62")
                           << "a\nb";
    QTest::newRow("Backspace") << QList<Press>{a, b, {Qt::Key_Backspace, {}, "\b"}}
                               << bytes("61 62 08") << "a";
    QTest::newRow("Ctrl+letter as X gives it")
        << QList<Press>{a, {Qt::Key_B, ctrl, "\x02"}} << bytes("61 02") << "a";
    QTest::newRow("Ctrl+letter with the letter")
        << QList<Press>{{Qt::Key_G, ctrl, "g"}, a} << bytes("07 61") << "a";
    QTest::newRow("keys without character") << QList<Press>{a,
                                                            b,
                                                            {Qt::Key_Left},
                                                            {Qt::Key_Delete, {}, "\x7f"},
                                                            {Qt::Key_F5},
                                                            {Qt::Key_Home}}
                                            << bytes("61 62") << "a";
    QTest::newRow("beyond Latin-1") << QList<Press>{{Qt::Key_Eacute, {}, QString::fromUtf8("é")},
                                                    {Qt::Key_unknown, {}, QString::fromUtf8("€")}}
                                    << bytes("E9 3F") << QString::fromUtf8("é€");
}

void TstDatasave::typing()
{
    QFETCH(QList<Press>, presses);
    QFETCH(QList<QByteArray>, writes);
    QFETCH(QString, shown);
    Harness h;
    h.openMain(true)->numedmo_Click();
    for (const Press& p : presses)
        press(keyin(), p);
    QCOMPARE(h.port->writes, writes);
    QCOMPARE(keyin()->toPlainText(), shown);
    QCOMPARE(h.boxes.shown, QList<ShownBox>());
}

void TstDatasave::clear_data()
{
    QTest::addColumn<QByteArray>("clearCmd");
    QTest::newRow("start value") << QByteArray("\x0c");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("six bytes") << QByteArray::fromHex("040143315817");
}

void TstDatasave::clear()
{
    QFETCH(QByteArray, clearCmd);
    Harness h;
    h.openMain(true)->numedmo_Click();
    h.state.ClearCmd = clearCmd;
    type(keyin(), "ab");
    QTest::mouseClick(button("clear"), Qt::LeftButton);
    QCOMPARE(h.port->writes, (QList<QByteArray>{"a", "b", clearCmd + '\r'}));
    QCOMPARE(keyin()->toPlainText(), QString());
}

void TstDatasave::oneInstance()
{
    Harness h;
    Formall* w = h.openMain(true);
    w->numedmo_Click();
    DATASAVE* first = DATASAVE::instance();
    type(keyin(), "hi");
    w->numedmo_Click();
    QCOMPARE(DATASAVE::instance(), first);
    QCOMPARE(keyin()->toPlainText(), QStringLiteral("hi"));
    int windows = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        windows += qobject_cast<DATASAVE*>(top) != nullptr;
    QCOMPARE(windows, 1);
}

void TstDatasave::leaving_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::addColumn<bool>("mainClosed");
    QTest::newRow("Exit") << false << false;
    QTest::newRow("close box") << true << false;
    QTest::newRow("Exit, main window closed") << false << true;
    QTest::newRow("close box, main window closed") << true << true;
}

void TstDatasave::leaving()
{
    QFETCH(bool, closeBox);
    QFETCH(bool, mainClosed);
    Harness h;
    Formall* w = h.openMain(true);
    w->numedmo_Click();
    if (mainClosed)
        h.closeMain();
    w = h.ctx.mainWindow();
    h.state.ClearCmd = "x"; // start-up puts 0C back

    if (closeBox)
        DATASAVE::instance()->windowHandle()->close();
    else
        QTest::mouseClick(button("cancel"), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QVERIFY(!DATASAVE::instance());
    Formall* shown = h.ctx.mainWindow();
    QVERIFY(shown && shown->isVisible());
    QCOMPARE(shown == w, !mainClosed);
    QCOMPARE(h.state.ClearCmd, mainClosed ? QByteArray("\x0c") : QByteArray("x"));
    QCOMPARE(h.port->portOpen(), !mainClosed); // leaving the demo never closes the port
}

void TstDatasave::typingRefused_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("closed from main window") << "close";
    QTest::newRow("main window closed") << "main";
    QTest::newRow("open failed, not for the port number") << "failed";
}

// A refused key leaves the box as the display has it; each press is told once.
void TstDatasave::typingRefused()
{
    QFETCH(QString, how);
    Harness h;
    Formall* w = h.openMain(how != QLatin1String("failed"));
    if (how == QLatin1String("failed")) {
        h.port->failOpen(1, QStringLiteral("Permission error while locking the device"));
        h.boxes.yesNoAnswers = {true};
    }
    w->numedmo_Click();
    QVERIFY(DATASAVE::instance());
    if (how != QLatin1String("failed"))
        type(keyin(), "a");
    if (how == QLatin1String("close"))
        w->Command1_Click(1);
    if (how == QLatin1String("main"))
        h.closeMain();
    h.boxes.shown.clear();

    type(keyin(), "bc");
    press(keyin(), {Qt::Key_Return, {}, "\r"});
    QTest::mouseClick(button("clear"), Qt::LeftButton);

    const QString left = how == QLatin1String("failed") ? QString() : QStringLiteral("a");
    QCOMPARE(keyin()->toPlainText(), left);
    QCOMPARE(h.boxes.shown, QList<ShownBox>(4, message(kPortNotOpenText)));
    if (h.port)
        QCOMPARE(h.port->writes, left.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{"a"});
    QCOMPARE(h.ctx.mainWindow() != nullptr, how != QLatin1String("main"));
}

void TstDatasave::deviceLostWhileTyping()
{
    Harness h;
    Formall* w = h.openMain(true);
    w->numedmo_Click();
    type(keyin(), "a");
    h.port->loseDevice();
    type(keyin(), "bc");
    QCOMPARE(h.boxes.shown,
             (QList<ShownBox>{message("Device unavailable!", "Error"), message(kPortNotOpenText)}));
    QCOMPARE(h.port->writes, QList<QByteArray>{"a"});
    QCOMPARE(keyin()->toPlainText(), QStringLiteral("a"));
    QVERIFY(!h.port->portOpen());
    QCOMPARE(w->controls().get<QLabel>("Label7", 1)->text(), QStringLiteral("Close"));
}

QTEST_MAIN(TstDatasave)
#include "tst_datasave.moc"
