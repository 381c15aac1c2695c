// What only the virtual display decides: its screen, its decoding of odd or broken input, its
// limits, its JSON and the executable around it. The utility's byte tables go through it in e2e.
#include "ctl/actions.h"
#include "util.h"
#include "vdisplay.h"
#include "virtual_display/displaydecoder.h"
#include "virtual_display/eventjson.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vq::vdisplay;
using vq::test::hex;

namespace {

QByteArray frame(char code, char param, const QByteArray& text = {})
{
    return hex("02 05") + code + param + text + '\x03';
}

// Through the JSON, so the decoder's events read exactly like the executable's.
QList<QJsonObject> parsed(const QList<DisplayEvent>& events)
{
    QList<QJsonObject> out;
    for (const DisplayEvent& e : events)
        out << QJsonDocument::fromJson(eventToJson(e)).object();
    return out;
}

// Short enough for a table row: text as it reads, events without bytes as [message], garbage as
// its error(byte), the rest as name(bytes), or their count past ten.
QString trace(const QList<QJsonObject>& events)
{
    QString out;
    for (const QJsonObject& e : events) {
        const QString name = e[e["garbled"].toBool() ? "error" : "event"].toString(),
                      bytes = e["bytes"].toString();
        if (name == "text")
            out += e["char"].toString();
        else if (bytes.isEmpty())
            out += " [" + e["message"].toString() + "] ";
        else
            out += " " + name + "(" +
                   (bytes.size() < 30 ? bytes : QString::number(bytes.size() / 3 + 1) + " bytes") +
                   ") ";
    }
    return out.simplified();
}

using Writes = QList<std::pair<SerialLine, QByteArray>>; // the PC's line, what it writes at it

} // namespace

Q_DECLARE_METATYPE(Writes)

class TstVirtualDisplay : public QObject {
    Q_OBJECT
private slots:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("expected");
        // line1|line2|cursor, lines without trailing blanks, then the screen's other fields
        // that matter as key=value, blank-separated
        QTest::addColumn<QString>("screen");
        const auto row = [](const char* name, const QByteArray& input, const QString& expected,
                            const QString& screen = "||0") {
            QTest::newRow(name) << input << expected << screen;
        };
        const QByteArray up = "ABCDEFGHIJKLMNOPQRST", low = "abcdefghijklmnopqrst";
        const QByteArray dsp800 = frame('C', '0'), toDsp800 = "emulation(02 05 43 30 03) ";
        const QByteArray bulk(5000, 'x'), xs(20, 'x');
        const auto store = [](int length) { return frame('L', '1', QByteArray(length, 'k')); };
        row("past the lower line to the top", up + low + "!", up + low + "!",
            "!" + up.mid(1) + "|" + low + "|1");
        row("BS from the first cell to the last", "\bX", "cursor(08) X", "|                   X|0");
        row("BS from the lower line, erasing nothing", up + "\b", up + " cursor(08)", up + "||19");
        row("CR and LF on both lines", "ABC\rX\n\rY\nZ",
            "ABC cursor(0D) X cursor(0A) cursor(0D) Y cursor(0A) Z", "XZC|Y|2");
        row("Latin-1", hex("E9 FC A3 80 FF"), "\u00E9\u00FC\u00A3\u0080\u00FF",
            "\u00E9\u00FC\u00A3\u0080\u00FF||5");
        row("controls change nothing", hex("41 07 7F 04 01 5A"),
            "A control(07) control(7F) control(04) control(01) Z", "AZ||2");
        row("shown demo blanks controls", frame('L', '1', "a\a" + up) + frame('D', '\b'),
            "store_line(27 bytes) show_demo(02 05 44 08 03)", "a " + up.left(18) + "||0");
        row("unknown code", hex("02 05 5A 31 03 4F 4B"), "undecoded(02 05 5A 31 03) OK", "OK||2");
        row("unknown emulation", hex("02 05 43 38 03"), "undecoded(02 05 43 38 03)");
        row("unknown line operation", hex("02 05 07 34 03"), "undecoded(02 05 07 34 03)");
        row("store line 3", hex("02 05 4C 33 61 03"), "undecoded(02 05 4C 33 61 03)");
        row("extra byte before ETX", hex("02 05 43 33 33 03"), "undecoded(02 05 43 33 33 03)");
        row("junk after STX ENQ", hex("02 05 FF FF 03 41"), "undecoded(02 05 FF FF 03) A", "A||1");
        row("too short", hex("02 05 03"), "undecoded(02 05 03)");
        row("STX before ETX", hex("02 05 43 33 02 05 42 37 03"),
            "undecoded(02 05 43 33) display_baud(02 05 42 37 03)");
        row("STX without ENQ", hex("02 41"), "control(02) A", "A||1");
        row("STX STX ENQ", hex("02 02 05 43 37 03"), "control(02) emulation(02 05 43 37 03)");
        row("stored text holds STX ENQ", hex("02 05 4C 31 61 02 05 62 07 03"),
            "store_line(02 05 4C 31 61 02 05 62 07 03)");
        row("DSP800 cut by text", dsp800 + hex("04 01 43 61"), toDsp800 + "undecoded(04 01 43) a",
            "a||1");
        row("DSP800 restarted", dsp800 + hex("41 04 01 04 01 43 31 58 17"),
            toDsp800 + "A undecoded(04 01) clear(04 01 43 31 58 17)");
        row("DSP800 cut by a frame", dsp800 + hex("04 01 02 05 43 37 03"),
            toDsp800 + "undecoded(04 01) emulation(02 05 43 37 03)");
        // Unknown on the PC side, so a new display speed garbles nothing.
        row("display speed alone", frame('B', '7') + "A", "display_baud(02 05 42 37 03) A", "A||1");
        row("store frame without ETX", hex("02 05 4C 31") + bulk,
            "undecoded(4096 bytes) " + bulk.mid(4092), xs + "|" + xs + "|28");
        row("frame without ETX", hex("02 05 43 33") + bulk,
            "undecoded(4096 bytes) " + bulk.mid(4092), xs + "|" + xs + "|28");
        row("stored text at the limit", store(1024), "store_line(1029 bytes)");
        row("stored text over the limit", store(1025),
            "store_line(1030 bytes) [upper line cut to 1024 bytes, 1 dropped]");
        row("longest store frame", store(4091),
            "store_line(4096 bytes) [upper line cut to 1024 bytes, 3067 dropped]");
        row("store frame one byte too long", store(4092), "undecoded(4096 bytes) control(03)");

        // Each emulation's commands, the screens worked out from its command table.
        const QByteArray pos = frame('C', '1'), aedex = frame('C', '4'), utcs = frame('C', '6'),
                         utcp = frame('C', '5'), adm = frame('C', '3');
        const QString toPos = "emulation(02 05 43 31 03) ", toAedex = "emulation(02 05 43 34 03) ",
                      toUtcS = "emulation(02 05 43 36 03) ", toUtcP = "emulation(02 05 43 35 03) ";
        row("ESC/POS vertical scroll: the lower row moves up", pos + "\x1F\x02" + up + low + "!",
            toPos + "command(1F 02) " + up + low + "!", low + "|!|21|write_mode=vertical");
        row("ESC/POS horizontal scroll: the row shifts left", pos + "\x1F\x03" + up + "!!",
            toPos + "command(1F 03) " + up + "!!", up.mid(2) + "!!||19");
        row("ESC/POS vertical: LF and US LF scroll at the ends",
            pos + "\x1F\x02" + "A\nB\n\x1F\n\x1F\n",
            toPos + "command(1F 02) A cursor(0A) B cursor(0A) cursor(1F 0A) cursor(1F 0A)",
            "| B|2");
        row("ESC/POS horizontal: LF and BS stop at the ends", pos + "\x1F\x03\n\n\bX",
            toPos + "command(1F 03) cursor(0A) cursor(0A) cursor(08) X", "|X|21");
        row("ESC/POS overwrite: BS, US LF, LF and HT wrap", pos + "\bX\x1F\nY\nZ\t",
            toPos + "cursor(08) X cursor(1F 0A) Y cursor(0A) Z cursor(09)",
            " Z|Y                  X|3");
        row("ESC/POS positions; CAN blanks the row",
            pos + "ABCDEF\x18GH" + hex("1F 24 03 02") + "x\x1F\x42y\x0B\x1F\rz" +
                hex("1F 24 15 01") + "\r",
            toPos + "ABCDEF command(18) GH cursor(1F 24 03 02) x cursor(1F 42) y cursor(0B) "
                    "cursor(1F 0D) z command(1F 24 15 01) cursor(0D)",
            "GH                 z|y x|20");
        row("ESC/POS cursor, brightness, blink, reverse",
            pos + hex("1F 43 00 1F 58 02 1F 45 0A 1F 72 01") + "R" + hex("1F 72 00") + "n",
            toPos + "command(1F 43 00) command(1F 58 02) command(1F 45 0A) command(1F 72 01) R "
                    "command(1F 72 00) n",
            "Rn||2|cursor_shown=false brightness=2 blink=10 marks1=20000000000000000000");
        row("ESC/POS initialise", pos + hex("1F 58 01 1F 03 41 1B 40 42"),
            toPos + "command(1F 58 01) command(1F 03) A command(1B 40) B",
            "B||1|brightness=4 write_mode=overwrite");
        row("ESC/POS printer selected: bytes passed on", pos + hex("1B 3D 01 41 0C 1B 3D 02 43"),
            toPos + "command(1B 3D 01) passthrough(41) passthrough(0C) command(1B 3D 02) C",
            "C||1");
        row("ESC/POS user glyph", pos + hex("1B 26 01 41 41 05 7F 08 08 08 7F 1B 25 01 41 42"),
            toPos + "command(11 bytes) command(1B 25 01) \uFFFDB",
            "\uFFFDB||2|marks1=80000000000000000000");
        row("ESC/POS parameter 02: no set-up frame", pos + hex("1F 58 02 05 41"),
            toPos + "command(1F 58 02) control(05) A", "A||1|brightness=2");
        row("ESC/POS unknown sequence", pos + hex("1B 7A 41"), toPos + "unknown(1B 7A) A", "A||1");
        // Coffee-shop software: display selected, clear, home, two lines, the U.K. set, the
        // total on the lower row, vertical scroll, and a thank-you that pushes it up.
        row("ESC/POS stream",
            pos + hex("1B 3D 02 0C 0B") + "Tea           # 1.20Scone         # 2.30" +
                hex("1B 52 03 1F 24 01 02") + "Total         # 3.5\x1F\x02" + "0Thank you",
            "", "Total         \u00A3 3.50|Thank you|29|write_mode=vertical");
        row("AEDEX rows, short and long", aedex + "!#1Hello\r!#2" + low + "uvwxy\r",
            toAedex + "command(21 23 31 48 65 6C 6C 6F 0D) command(29 bytes)",
            "Hello|" + low + "|0");
        row("AEDEX both rows", aedex + "!#9" + up + "abc\r", toAedex + "command(27 bytes)",
            up + "|abc|0|cursor_shown=false");
        row("AEDEX attention code; the old one passed on", aedex + "!#8~`\r!#1X\r~`1Y\r",
            toAedex + "command(21 23 38 7E 60 0D) passthrough(21) passthrough(23) passthrough(31) "
                      "passthrough(58) passthrough(0D) command(7E 60 31 59 0D)",
            "Y||0");
        row("AEDEX scrolling message and clock", aedex + "!#4" + up + low + "!\r!#512:34\r",
            toAedex + "command(45 bytes) command(21 23 35 31 32 3A 33 34 0D)",
            up + "||0|scrolling=continuous");
        row("AEDEX frame cut by set-up, unknown function, scroll once",
            aedex + "!#1ab" + aedex + "!#7x\r!#6Hi\r",
            toAedex + "undecoded(21 23 31 61 62) emulation(02 05 43 34 03) unknown(21 23 37 78 0D) "
                      "command(21 23 36 48 69 0D)",
            "Hi||0|scrolling=once");
        row("UTC/S positions",
            utcs + "ABC" + hex("10 14") + "x" + hex("10 27") + "y" + hex("10 28") + "\rz",
            toUtcS + "ABC cursor(10 14) x cursor(10 27) y command(10 28) cursor(0D) z",
            "zBC|x                  y|1");
        row("UTC/S vertical scroll and overwrite", utcs + "\x12" + "A\nB\nC\x11\nD",
            toUtcS + "command(12) A cursor(0A) B cursor(0A) C command(11) cursor(0A) D",
            " B D|  C|4");
        row("UTC/S clear to the ends", utcs + up + low + hex("10 05 18 10 19 19"),
            toUtcS + up + low + " cursor(10 05) command(18) cursor(10 19) command(19)",
            "ABCDE|abcde|25");
        row("UTC/S cursor, brightness, blink", utcs + hex("14 04 40 1C 41 42 1D 43"),
            toUtcS + "command(14) command(04 40) command(1C) AB command(1D) C",
            "ABC||3|cursor_shown=false brightness=2 marks1=11000000000000000000");
        row("UTC/S reset, home and clear", utcs + hex("12 04 20 41 42 1F 43 1E 44"),
            toUtcS + "command(12) command(04 20) AB clear(1F) C clear(1E) D",
            "D||1|brightness=4 write_mode=overwrite");
        row("UTC/S switches to UTC/P", utcs + "\x1B\x64\x1BuAHi\rx",
            toUtcS + "emulation(1B 64) command(1B 75 41 48 69 0D) passthrough(78)", "Hi||0");
        row("UTC/P frames; the utility's clear passed on",
            utcp + "\x1BuAup\r\x1BuBlow\r\x1F\x1BuDscrolling message\r\x1BuZ\r",
            toUtcP + "command(1B 75 41 75 70 0D) command(1B 75 42 6C 6F 77 0D) passthrough(1F) "
                     "command(21 bytes) unknown(1B 75 5A 0D)",
            "scrolling message|low|0|scrolling=continuous");
        row("UTC/P both rows", utcp + "\x1BuI" + up + "abc\r", toUtcP + "command(27 bytes)",
            up + "|abc|0");
        row("ADM787 fields and rows; LF and BS logged", adm + up + low + "\x1Exy\x1Fz\x0EQ\n\b",
            "emulation(02 05 43 33 03) " + up + low +
                " command(1E) xy command(1F) z command(0E) Q control(0A) control(08)",
            "Q|xy      ijklz|1|cursor_shown=false");
        row("ADM788 decimal points and blinking rows",
            frame('C', '2') + hex("10 31 10 37 11 31 41 42 12 31 11 32 0F 43"),
            "emulation(02 05 43 32 03) command(10 31) command(10 37) command(11 31) AB "
            "command(12 31) command(11 32) command(0F) C",
            "AB|C|21|marks1=00000000000004000004 marks2=11111111111111111111");
        row("DSP800 cursor, partial clear, stored messages, unknown command",
            dsp800 + up + hex("04 01 50 35 17") + "x" +
                hex("04 01 43 31 33 17 04 01 44 31 32 17 04 01 5A 41 17 0D"),
            toDsp800 + up +
                " command(04 01 50 35 17) x command(04 01 43 31 33 17) "
                "command(04 01 44 31 32 17) unknown(04 01 5A 41 17) control(0D)",
            "   DxFGHIJKLMNOPQRST||5");
        // The national sets on the twelve code points, in every emulation; the others Latin-1.
        const QByteArray points = "#$@[\\]^`{|}~";
        const auto national = [&](const char* name, char code, const QString& glyphs) {
            QTest::addRow("glyphs of %s", name)
                << frame('S', code) + points << QString() << glyphs + "||12";
        };
        national("U.S.A", '0', "#$@[\\]^`{|}~");
        national("FRANCE", '1', "#$à°ç§^`éùè¨");
        national("GERMANY", '2', "#$§ÄÖÜ^`äöüß");
        national("U.K", '3', "£$@[\\]^`{|}~");
        national("DENMARK I", '4', "#$@ÆØÅ^`æøå~");
        national("SWEDEN", '5', "#¤ÉÄÖÅÜéäöåü");
        national("ITALY", '6', "#$@°\\é^ùàòèì");
        national("SPAIN", '7', "₧$@¡Ñ¿^`¨ñ}~");
        national("JAPAN", '8', "#$@[¥]^`{|}~");
        national("NORWAY", '9', "#¤ÉÆØÅÜéæøåü");
        national("DENMARK II", ':', "#$ÉÆØÅÜéæøåü");
        national("SLAVONIC", ';', points);
        row("U.K in AEDEX", frame('S', '3') + aedex + "!#1" + points + "\r", "",
            "£$@[\\]^`{|}~||0");
    }

    // Whole and byte by byte: a frame arriving in pieces decodes the same.
    void decode()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, expected);
        QFETCH(QString, screen);
        DisplayDecoder whole, pieces;
        const QList<QJsonObject> events = parsed(whole.feed(input));
        QList<QJsonObject> piecewise;
        for (const char byte : input)
            piecewise << parsed(pieces.feed(QByteArrayView(&byte, 1)));
        if (!expected.isEmpty())
            QCOMPARE(trace(events), expected);
        QCOMPARE(piecewise, events);
        // From the right, as the upper row may show a "|".
        QStringList want = screen.split('|');
        const QString look = want.last().contains('=') ? want.takeLast() : QString();
        QCOMPARE(events.last()["cursor"].toInt(), want.takeLast().toInt());
        QCOMPARE(events.last()["line2"].toString(), want.takeLast().leftJustified(20));
        QCOMPARE(events.last()["line1"].toString(), want.join('|').leftJustified(20));
        for (const QString& pair : look.split(' ', Qt::SkipEmptyParts))
            QCOMPARE(pair.section('=', 0, 0) + '=' +
                         events.last()[pair.section('=', 0, 0)].toVariant().toString(),
                     pair);
        QCOMPARE(whole.pendingBytes(), QByteArray());
        QVERIFY(whole.storedText(0).size() <= DisplayDecoder::StoredTextCap);
    }

    // Worked by hand: the PC's bits are numbered from the first start bit; a receiver samples
    // its bit n at PC bit edge + (2n + 1) * pc / (2 * display), rounded down.
    void receiver_data()
    {
        QTest::addColumn<Writes>("writes");
        QTest::addColumn<QString>("expected");
        const QByteArray to19200 = frame('B', '7'), toE71 = frame('P', '4');
        const SerialLine n81{9600, {}};
        // 55 is 0 10101010 1 (start, data from bit 0, stop): the falling edges at 0, 2, 4, 6 and 8
        // are all high again at 1, 3, 5, 7, 9, where each start bit is checked.
        QTest::newRow("55 at 19200 read at 9600")
            << Writes{{{19200, {}}, "\x55"}}
            << "[line differs: PC 19200 n,8,1, display 9600 n,8,1]";
        // Its even parity bit (0) keeps the line low at 9: a start bit, then samples at 11 to 27
        // on the idle line after the write: FF, never sent.
        QTest::newRow("55 at 19200 e,8,1 read at 9600")
            << Writes{{{19200, {'e', 8, 1}}, "\x55"}}
            << "[line differs: PC 19200 e,8,1, display 9600 n,8,1] \u00FF";
        // A (0 10000010 1) sampled at 0, then data at 0 1 1 2 2 3 3 4: 06, its stop at 4 (low):
        // a framing error. It waits for the line to rise and fall again, at 8: data 8 9 9 10 10
        // ... 12, all high but the first: FE, stop at 12. The frame that follows the new speed,
        // split between writes, still came at the old one; the A after it did not.
        QTest::newRow("A at 9600 read at 19200")
            << Writes{{n81, to19200 + hex("02 05")}, {n81, hex("50 31 03 41")}}
            << "display_baud(02 05 42 37 03) display_framing(02 05 50 31 03) [line differs: PC "
               "9600 n,8,1, display 19200 n,8,1] framing(06) \u00FE";
        // The same samples as seven data bits (06), then parity and stop both at 4 (low): a
        // framing error, which wins over odd parity failing too. From 8: 7E, parity at 12 (1).
        QTest::newRow("A at 9600 read at 19200 o,7,1")
            << Writes{{n81, to19200 + frame('P', '6')}, {n81, "A"}}
            << "display_baud(02 05 42 37 03) display_framing(02 05 50 36 03) [line differs: PC "
               "9600 n,8,1, display 19200 o,7,1] framing(06) ~";
        // In step, the eighth data bit is the parity bit: even holds where a byte's ones are.
        // 41 C3 0C 82 05 33 03 have an even count and arrive without bit 7; 43 does not. The
        // frame straight after the new framing is taken at the old one. A PC on e,7,1 sends E9
        // as i.
        QTest::newRow("e,7,1 display fed n,8,1")
            << Writes{{n81, toE71 + frame('C', '3') + "C"},
                      {n81, hex("41 43 C3 0C 82 05 43 33 03 82 05 C3 33 03")},
                      {{9600, {'e', 7, 1}}, hex("E9")}}
            << "display_framing(02 05 50 34 03) emulation(02 05 43 33 03) [line differs: PC "
               "9600 n,8,1, display 9600 e,7,1] parity(43) A parity(43) C clear(0C) "
               "undecoded(02 05) parity(43) 3 control(03) emulation(02 05 43 33 03) [lines agree "
               "again: 9600 e,7,1] i";
        // Seven data bits and a parity bit make ten, as n,8,1 does: the parity bit is the
        // display's eighth data bit. E9 goes out as i (four ones, parity 0), C with three: C3.
        QTest::newRow("H\u00E9C at 9600 e,7,1")
            << Writes{{{9600, {'e', 7, 1}}, hex("48 E9 43")}}
            << "[line differs: PC 9600 e,7,1, display 9600 n,8,1] Hi\u00C3";
        // Each frame is 11 bits; the receiver checks one stop bit and finds the next start bit
        // on time: the bytes as on its own line.
        QTest::newRow("second stop bit")
            << Writes{{{9600, {'n', 8, 2}}, QByteArray("Hi\0\xFF\r", 5) + frame('C', '3')}}
            << "[line differs: PC 9600 n,8,2, display 9600 n,8,1] Hi control(00) \u00FF "
               "cursor(0D) emulation(02 05 43 33 03)";
    }

    void receiver()
    {
        QFETCH(Writes, writes);
        QFETCH(QString, expected);
        DisplayDecoder decoder;
        QList<QJsonObject> events;
        for (const auto& [line, bytes] : writes) {
            decoder.setPcLine(line);
            events << parsed(decoder.feed(bytes));
        }
        QCOMPARE(trace(events), expected);
    }

    void rescue_data()
    {
        QTest::addColumn<char>("baud"); // the parameters of the display's line commands
        QTest::addColumn<char>("framing");
        for (const char baud : QByteArray("54321076")) {
            for (const char framing : QByteArray("123456")) {
                Framing f;
                framingForParam(framing, &f);
                QTest::addRow("from %d %s", baudForParam(baud), qPrintable(f.text()))
                    << baud << framing;
            }
        }
    }

    // From every line the display could be on, vq3360ctl's sweep, each write alone on the wire
    // at its PC line, leaves it on 9600 n,8,1 with its stored line kept and reading what follows.
    void rescue()
    {
        QFETCH(char, baud);
        QFETCH(char, framing);
        DisplayDecoder decoder;
        decoder.setPcLine({9600, {}});
        decoder.feed(frame('L', '1', "kept") + frame('B', baud) + frame('P', framing));
        QCOMPARE(decoder.displayBaud(), baudForParam(baud));
        vq::ctl::Planner planner;
        QVERIFY(planner.addWords({"rescue"}));
        for (const vq::ctl::Step& step : planner.plan().actions.constFirst().steps) {
            const vq::LineSettings& l = *step.pcSettings;
            decoder.setPcLine(
                {l.baud, {l.parity, l.dataBits, l.stopBits == vq::StopBits::Two ? 2 : 1}});
            for (const QByteArray& write : step.writes)
                decoder.feed(write);
        }
        QCOMPARE(decoder.displayBaud(), 9600);
        QCOMPARE(decoder.framing().text(), QStringLiteral("n,8,1"));
        QCOMPARE(decoder.storedText(0), QByteArray("kept"));
        decoder.setPcLine({9600, {}});
        QCOMPARE(trace(parsed(decoder.feed("OK"))).right(2), QStringLiteral("OK"));
    }

    void resetKeepsLineAndStoredLines()
    {
        DisplayDecoder decoder;
        const auto state = [&decoder] {
            return QStringLiteral("%1 %2 %3 %4 %5/%6 [%7] ")
                       .arg(emulationName(decoder.emulation()), charsetName(decoder.charsetCode()),
                            QString::number(decoder.displayBaud()), decoder.framing().text(),
                            decoder.storedText(0), decoder.storedText(1),
                            decoder.screen().rowText(0).trimmed()) +
                   QString::number(decoder.screen().cursor());
        };
        decoder.feed(frame('C', '1') + frame('B', '5') + frame('P', '6') + frame('S', '<') +
                     frame('L', '1', "up") + frame('L', '2', "low") + "XY");
        QCOMPARE(state(), "ESC/POS RUSSIA 300 o,7,1 up/low [XY] 2");
        decoder.feed(hex("02 05 07 31 03"));
        QCOMPARE(state(), "ZTK U.S.A 300 o,7,1 up/low [] 0");
    }

    // Fixed key order, own fields, escapes and UTF-8, in one line.
    void json()
    {
        DisplayDecoder decoder;
        QCOMPARE(
            eventToJson(decoder.feed(frame('L', '2', hex("22 5C 01 1B 7F 85 E9"))).last()),
            "{\"event\":\"store_line\",\"line\":\"lower\",\"text\":\"\\\"\\\\\\u0001\\u001b"
            "\\u007f\\u0085\xC3\xA9\",\"length\":7,\"message\":\"store lower line (7 bytes)\","
            "\"bytes\":\"02 05 4C 32 22 5C 01 1B 7F 85 E9 03\",\"line1\":\"                    "
            "\",\"line2\":\"                    \",\"cursor\":0,\"cursor_shown\":true,"
            "\"write_mode\":\"overwrite\",\"brightness\":4,\"blink\":0,\"marks1\":\""
            "00000000000000000000\",\"marks2\":\"00000000000000000000\",\"scrolling\":\"\"}");
        // 43 with bit 7 clear fails even parity; it cuts the frame it falls in.
        decoder.setPcLine({9600, {}});
        decoder.feed(frame('P', '4'));
        const QList<DisplayEvent> cut = decoder.feed(hex("82 05 43"));
        const char* const starts[] = {
            "{\"event\":\"speed_mismatch\",\"pc\":9600,\"display\":9600,\"pc_framing\":\"n,8,1\","
            "\"display_framing\":\"e,7,1\",",
            "{\"event\":\"undecoded\",\"reason\":\"cut off by a parity error\",",
            "{\"event\":\"text\",\"char\":\"\xC3\xBE\",\"garbled\":true,\"error\":\"parity\","
            "\"message\":\"garbled \\\"\xC3\xBE\\\" (parity error)\",\"bytes\":\"43\","};
        for (int i = 0; i < 3; ++i)
            QCOMPARE(eventToJson(cut.value(i)).left(qstrlen(starts[i])), QByteArray(starts[i]));
    }

    // Through a real port: the PC side's speed and stop bits come from the device's settings. A PC
    // side killed with the port open leaves its exclusive mode on the terminal, which the display
    // keeps open: the display takes it off, so the next opener gets in.
    void throughThePort()
    {
        vq::test::VirtualDisplay display;
        QVERIFY(display.start()); // the device path comes first
        const std::tuple<int, int, QByteArray, QString> steps[] = {
            {9600, 1, frame('C', '3') + "Hi", "emulation(02 05 43 33 03) Hi"},
            // The frame straight after the new speed was clocked in at the old one, whichever
            // read it comes in; the byte after it is not.
            {9600, 1, frame('B', '7'), "display_baud(02 05 42 37 03)"},
            {9600, 1, frame('P', '1') + "a",
             "display_framing(02 05 50 31 03) [line differs: PC 9600 n,8,1, display 19200 n,8,1] "
             "framing(06) \u00FE"},
            {19200, 2, "d", "[line differs: PC 19200 n,8,2, display 19200 n,8,1] d"},
            {19200, 1, "f", "[lines agree again: 19200 n,8,1] f"},
        };
        for (const auto& [pcBaud, stopBits, data, expected] : steps) {
            QSerialPort port(display.path());
            port.setBaudRate(pcBaud);
            port.setStopBits(QSerialPort::StopBits(stopBits));
            QVERIFY2(port.open(QIODevice::WriteOnly), qPrintable(port.errorString()));
            QVERIFY(display.hold()); // the step arrives in one read
            QVERIFY(port.write(data) == data.size() && port.flush() && port.bytesToWrite() == 0);
            display.release();
            const QList<QJsonObject> events =
                display.eventsUntil([&](const QList<QJsonObject>& got) {
                    return trace(got).size() >= expected.size();
                });
            QCOMPARE(trace(events), expected);
            for (const QJsonObject& e : events) {
                // Garbage must not pass for what was sent, and it is on the screen.
                const QString glyph = e["char"].toString(),
                              screen = e["line1"].toString() + e["line2"].toString();
                QVERIFY(!e["garbled"].toBool() ||
                        (glyph >= QStringLiteral("\u00A0") &&
                         glyph == screen.mid((e["cursor"].toInt() + 39) % 40, 1)));
            }
        }
        const QByteArray path = display.path().toLocal8Bit();
        const pid_t child = ::fork();
        if (child == 0) {
            const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY);
            ::ioctl(fd, TIOCEXCL);
            ::flock(fd, LOCK_EX);
            ::_exit(0);
        }
        QVERIFY(child > 0 && ::waitpid(child, nullptr, 0) == child);
        const auto exclusive = [&] {
            const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            int on = fd < 0; // refused: another user's open meets the mode itself
            if (fd >= 0 && ::ioctl(fd, TIOCGEXCL, &on) == 0)
                ::close(fd);
            return on != 0;
        };
        QVERIFY(exclusive());
        QTRY_VERIFY_WITH_TIMEOUT(!exclusive(), vq::test::kPatienceMs);
        display.process().terminate();
        QVERIFY(display.process().waitForFinished(vq::test::kPatienceMs));
        QCOMPARE(display.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(display.process().exitCode(), 0);
    }

    void lcdproc_data()
    {
        QTest::addColumn<QString>("emulation");   // set with vq3360ctl first; empty: power-on ZTK
        QTest::addColumn<QStringList>("running"); // line1|line2 while LCDd runs, any of them
        QTest::addColumn<QStringList>("after");   // once LCDd has ended, either
        // "!#8~`" makes "~`" the attention code; "~`1" and "~`2" frames write whole rows; the
        // heartbeat in the upper row's last cell goes "#", "-". On SIGTERM, the goodbye.
        const QString server = "## LCDproc Server #", clients = "Cli: 0  Scr: 0      ";
        QTest::newRow("AEDEX") << "aedex"
                               << QStringList{server + "#|" + clients, server + "-|" + clients}
                               << QStringList{"  Thanks for using  |  LCDproc & Linux!  "};
        // ZTK shows the frames as text: "!#8~`", CR back to its start; a 23-byte frame fills the
        // row it starts on and the other's first three cells, and its CR starts the next frame
        // on that other row, so the rows take turns. The last two frames say goodbye.
        const QString heartbeat = "~`1## LCDproc Server";
        QStringList running;
        for (const char* beat : {" ##", " #-"})
            running << heartbeat + '|' + beat + heartbeat.mid(3)
                    << beat + heartbeat.mid(3) + '|' + heartbeat;
        QTest::newRow("left in ZTK") << "" << running
                                     << QStringList{"!    Thanks for usin|~`2  LCDproc & Linux",
                                                    "~`2  LCDproc & Linux|!    Thanks for usin"};
    }

    // Debian's LCDd, a point-of-sale client nobody here wrote, on its serialPOS driver in AEDEX,
    // on a server port of its own on the loopback.
    void lcdproc()
    {
        QFETCH(QString, emulation);
        QFETCH(QStringList, running);
        QFETCH(QStringList, after);
        vq::test::VirtualDisplay display;
        QVERIFY(display.start());
        if (!emulation.isEmpty()) {
            QProcess ctl;
            ctl.start(QStringLiteral(VQ_CTL_EXE),
                      {"--device", display.path(), "emulation", emulation});
            QVERIFY(ctl.waitForFinished(vq::test::kPatienceMs) && ctl.exitCode() == 0);
            QCOMPARE(display.events(1).value(0)["name"].toString(), emulation.toUpper());
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
        QVERIFY(::bind(probe, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
                ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size) == 0);
        ::close(probe);
        QTemporaryDir dir;
        QFile config(dir.filePath("LCDd.conf"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(
            QStringLiteral("[server]\nDriverPath=/usr/lib/x86_64-linux-gnu/lcdproc/\n"
                           "Driver=serialPOS\nBind=127.0.0.1\nPort=%1\nUser=%2\n"
                           "Foreground=yes\nReportToSyslog=no\n[serialPOS]\nDevice=%3\n"
                           "Size=20x2\nType=AEDEX\nSpeed=9600\n")
                .arg(ntohs(address.sin_port))
                .arg(QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name), display.path())
                .toUtf8());
        config.close();
        QProcess lcdd;
        lcdd.setProcessChannelMode(QProcess::MergedChannels);
        lcdd.start(QStringLiteral("/usr/sbin/LCDd"), {"-f", "-c", config.fileName()});
        QVERIFY2(lcdd.waitForStarted(vq::test::kPatienceMs), "LCDd: bash scripts/deps.sh test");
        // Read until the screen shows one of them; LCDd writes on and on, so not for ever.
        const auto shown = [&display](const QStringList& screens) {
            const auto seen = [&screens](const QList<QJsonObject>& got) {
                return !got.isEmpty() && screens.contains(got.last()["line1"].toString() + '|' +
                                                          got.last()["line2"].toString());
            };
            return seen(display.eventsUntil(
                [&](const QList<QJsonObject>& got) { return got.size() > 2000 || seen(got); }));
        };
        const bool served = shown(running);
        lcdd.terminate();
        QVERIFY(lcdd.waitForFinished(vq::test::kPatienceMs));
        QVERIFY2(served, lcdd.readAll().constData());
        QVERIFY(shown(after));
    }

    void commandLine_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("display"); // a display to reach
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("mentions");
        const QString vd = QStringLiteral(VQ_VDISPLAY_EXE), app = QStringLiteral(VQ_APP_EXE);
        QTest::newRow("help") << vd << QStringList{"--help"} << true << 0 << "--headless";
        QTest::newRow("version") << vd << QStringList{"--version"} << true << 0 << VQ_VERSION;
        QTest::newRow("Qt's own options")
            << vd << QStringList{"-style", "fusion", "-reverse", "--version"} << true << 0
            << VQ_VERSION;
        QTest::newRow("unknown option")
            << vd << QStringList{"--headless", "--bogus"} << true << 2 << "bogus";
        QTest::newRow("stray argument")
            << vd << QStringList{"--headless", "extra"} << true << 2 << "extra";
        QTest::newRow("no display") << vd << QStringList{} << false << 2 << "--headless";
        QTest::newRow("no display, bad option")
            << vd << QStringList{"--bogus"} << false << 2 << "bogus";
        QTest::newRow("utility, no display")
            << app << QStringList{} << false << 2 << "-platform offscreen or under xvfb-run";
        QTest::newRow("utility, unreachable display")
            << app << QStringList{"-platform", "xcb"} << true << 2 << "xvfb-run";
    }

    void commandLine()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(bool, display);
        QFETCH(int, exitCode);
        QFETCH(QString, mentions);
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        if (display) // one that nobody serves
            env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":97"));
        process.setProcessEnvironment(env);
        process.start(program, arguments);
        QVERIFY(process.waitForFinished(vq::test::kPatienceMs));
        QCOMPARE(process.exitCode(), exitCode);
        const QByteArray said = process.readAllStandardOutput() + process.readAllStandardError();
        QVERIFY2(said.contains(mentions.toUtf8()), said.constData());
        if (exitCode == 2) // one line, not Qt's page of plugin text
            QCOMPARE(said.count('\n'), said.contains("Try --help") ? 2 : 1);
    }
};

QTEST_GUILESS_MAIN(TstVirtualDisplay)
#include "tst_virtual_display.moc"
