#include "virtual_display/displaydecoder.h"
#include "virtual_display/eventjson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QtTest>

using namespace vq::vdisplay;

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

QByteArray frame(char code, char param, const QByteArray& text = {})
{
    return QByteArray("\x02\x05", 2) + code + param + text + '\x03';
}

QString pad(const QString& text)
{
    return text.leftJustified(20, QLatin1Char(' '));
}

// Compact trace: plain text events as their character, everything else as name(bytes).
QString trace(const QList<DisplayEvent>& events)
{
    QStringList parts;
    for (const DisplayEvent& e : events) {
        if (e.event == QLatin1String("text") && !e.field(QStringLiteral("garbled")).toBool())
            parts << e.field(QStringLiteral("char")).toString();
        else
            parts << QStringLiteral("%1(%2)").arg(e.event, hexBytes(e.bytes));
    }
    return parts.join(QLatin1Char(' '));
}

QStringList names(const QList<DisplayEvent>& events)
{
    QStringList out;
    for (const DisplayEvent& e : events)
        out << e.event;
    return out;
}

QString setting(const DisplayDecoder& decoder, const QString& name)
{
    if (name == QLatin1String("emulation"))
        return emulationName(decoder.emulation());
    if (name == QLatin1String("baud"))
        return QString::number(decoder.displayBaud());
    if (name == QLatin1String("framing"))
        return decoder.framing().text();
    return charsetName(decoder.charsetCode());
}

struct EmulationRow {
    char mode;
    const char* name;
};
const EmulationRow emulations[] = {{'7', "ZTK"},    {'0', "DSP800"}, {'1', "ESC/POS"},
                                   {'2', "ADM788"}, {'3', "ADM787"}, {'4', "AEDEX"},
                                   {'5', "UTC/P"},  {'6', "UTC/S"}};

} // namespace

class TestVirtualDisplayDecoder : public QObject {
    Q_OBJECT

private slots:
    void screenText_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("line1");
        QTest::addColumn<QString>("line2");
        QTest::addColumn<int>("cursor");

        const QByteArray up = "ABCDEFGHIJKLMNOPQRST";
        const QByteArray low = "abcdefghijklmnopqrst";
        const struct {
            const char* name;
            QByteArray input;
            QString line1, line2;
            int cursor;
        } rows[] = {
            {"plain", "ABC", "ABC", "", 3},
            {"wraps at 20", up + "U", up, "U", 21},
            {"fills both lines", up + low, up, low, 0},
            {"wraps at 40 to top", up + low + "!", "!BCDEFGHIJKLMNOPQRST", low, 1},
            {"BS at home goes to last cell", "\b", "", "", 39},
            {"BS at home then text", "\bX", "", "                   X", 0},
            {"BS erases nothing", "AB\b", "AB", "", 1},
            {"BS from lower start", up + "\b", up, "", 19},
            {"CR on upper", "ABC\rX", "XBC", "", 1},
            {"CR on lower", up + "ab\r", up, "ab", 20},
            {"LF keeps column", "AB\nC", "AB", "  C", 23},
            {"LF from lower to upper", "AB\n\nC", "ABC", "", 3},
            {"Latin-1 high bytes", hex("E9FCA3"), QString::fromLatin1("\xE9\xFC\xA3"), "", 3},
            {"80 is drawn", hex("80"), QString(QChar(0x80)), "", 1},
            {"controls and DEL not drawn",
             "A\x1B\x07\x7F"
             "Z",
             "AZ", "", 2},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << r.input << r.line1 << r.line2 << r.cursor;
    }

    void screenText()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, line1);
        QFETCH(QString, line2);
        QFETCH(int, cursor);

        DisplayDecoder decoder;
        const QList<DisplayEvent> events = decoder.feed(input);
        QCOMPARE(events.size(), input.size()); // one event per byte
        QCOMPARE(decoder.screen().lineText(0), pad(line1));
        QCOMPARE(decoder.screen().lineText(1), pad(line2));
        QCOMPARE(decoder.screen().cursor(), cursor);
        QCOMPARE(events.last().line1, pad(line1));
        QCOMPARE(events.last().cursor, cursor);
    }

    void clearSequences_data()
    {
        QTest::addColumn<char>("mode");
        QTest::addColumn<QByteArray>("sequence");
        QTest::addColumn<bool>("clears");

        // Which of FF, US and the DSP800 sequence clear in each emulation.
        const bool expected[][3] = {{true, false, false}, {false, false, true},
                                    {true, false, false}, {true, false, false},
                                    {true, false, false}, {false, false, false},
                                    {false, true, false}, {false, true, false}};
        const char* sequences[] = {"0C", "1F", "040143315817"};
        for (int e = 0; e < 8; ++e) {
            for (int s = 0; s < 3; ++s)
                QTest::addRow("%s %s", emulations[e].name, sequences[s])
                    << emulations[e].mode << hex(sequences[s]) << expected[e][s];
        }
    }

    void clearSequences()
    {
        QFETCH(char, mode);
        QFETCH(QByteArray, sequence);
        QFETCH(bool, clears);

        DisplayDecoder decoder;
        decoder.feed(frame('C', mode) + "HELLO");
        const QList<DisplayEvent> events = decoder.feed(sequence);
        QCOMPARE(names(events).count(QStringLiteral("clear")), clears ? 1 : 0);
        if (clears) {
            QCOMPARE(events.last().bytes, sequence);
            QCOMPARE(decoder.screen().lineText(0), pad(QString()));
            QCOMPARE(decoder.screen().cursor(), 0);
        } else {
            QVERIFY(decoder.screen().lineText(0).startsWith(QLatin1String("HELLO")));
            QVERIFY(names(events).contains(QStringLiteral("control")));
        }
        QVERIFY(decoder.pendingBytes().isEmpty());
    }

    void configFrames_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("event");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("settingName");

        for (const auto& row : emulations)
            QTest::addRow("emulation %s", row.name) << frame('C', row.mode) << "emulation"
                                                    << "name" << row.name << "emulation";
        QTest::newRow("reset emulation") << hex("0205073103") << "reset"
                                         << "emulation"
                                         << "ZTK"
                                         << "emulation";
        QTest::newRow("reset charset") << hex("0205073103") << "reset"
                                       << "charset"
                                       << "U.S.A"
                                       << "charset";

        const QStringList bauds = {"9600", "4800", "2400", "1200", "600", "300", "38400", "19200"};
        for (int i = 0; i < 8; ++i)
            QTest::addRow("baud %s", qPrintable(bauds[i]))
                << frame('B', char('0' + i)) << "display_baud"
                << "baud" << bauds[i] << "baud";

        const QStringList framings = {"n,8,1", "n,7,1", "e,8,1", "e,7,1", "o,8,1", "o,7,1"};
        for (int i = 0; i < 6; ++i)
            QTest::addRow("framing %s", qPrintable(framings[i]))
                << frame('P', char('1' + i)) << "display_framing"
                << "framing" << framings[i] << "framing";

        const QStringList charsets =
            QStringLiteral("U.S.A|FRANCE|GERMANY|U.K|DENMARK I|SWEDEN|ITALY|SPAIN|JAPAN|NORWAY|"
                           "DENMARK II|SLAVONIC|RUSSIA|Factory define (3D)|Factory define (3E)|"
                           "User define pattern")
                .split(QLatin1Char('|'));
        for (int i = 0; i < 16; ++i)
            QTest::addRow("charset %02X", 0x30 + i) << frame('S', char(0x30 + i)) << "charset"
                                                    << "name" << charsets[i] << "charset";
    }

    void configFrames()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, event);
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, settingName);

        // A start that differs from power-on in every setting, so rows that name a power-on
        // value cannot pass by standing still (configFromPowerOn covers the start's values).
        DisplayDecoder decoder;
        decoder.feed(frame('C', '4') + frame('B', '5') + frame('P', '6') + frame('S', '<') + "XY");
        const QList<DisplayEvent> events = decoder.feed(input);
        QCOMPARE(names(events), QStringList{event});
        QCOMPARE(events[0].bytes, input);
        QCOMPARE(events[0].field(field).toVariant().toString(), value);
        QCOMPARE(setting(decoder, settingName), value);
        QCOMPARE(decoder.screen().lineText(0), pad(event == QLatin1String("reset") ? "" : "XY"));
    }

    void configFromPowerOn()
    {
        DisplayDecoder decoder;
        decoder.feed(frame('C', '4') + frame('B', '5') + frame('P', '6') + frame('S', '<'));
        QCOMPARE(setting(decoder, QStringLiteral("emulation")), QStringLiteral("AEDEX"));
        QCOMPARE(setting(decoder, QStringLiteral("baud")), QStringLiteral("300"));
        QCOMPARE(setting(decoder, QStringLiteral("framing")), QStringLiteral("o,7,1"));
        QCOMPARE(setting(decoder, QStringLiteral("charset")), QStringLiteral("RUSSIA"));
    }

    void demoLines_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("upper");
        QTest::addColumn<QByteArray>("lower");

        const QByteArray a = frame('L', '1', "A"), b = frame('L', '2', "B");
        const QByteArray long30 = "123456789012345678901234567890";
        const struct {
            const char* name;
            QByteArray input, upper, lower;
        } rows[] = {
            {"store both", a + b, "A", "B"},
            {"store long", frame('L', '2', long30), {}, long30},
            {"after text", "ABCDEFGH" + a, "A", {}},
            {"clear upper", a + b + hex("0205073203"), {}, "B"},
            {"clear lower", a + b + hex("0205073303"), "A", {}},
            {"store replaces", frame('L', '1', "old") + a, "A", {}},
            {"text holds STX ENQ", frame('L', '1', hex("6102056207")), hex("6102056207"), {}},
            {"empty text", a + frame('L', '1', {}), {}, {}},
            {"reset keeps lines", a + b + hex("0205073103"), "A", "B"},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << r.input << r.upper << r.lower;
    }

    void demoLines()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, upper);
        QFETCH(QByteArray, lower);

        DisplayDecoder decoder;
        QVERIFY(!names(decoder.feed(input)).contains(QStringLiteral("undecoded")));
        QCOMPARE(decoder.storedLine(0), upper);
        QCOMPARE(decoder.storedLine(1), lower);

        const QList<DisplayEvent> shown = decoder.feed(hex("0205440803"));
        QCOMPARE(names(shown), QStringList{QStringLiteral("show_demo")});
        // Control bytes in a stored line show as blanks; only twenty characters fit.
        QByteArray visible = upper.left(20);
        for (char& c : visible)
            c = static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
        QCOMPARE(decoder.screen().lineText(0), pad(QString::fromLatin1(visible)));
        QCOMPARE(decoder.screen().lineText(1), pad(QString::fromLatin1(lower.left(20))));
        QCOMPARE(decoder.screen().cursor(), 0);
    }

    void splitReads_data()
    {
        QTest::addColumn<int>("chunk");
        for (int chunk : {1, 3, 7, 64})
            QTest::addRow("chunks of %d", chunk) << chunk;
    }

    void splitReads()
    {
        QFETCH(int, chunk);
        const QByteArray input = frame('C', '0') + "Hi" + hex("040143315817") +
                                 frame('L', '1', "demo") + hex("0205440803") + frame('B', '7') +
                                 frame('Z', '1') + "!";
        DisplayDecoder whole;
        QStringList wholeJson;
        for (const DisplayEvent& e : whole.feed(input))
            wholeJson << QString::fromUtf8(eventToJson(e));

        DisplayDecoder pieces;
        QList<DisplayEvent> events;
        for (qsizetype at = 0; at < input.size(); at += chunk)
            events << pieces.feed(input.mid(at, chunk));
        QStringList piecesJson;
        for (const DisplayEvent& e : events)
            piecesJson << QString::fromUtf8(eventToJson(e));

        QCOMPARE(trace(events), QStringLiteral("emulation(02 05 43 30 03) H i "
                                               "clear(04 01 43 31 58 17) "
                                               "store_line(02 05 4C 31 64 65 6D 6F 03) "
                                               "show_demo(02 05 44 08 03) "
                                               "display_baud(02 05 42 37 03) "
                                               "undecoded(02 05 5A 31 03) !"));
        QCOMPARE(piecesJson, wholeJson);
    }

    void undecoded_data()
    {
        QTest::addColumn<char>("mode");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("expected");

        const struct {
            const char* name;
            char mode;
            const char* input;
            const char* expected;
        } rows[] = {
            {"unknown code", '7', "02055A31034F4B", "undecoded(02 05 5A 31 03) O K"},
            {"emulation 8", '7', "0205433803", "undecoded(02 05 43 38 03)"},
            {"baud 8", '7', "0205423803", "undecoded(02 05 42 38 03)"},
            {"framing 0", '7', "0205503003", "undecoded(02 05 50 30 03)"},
            {"charset 40", '7', "0205534003", "undecoded(02 05 53 40 03)"},
            {"BEL 4", '7', "0205073403", "undecoded(02 05 07 34 03)"},
            {"show with digit 8", '7', "0205443803", "undecoded(02 05 44 38 03)"},
            {"store line 3", '7', "02054C336103", "undecoded(02 05 4C 33 61 03)"},
            {"extra byte before ETX", '7', "020543333303", "undecoded(02 05 43 33 33 03)"},
            {"junk after STX ENQ", '7', "0205FFFFFF0341", "undecoded(02 05 FF FF FF 03) A"},
            {"too short", '7', "020503", "undecoded(02 05 03)"},
            {"no parameter", '7', "02054303", "undecoded(02 05 43 03)"},
            {"new frame before ETX", '7', "020543330205423703",
             "undecoded(02 05 43 33) display_baud(02 05 42 37 03)"},
            {"STX without ENQ", '7', "0241", "control(02) A"},
            {"STX STX ENQ", '7', "020205433703", "control(02) emulation(02 05 43 37 03)"},
            {"DSP800 cut by text", '0', "04014341", "undecoded(04 01 43) A"},
            {"DSP800 restarted", '0', "0401040143315817",
             "undecoded(04 01) clear(04 01 43 31 58 17)"},
            {"DSP800 cut by frame", '0', "04010205433703",
             "undecoded(04 01) emulation(02 05 43 37 03)"},
            {"EOT outside DSP800", '1', "0401", "control(04) control(01)"},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << r.mode << hex(r.input) << QString::fromLatin1(r.expected);
    }

    void undecoded()
    {
        QFETCH(char, mode);
        QFETCH(QByteArray, input);
        QFETCH(QString, expected);

        DisplayDecoder decoder;
        decoder.feed(frame('C', mode));
        const QList<DisplayEvent> events = decoder.feed(input);
        QCOMPARE(trace(events), expected);
        QVERIFY(decoder.pendingBytes().isEmpty());
        for (const DisplayEvent& e : events) {
            if (e.event == QLatin1String("undecoded"))
                QVERIFY(!e.field(QStringLiteral("reason")).toString().isEmpty());
        }
    }

    void floodsStayCapped_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("undecodedCount");
        QTest::addColumn<int>("cutCount");
        QTest::addColumn<int>("upperLength");

        const int cap = DisplayDecoder::FrameCap, keep = DisplayDecoder::StoredTextCap;
        const QByteArray bulk(100000, 'x');
        QTest::newRow("100,000 bytes of text") << bulk << 0 << 0 << 0;
        QTest::newRow("store frame without ETX") << hex("02054C31") + bulk << 1 << 0 << 0;
        QTest::newRow("fixed frame without ETX") << hex("02054333") + bulk << 1 << 0 << 0;
        QTest::newRow("junk frame without ETX") << hex("0205") + bulk << 1 << 0 << 0;
        QTest::newRow("store text over keep limit")
            << frame('L', '1', QByteArray(3000, 'k')) << 0 << 1 << keep;
        QTest::newRow("store text at keep limit")
            << frame('L', '1', QByteArray(keep, 'k')) << 0 << 0 << keep;
        QTest::newRow("largest store frame")
            << frame('L', '1', QByteArray(cap - 5, 'k')) << 0 << 1 << keep;
        QTest::newRow("store frame one too long")
            << frame('L', '1', QByteArray(cap - 4, 'k')) << 1 << 0 << 0;

        QByteArray noise(200000, Qt::Uninitialized);
        QRandomGenerator generator(3360);
        static const char steering[] = {0x02, 0x05, 0x03, 'L', '1', 0x04, 0x01, 'C'};
        for (char& byte : noise) {
            const quint32 pick = generator.bounded(16); // half the bytes steer the state machine
            byte = pick < 8 ? steering[pick] : char(generator.bounded(256));
        }
        QTest::newRow("random noise") << noise << -1 << -1 << -1;
    }

    void floodsStayCapped()
    {
        QFETCH(QByteArray, input);
        QFETCH(int, undecodedCount);
        QFETCH(int, cutCount);
        QFETCH(int, upperLength);

        DisplayDecoder decoder;
        decoder.feed(frame('C', '0')); // DSP800, so the EOT sequence is live too
        QStringList seen;
        for (qsizetype at = 0; at < input.size(); at += 1000) {
            for (const DisplayEvent& e : decoder.feed(input.mid(at, 1000))) {
                QVERIFY(e.bytes.size() <= DisplayDecoder::FrameCap);
                seen << e.event;
            }
            QVERIFY(decoder.pendingBytes().size() < DisplayDecoder::FrameCap);
            QVERIFY(decoder.storedLine(0).size() <= DisplayDecoder::StoredTextCap);
            QVERIFY(decoder.storedLine(1).size() <= DisplayDecoder::StoredTextCap);
        }
        if (undecodedCount >= 0)
            QCOMPARE(seen.count(QStringLiteral("undecoded")), undecodedCount);
        if (cutCount >= 0)
            QCOMPARE(seen.count(QStringLiteral("text_cut")), cutCount);
        if (upperLength >= 0)
            QCOMPARE(decoder.storedLine(0).size(), upperLength);
    }

    void speedMismatch_data()
    {
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<int>("pcBaud");
        QTest::addColumn<QString>("message");

        const QString none;
        QTest::newRow("both at power-on speed") << QByteArray() << 9600 << none;
        QTest::newRow("PC speed unknown") << frame('B', '7') << 0 << none;
        QTest::newRow("display moved to 19200")
            << frame('B', '7') << 9600 << "line speed differs: PC 9600, display 19200";
        QTest::newRow("PC faster")
            << QByteArray() << 38400 << "line speed differs: PC 38400, display 9600";
    }

    void speedMismatch()
    {
        QFETCH(QByteArray, setup);
        QFETCH(int, pcBaud);
        QFETCH(QString, message);

        DisplayDecoder decoder;
        decoder.feed(setup);
        decoder.setPcBaud(pcBaud);
        const QByteArray text = "Price" + hex("0205073103");
        const QList<DisplayEvent> events = decoder.feed(text);
        if (message.isEmpty()) {
            QCOMPARE(trace(events), QStringLiteral("P r i c e reset(02 05 07 31 03)"));
            return;
        }
        QCOMPARE(events.first().event, QStringLiteral("speed_mismatch"));
        QCOMPARE(events.first().message, message);
        QCOMPARE(events.size(), text.size() + 1); // one glyph per byte, nothing decoded
        for (qsizetype i = 1; i < events.size(); ++i) {
            QVERIFY(events[i].field(QStringLiteral("garbled")).toBool());
            QCOMPARE(events[i].bytes, text.mid(i - 1, 1));
        }
        QCOMPARE(decoder.screen().lineText(0).at(0), QChar(DisplayDecoder::garbleGlyph('P')));
        QVERIFY(!decoder.screen().lineText(0).contains(QLatin1String("Pr")));
    }

    void speedRecovers()
    {
        DisplayDecoder decoder;
        decoder.setPcBaud(9600);
        // What arrived with the baud command was clocked in at the old speed.
        QCOMPARE(trace(decoder.feed(hex("02054237030205503103") + "\x02\x05")),
                 QStringLiteral("display_baud(02 05 42 37 03) display_framing(02 05 50 31 03)"));
        QCOMPARE(decoder.pendingBytes(), hex("0205"));
        QCOMPARE(trace(decoder.feed("a")),
                 QStringLiteral("speed_mismatch() undecoded(02 05) text(61)"));
        QCOMPARE(trace(decoder.feed("b")), QStringLiteral("text(62)")); // reported once
        decoder.setPcBaud(19200);
        QCOMPARE(trace(decoder.feed("c")), QStringLiteral("speed_match() c"));
        decoder.setPcBaud(4800);
        QCOMPARE(trace(decoder.feed("d")), QStringLiteral("speed_mismatch() text(64)"));
    }

    void jsonStrings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("json");

        QTest::newRow("plain") << "ADM787" << QByteArray("\"ADM787\"");
        QTest::newRow("quote, backslash") << "a\"b\\c" << QByteArray("\"a\\\"b\\\\c\"");
        QTest::newRow("DEL and C1")
            << QString(QChar(0x7F)) + QChar(0x85) << QByteArray("\"\\u007f\\u0085\"");
        QTest::newRow("Latin-1 as UTF-8")
            << QString::fromLatin1("\xE9\xA3") << QByteArray("\"\xC3\xA9\xC2\xA3\"");
    }

    void jsonStrings()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, json);
        QCOMPARE(jsonString(text), json);
        QCOMPARE(QJsonDocument::fromJson("[" + json + "]").array().at(0).toString(), text);
    }

    void jsonEventLayout()
    {
        DisplayDecoder decoder;
        decoder.feed("Hi");
        const QList<DisplayEvent> events = decoder.feed(hex("0205433303"));
        QCOMPARE(events.size(), 1);
        QCOMPARE(eventToJson(events[0]),
                 QByteArray("{\"event\":\"emulation\",\"name\":\"ADM787\",\"mode\":\"3\","
                            "\"message\":\"emulation ADM787\",\"bytes\":\"02 05 43 33 03\","
                            "\"line1\":\"Hi                  \",\"line2\":\"                    \","
                            "\"cursor\":2}"));
    }
};

QTEST_GUILESS_MAIN(TestVirtualDisplayDecoder)
#include "tst_virtual_display_decoder.moc"
