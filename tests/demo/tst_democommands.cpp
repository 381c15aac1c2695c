#include "demo/democommands.h"
#include "fakeport.h"
#include "shownbox.h"

#include <QTest>

using namespace vq;
using namespace vq::test;

namespace {

enum Entry { Run, Save, Low, UpperLine, LowerLine };

void run(Entry entry, CommPort& port, Boxes& boxes)
{
    switch (entry) {
    case Run:
        return showDemoMessages(port, boxes);
    case Save:
        return storeDemoMessage(port, boxes, DemoLine::Upper);
    case Low:
        return storeDemoMessage(port, boxes, DemoLine::Lower);
    case UpperLine:
        return clearDemoMessage(port, boxes, DemoLine::Upper);
    case LowerLine:
        return clearDemoMessage(port, boxes, DemoLine::Lower);
    }
}

const QString kUpperPrompt = QStringLiteral(
    "Please input demo messages to save on upper line,the maximum data character is under 200. ");
const QString kLowerPrompt = QStringLiteral(
    "Please input demo messages to save on lower line,the maximum data character is under 200. ");

ShownBox input(const QString& prompt)
{
    return {ShownBox::Input, prompt, 0, "input character"};
}

} // namespace

class TstDemoCommands : public QObject {
    Q_OBJECT
private slots:
    void bytes_data();
    void bytes();
    void entries_data();
    void entries();
    void longText_data();
    void longText();
};

void TstDemoCommands::bytes_data()
{
    // The whole commands are checked byte for byte by entries(); these rows are about the text.
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");
    const auto store = [](DemoLine line, const QString& text) { return storeCommand(line, text); };
    QTest::newRow("store control bytes unchanged")
        << store(DemoLine::Upper, QString::fromLatin1("\x03\x00\r\x1b\x02", 5))
        << QByteArray::fromHex("02054C3103000D1B0203");
    QTest::newRow("store Latin-1 as is") << store(DemoLine::Lower, QString::fromUtf8("é ÿ\u0080"))
                                         << QByteArray::fromHex("02054C32E920FF8003");
    QTest::newRow("store beyond Latin-1 as ?") << store(DemoLine::Upper, QString::fromUtf8("€x😀"))
                                               << QByteArray::fromHex("02054C313F783F03");
}

void TstDemoCommands::bytes()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    QCOMPARE(built.toHex(' '), expected.toHex(' '));
}

void TstDemoCommands::entries_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("deviceGone");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QByteArray>("expected"); // the one write, or none when empty
    QTest::addColumn<QList<ShownBox>>("shown");
    using L = QList<ShownBox>;
    const auto hex = [](const char* h) { return QByteArray::fromHex(h); };
    const ShownBox gone{ShownBox::Message, "Device unavailable!", 4, "Error"};

    QTest::newRow("run") << int(Run) << true << false << QStringList() << hex("0205440803") << L();
    QTest::newRow("run closed") << int(Run) << false << false << QStringList() << QByteArray()
                                << L{message(kPortNotOpenText)};
    QTest::newRow("run device gone")
        << int(Run) << true << true << QStringList() << QByteArray() << L{gone};
    QTest::newRow("save") << int(Save) << true << false << QStringList{"abc"}
                          << hex("02054C3161626303") << L{input(kUpperPrompt)};
    QTest::newRow("save spaces") << int(Save) << true << false << QStringList{"   "}
                                 << hex("02054C3120202003") << L{input(kUpperPrompt)};
    QTest::newRow("save cancelled")
        << int(Save) << true << false << QStringList{""} << QByteArray() << L{input(kUpperPrompt)};
    QTest::newRow("save closed asks nothing") << int(Save) << false << false << QStringList{"abc"}
                                              << QByteArray() << L{message(kPortNotOpenText)};
    QTest::newRow("save device gone") << int(Save) << true << true << QStringList{"abc"}
                                      << QByteArray() << L{input(kUpperPrompt), gone};
    QTest::newRow("low") << int(Low) << true << false << QStringList{"abc"}
                         << hex("02054C3261626303") << L{input(kLowerPrompt)};
    QTest::newRow("low cancelled")
        << int(Low) << true << false << QStringList() << QByteArray() << L{input(kLowerPrompt)};
    QTest::newRow("low closed") << int(Low) << false << false << QStringList{"abc"} << QByteArray()
                                << L{message(kPortNotOpenText)};
    QTest::newRow("upperline") << int(UpperLine) << true << false << QStringList()
                               << hex("0205073203") << L();
    QTest::newRow("upperline closed, short text")
        << int(UpperLine) << false << false << QStringList() << QByteArray()
        << L{message("Port not open...")};
    QTest::newRow("lowerline") << int(LowerLine) << true << false << QStringList()
                               << hex("0205073303") << L();
    QTest::newRow("lowerline closed, long text")
        << int(LowerLine) << false << false << QStringList() << QByteArray()
        << L{message(kPortNotOpenText)};
}

void TstDemoCommands::entries()
{
    QFETCH(int, entry);
    QFETCH(bool, open);
    QFETCH(bool, deviceGone);
    QFETCH(QStringList, answers);
    QFETCH(QByteArray, expected);
    QFETCH(QList<ShownBox>, shown);

    FakePort port;
    ScriptedBoxes boxes;
    boxes.inputAnswers = answers;
    if (open)
        port.setPortOpen(true);
    if (deviceGone)
        port.loseDevice();
    run(Entry(entry), port, boxes);

    QCOMPARE(port.writes, expected.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{expected});
    QCOMPARE(boxes.shown, shown);
    QCOMPARE(port.portOpen(), open && !deviceGone);
}

void TstDemoCommands::longText_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<int>("length");
    QTest::newRow("250 upper") << int(Save) << 250;
    QTest::newRow("10000 lower") << int(Low) << 10000;
}

void TstDemoCommands::longText()
{
    QFETCH(int, entry);
    QFETCH(int, length);
    QString text;
    for (int i = 0; i < length; ++i)
        text += QChar(0x20 + i % 0xE0); // every printable Latin-1 value, in turn
    FakePort port;
    ScriptedBoxes boxes;
    boxes.inputAnswers = {text};
    port.setPortOpen(true);
    run(Entry(entry), port, boxes);

    QCOMPARE(port.writes.size(), 1);
    const QByteArray& sent = port.writes.first();
    QCOMPARE(sent.size(), length + 5);
    QCOMPARE(sent.left(4), QByteArray::fromHex(entry == Save ? "02054C31" : "02054C32"));
    QCOMPARE(sent.mid(4, length), text.toLatin1());
    QCOMPARE(sent.back(), '\x03');
}

QTEST_GUILESS_MAIN(TstDemoCommands)
#include "tst_democommands.moc"
