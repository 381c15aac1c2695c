// The byte tables, once: the utility's real windows, offscreen, with COM1 on the virtual display
// running headless as a child process. Every row drives the windows as an operator would and
// compares what the display decoded with the bytes the tables give.
#include "demo/datasave.h"
#include "dialogs/msgwindow.h"
#include "display/formbaud.h"
#include "display/formint.h"
#include "harness.h"
#include "modal.h"
#include "ui/formbuilder.h"
#include "util.h"
#include "vdisplay.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace vq;
using namespace vq::test;

namespace {

const QString kShow = QStringLiteral("show_demo 02 05 44 08 03");
// The display put back on the utility's line, 9600 N_8_1.
const QStringList kBackTo9600{"display_baud 02 05 42 30 03", "display_framing 02 05 50 31 03"};

// Each event as "name BYTES": the bytes are the tables' own, the name what the display made
// of them.
QStringList heardAs(const QList<QJsonObject>& events)
{
    QStringList out;
    for (const QJsonObject& e : events)
        out << e.value("event").toString() + u' ' + e.value("bytes").toString();
    return out;
}

// A show ends what a row sends: once it is heard, all before it has arrived.
bool endsInShow(const QList<QJsonObject>& events)
{
    return !events.isEmpty() && events.last().value("event") == QLatin1String("show_demo");
}

// line: '1' upper, '2' lower.
QString stored(char line, const QString& text)
{
    return "store_line " + hexOf(hex("02 05 4C") + line + text.toLatin1() + '\x03');
}

// The option at a place of the character set grid (column 1..3, row 1..6), found where an
// operator sees it: the two "Factory define" options share their caption.
QRadioButton* charsetOptionAt(QWidget* dialog, int column, int row)
{
    constexpr int kLeft[] = {360, 2520, 5040}; // twips, as designed
    return qobject_cast<QRadioButton*>(
        dialog->childAt(px(kLeft[column - 1]) + 2, px(840 + 600 * (row - 1)) + 2));
}

// One operator action in the interactive demo and what the display hears of it.
struct Step {
    QString key; // typed key by key, or \b (Backspace), \r (Enter), empty: Clear
    QStringList events;
    QString box;         // the text box afterwards
    QString screen = {}; // the display's upper row afterwards, trimmed; null: not looked at
};

// How an emulation takes what the operator types: the events of printable keys, of BS and of
// CR; its clear sequence's events; its upper row after "Hi", "é", BS, "€", Enter, "J", and
// after Clear.
struct Typing {
    const char* text;
    const char* bs;
    const char* cr;
    QStringList clear;
    QString shown;
    QString cleared;
};

QList<Step> typingThenClear(const Typing& t)
{
    const auto as = [](const char* kind, const char* bytes) { return QString(kind) + ' ' + bytes; };
    return {
        {"Hi", {as(t.text, "48"), as(t.text, "69")}, "Hi"},
        {"é", {as(t.text, "E9")}, "Hié"},
        {"\\b", {as(t.bs, "08")}, "Hi"},
        {"€", {as(t.text, "3F")}, "Hi€"}, // beyond Latin-1
        {"\\r", {as(t.cr, "0D")}, "Hi€\n"},
        {"J", {as(t.text, "4A")}, "Hi€\nJ", t.shown},
        {"", t.clear + QStringList{as(t.cr, "0D")}, "", t.cleared},
    };
}

// A persistent-demo entry; with `how` (Ok, Enter, Cancel) it asks for a text in the input box.
struct Act {
    QString entry;
    QString text;
    QString how;
};

} // namespace

Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(Act)

class TstWire : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // scripts/run.sh starts the display only when it finds it beside the utility.
        QCOMPARE(QFileInfo(QStringLiteral(VQ_VDISPLAY_EXE)).absolutePath(),
                 QFileInfo(QStringLiteral(VQ_APP_EXE)).absolutePath());
        QVERIFY(startAll());
        // A box nobody answers would hang the run: close it after a long while and fail.
        connect(&m_watchdog, &QTimer::timeout, this, [this] {
            QWidget* box = QApplication::activeModalWidget();
            if (box && box == std::exchange(m_lastModal, box)) {
                m_stuck << box->windowTitle();
                dismiss(box);
            }
        });
        m_watchdog.start(kPatienceMs);
    }

    void init()
    {
        QVERIFY(m_h);
        m_h->start();
        if (!main()->Comm1().portOpen())
            click(portButton(0));
        QVERIFY2(main()->Comm1().portOpen(), qPrintable(main()->LastOpenError));
        QCOMPARE(main()->Comm1().settings(), QStringLiteral("9600,n,8,1"));
    }

    void cleanup()
    {
        m_display->release();
        // A row that failed half-way may leave the two sides at other speeds: start afresh.
        if (QTest::currentTestFailed()) {
            stopAll();
            QVERIFY(startAll());
        } else {
            delete m_h->ctx().window<DATASAVE>();
            delete m_h->ctx().window<FormBaud>();
            delete m_h->ctx().window<FormInt>();
        }
        const QStringList stuck = std::exchange(m_stuck, {});
        QVERIFY2(stuck.isEmpty(), qPrintable("unanswered box: " + stuck.join(", ")));
    }

    void emulation_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QList<Step>>("steps"); // in the interactive demo afterwards
        const auto row = [](const char* entry, const char* caption, const char* bytes,
                            const Typing& typing) {
            QTest::newRow(caption) << QString() << entry << caption << "emulation " + QString(bytes)
                                   << typingThenClear(typing);
        };
        // Where BS moves the cursor back, "?" takes the place of "é" and CR brings "J" to the
        // first cell; where it is logged, "?" follows "é"; a display that shows nothing of bare
        // text stays blank.
        const Typing moves{"text", "cursor", "cursor", {"clear 0C"}, "Ji?", ""};
        row("numZtk", "Z&TK", "02 05 43 37 03", moves);
        row("NUMDSP800", "&DSP800", "02 05 43 30 03",
            {"text", "control", "control", {"clear 04 01 43 31 58 17"}, "Hi\u00E9?J", ""});
        row("NUMPOS", "ESC/&POS", "02 05 43 31 03", moves);
        const Typing adm{"text", "control", "cursor", {"clear 0C"}, "Ji\u00E9?", ""};
        row("NUMADM788", "A&DM788", "02 05 43 32 03", adm);
        row("NUMADM787", "AD&M787", "02 05 43 33 03", adm);
        // Bare text goes to the printer port; no clear sequence: CR alone.
        row("NUMAEDEX", "AEDE&X", "02 05 43 34 03",
            {"passthrough", "passthrough", "passthrough", {}, "", ""});
        row("NUMUTCP", "UTC/&P", "02 05 43 35 03",
            {"passthrough", "passthrough", "passthrough", {"passthrough 1F"}, "", ""});
        row("NUMUTCS", "UTC/&S", "02 05 43 36 03",
            {"text", "cursor", "cursor", {"clear 1F"}, "Ji?", ""});
        // The reset keeps the clear sequence of the emulation before it, which ZTK does not know.
        QTest::newRow("reset after UTC/&S")
            << "NUMUTCS"
            << "numall"
            << "&Reset  pole display settings to default"
            << "reset 02 05 07 31 03"
            << typingThenClear({"text", "cursor", "cursor", {"control 1F"}, "Ji?", "Ji?"});
    }

    void emulation()
    {
        QFETCH(QString, before);
        QFETCH(QString, entry);
        QFETCH(QString, caption);
        QFETCH(QString, expected);
        QFETCH(QList<Step>, steps);
        if (!before.isEmpty())
            QVERIFY(trigger(before) && heard(1).size() == 1);
        QAction* action = main()->menuEntry(entry);
        QVERIFY(action);
        QCOMPARE(action->text(), caption);
        action->trigger();
        QCOMPARE(heard(1), QStringList{expected});

        QVERIFY(trigger("numedmo"));
        DATASAVE* demo = m_h->ctx().window<DATASAVE>();
        QVERIFY(demo);
        auto* box = demo->controls().find<QPlainTextEdit>("keyin");
        QVERIFY(box);
        for (const Step& step : steps) {
            if (step.key == u"\\b")
                QTest::keyClick(box, Qt::Key_Backspace);
            else if (step.key == u"\\r")
                QTest::keyClick(box, Qt::Key_Return);
            else if (step.key.isEmpty())
                click(demo->controls().find<QPushButton>("clear"));
            else
                typeInto(box, step.key);
            QCOMPARE(heard(step.events.size()), step.events);
            QCOMPARE(box->toPlainText(), step.box);
            if (!step.screen.isNull())
                QCOMPARE(m_last.value("line1").toString().trimmed(), step.screen);
        }

        // The command-line tool sends the same: the entry, then the keys and Clear as typed.
        QStringList tool = before.isEmpty() ? QStringList{} : QStringList{"emulation", "UTC/S"};
        tool << (entry == u"numall" ? QStringList{"reset"}
                                    : QStringList{"emulation", QString(caption).remove(u'&')});
        QString keys;
        QStringList events =
            before.isEmpty() ? QStringList{} : QStringList{"emulation 02 05 43 36 03"};
        events << expected;
        for (const Step& step : steps) {
            keys += step.key;
            events << step.events;
        }
        QCOMPARE(byTool(tool << "type" << keys << "clear"), events);
    }

    void displayLine_data()
    {
        QTest::addColumn<int>("baudOption");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("frameOption");
        QTest::addColumn<QString>("framing");
        QTest::addColumn<QStringList>("expected");
        const auto row = [](int baudOption, int baud, const char* baudBytes, int frameOption,
                            const char* framing, const char* frameBytes) {
            QTest::addRow("%d %s", baud, framing)
                << baudOption << baud << frameOption << framing
                << QStringList{"display_baud " + QString(baudBytes),
                               "display_framing " + QString(frameBytes)};
        };
        row(1, 300, "02 05 42 35 03", 9, "N_8_1", "02 05 50 31 03");
        row(2, 600, "02 05 42 34 03", 10, "N_7_1", "02 05 50 32 03");
        row(3, 1200, "02 05 42 33 03", 11, "E_8_1", "02 05 50 33 03");
        row(4, 2400, "02 05 42 32 03", 12, "E_7_1", "02 05 50 34 03");
        row(5, 4800, "02 05 42 31 03", 13, "O_8_1", "02 05 50 35 03");
        row(6, 9600, "02 05 42 30 03", 14, "O_7_1", "02 05 50 36 03");
        row(7, 19200, "02 05 42 37 03", 9, "N_8_1", "02 05 50 31 03");
        row(8, 38400, "02 05 42 36 03", 9, "N_8_1", "02 05 50 31 03");
    }

    // The tool, then the display settings dialog, send the same two commands. A pseudo-terminal
    // cannot follow a display onto 7 data bits or parity, so the tool's PC side fails there; after
    // each, a fresh display takes the place of the one on the new line.
    void displayLine()
    {
        QFETCH(int, baudOption);
        QFETCH(int, baud);
        QFETCH(int, frameOption);
        QFETCH(QString, framing);
        QFETCH(QStringList, expected);
        int exitCode = -1;
        const QString line = QString(framing).replace(u'_', u',');
        QCOMPARE(byTool({"display-line", QString::number(baud), line}, 2, &exitCode), expected);
        QCOMPARE(exitCode, line == u"N,8,1" ? 0 : 1);
        QVERIFY(restartDisplay());

        QVERIFY(trigger("numbaudrate"));
        auto* dialog = m_h->ctx().window<FormBaud>();
        QVERIFY(dialog);
        const auto option = [dialog](int n) {
            return dialog->controls().find<QRadioButton>(QStringLiteral("Option%1").arg(n));
        };
        QCOMPARE(option(baudOption)->text(), QString::number(baud));
        QCOMPARE(option(frameOption)->text().trimmed(), framing);
        click(option(baudOption));
        click(option(frameOption));
        // OK with the display held, so the baud and framing commands reach it in one read.
        QVERIFY(m_display->hold());
        click(dialog->controls().find<QPushButton>("CmdOk"));
        m_display->release();
        QCOMPARE(heard(2), expected);
        QTRY_VERIFY_WITH_TIMEOUT(!m_h->ctx().window<FormBaud>(), kPatienceMs);
        QVERIFY(restartDisplay());
    }

    void charset_data()
    {
        QTest::addColumn<int>("column"); // 0: none chosen
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("bytes");
        const auto row = [](int column, int row, const char* caption, const char* code) {
            QTest::addRow("%s (%d,%d)", caption, column, row)
                << column << row << caption << QStringLiteral("02 05 53 %1 03").arg(code);
        };
        row(1, 1, "U.S.A", "30");
        row(1, 2, "FRANCE", "31");
        row(1, 3, "GERMANY", "32");
        row(1, 4, "U.K", "33");
        row(2, 1, "DENMARK I", "34");
        row(2, 3, "SWEDEN", "35");
        row(1, 5, "ITALY", "36");
        row(1, 6, "SPAIN", "37");
        row(2, 4, "JAPAN", "38");
        row(3, 2, "NORWAY", "39");
        row(2, 2, "DENMARK II", "3A");
        row(3, 1, "SLAVONIC", "3B");
        row(3, 3, "RUSSIA", "3C");
        row(3, 5, "Factory define", "3D");
        row(3, 4, "Factory define", "3E");
        row(2, 5, "User define pattern", "3F");
        row(0, 0, "none chosen", "3F");
    }

    void charset()
    {
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(QString, caption);
        QFETCH(QString, bytes);
        QVERIFY(trigger("numinterset"));
        FormInt* dialog = m_h->ctx().window<FormInt>();
        QVERIFY(dialog);
        if (column) {
            QRadioButton* button = charsetOptionAt(dialog, column, row);
            QVERIFY(button);
            QCOMPARE(button->text().simplified(), caption);
            click(button);
        }
        click(dialog->controls().find<QPushButton>("CmdOk"));
        QCOMPARE(heard(1), QStringList{"charset " + bytes});
        // By name, the two "Factory define" told apart by their code; none chosen is its code.
        const QString code = bytes.mid(9, 2);
        const QString name = !column                        ? code
                             : caption == u"Factory define" ? caption + u' ' + code
                                                            : caption;
        QCOMPARE(byTool({"charset", name}), QStringList{"charset " + bytes});
    }

    void persistentDemo_data()
    {
        QTest::addColumn<QList<Act>>("acts");
        QTest::addColumn<QStringList>("expected"); // before the show that ends every row
        QString long250;
        for (int i = 0; i < 250; ++i)
            long250 += QChar(u'A' + i % 26);

        QTest::newRow("upper and lower by Ok")
            << QList<Act>{{"numsave", "abc", "Ok"}, {"numlow", "xyz", "Ok"}}
            << QStringList{stored('1', "abc"), stored('2', "xyz")};
        QTest::newRow("Enter in the field")
            << QList<Act>{{"numsave", "Hello", "Enter"}, {"numlow", "World", "Enter"}}
            << QStringList{stored('1', "Hello"), stored('2', "World")};
        QTest::newRow("Latin-1") << QList<Act>{{"numsave", "Café Grüße", "Ok"}}
                                 << QStringList{stored('1', "Café Grüße")};
        // 01 to FF but ETX, which ends the frame; pasted, as keys give no control characters.
        QString every, back;
        for (int byte = 1; byte < 256; ++byte) {
            if (byte != 3) {
                every += QChar(byte);
                back.prepend(QChar(byte));
            }
        }
        QTest::newRow("every byte value on both lines")
            << QList<Act>{{"numsave", every, "Paste"}, {"numlow", back, "Paste"}}
            << QStringList{stored('1', every), stored('2', back)};
        QTest::newRow("blanks are text")
            << QList<Act>{{"numlow", "   ", "Ok"}} << QStringList{stored('2', "   ")};
        QTest::newRow("250 characters whole")
            << QList<Act>{{"numsave", long250, "Ok"}} << QStringList{stored('1', long250)};
        QTest::newRow("Cancel sends nothing")
            << QList<Act>{{"numsave", "Kept", "Ok"}, {"numsave", "Gone", "Cancel"}}
            << QStringList{stored('1', "Kept")};
        QTest::newRow("empty sends nothing") << QList<Act>{{"numlow", "", "Ok"}} << QStringList{};
        QTest::newRow("clear upper")
            << QList<Act>{{"numupperline", "", ""}} << QStringList{"clear_line 02 05 07 32 03"};
        QTest::newRow("clear lower")
            << QList<Act>{{"numlowerline", "", ""}} << QStringList{"clear_line 02 05 07 33 03"};
    }

    void persistentDemo()
    {
        QFETCH(QList<Act>, acts);
        QFETCH(QStringList, expected);
        for (const Act& act : acts) {
            if (act.how.isEmpty()) {
                QVERIFY(trigger(act.entry));
                continue;
            }
            WhenModal input([&](QWidget* w) {
                auto* box = qobject_cast<MsgWindow*>(w);
                QVERIFY(box);
                if (act.how == u"Paste") {
                    QGuiApplication::clipboard()->setText(act.text);
                    QTest::keyClick(box->text1(), Qt::Key_V, Qt::ControlModifier);
                } else {
                    typeInto(box->text1(), act.text);
                }
                if (act.how == QLatin1String("Enter"))
                    QTest::keyClick(box->text1(), Qt::Key_Return);
                else
                    click(box->button(act.how == QLatin1String("Cancel") ? MsgControl::Command2
                                                                         : MsgControl::Command1));
            });
            QVERIFY(trigger(act.entry));
            QVERIFY(input.seen());
        }
        // The show goes last, so whatever the row sent has arrived once it is heard.
        QVERIFY(trigger("numrun"));
        QCOMPARE(heardUntilShow(), expected + QStringList{kShow});

        QStringList tool;
        for (const Act& act : acts) {
            if (act.entry == u"numupperline" || act.entry == u"numlowerline")
                tool << (act.entry == u"numupperline" ? "clear-upper" : "clear-lower");
            else if (act.how != u"Cancel")
                tool << (act.entry == u"numsave" ? "upper" : "lower")
                     << QString(act.text).replace(u'\\', QStringLiteral("\\\\"));
        }
        QCOMPARE(byTool(tool), expected);
    }

    void toolRuns_data()
    {
        QTest::addColumn<QStringList>("args"); // %1, %2: two more displays
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("heard"); // by this test's display, then the other two
        QTest::addColumn<QString>("says");      // in what the tool prints
        QTest::addColumn<int>("count"); // events this test's display hears; -1: up to a show
        const QString adm787 = QStringLiteral("emulation 02 05 43 33 03");
        QTest::newRow("three displays, one missing")
            << QStringList{"--device", "%1", "--device",  "/nonexistent/vq3360",
                           "--device", "%2", "emulation", "adm787"}
            << 1 << QStringList{adm787, adm787}
            << "/nonexistent/vq3360: failed after 0 of 1 action: No such file or directory" << 0;
        QTest::newRow("the next action at the display's new rate")
            << QStringList{"display-line", "19200", "N,8,1", "emulation", "adm787"} << 0
            << QStringList{"display_baud 02 05 42 37 03", "display_framing 02 05 50 31 03", adm787}
            << "the line is now 19200,n,8,1" << -1;
        // The profile's line is honoured: the display is on 19200 first.
        QTest::newRow("a profile on stdin")
            << QStringList{"--profile", "-"} << 0
            << QStringList{adm787, stored('1', " Lane 3, \"welcome\"; "), kBackTo9600[0],
                           kBackTo9600[1]}
            << "upper  Lane 3, \"welcome\"; " << -1;
        QTest::newRow("a bad action sends nothing")
            << QStringList{"emulation", "adm787", "charset", "atlantis"} << 2 << QStringList{}
            << "charset atlantis" << 0;
        QTest::newRow("a dry run opens nothing")
            << QStringList{"--dry-run", "--device", "/nonexistent/vq3360", "emulation", "adm787"}
            << 0 << QStringList{} << "emulation adm787: 02 05 43 33 03" << 0;
    }

    void toolRuns()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QStringList, heard);
        QFETCH(QString, says);
        QFETCH(int, count);
        VirtualDisplay more[2];
        if (args.contains(u"--profile")) {
            QCOMPARE(byTool({"display-line", "19200", "N,8,1"}, 2).size(), 2);
            m_stdin = "# lane 3\nline 19200,n,8,1\nemulation ADM787\nupper  Lane 3, \"welcome\"; \n"
                      "display-line 9600 N,8,1\n";
        }
        for (QString& a : args) {
            if (const qsizetype i = QStringList{"%1", "%2"}.indexOf(a); i >= 0) {
                QVERIFY(more[i].start());
                a = more[i].path();
            }
        }
        int code = -1;
        QString said;
        const QStringList got = byTool(args, count, &code, &said);
        QCOMPARE(code, exitCode);
        QVERIFY2(said.contains(says), qPrintable(said));
        QStringList all = got;
        for (VirtualDisplay& d : more) {
            if (d.process().state() == QProcess::Running)
                all << heardAs(d.events(1));
        }
        QCOMPARE(all, heard);
        if (args.contains(u"display-line")) // left on another line
            QVERIFY(restartDisplay());
    }

    void rescue_data()
    {
        QTest::addColumn<int>("from"); // the display's rate, unknown to the PC side
        for (const int baud : {300, 600, 1200, 2400, 4800, 9600, 19200, 38400})
            QTest::addRow("from %d", baud) << baud;
    }

    // Whatever rate the display was left on, rescue brings it to 9600 N,8,1 without touching what
    // it stores, and what is sent then arrives whole; identify writes its name on both lines.
    void rescue()
    {
        QFETCH(int, from);
        if (from != 9600)
            QCOMPARE(byTool({"display-line", QString::number(from), "N,8,1"}, 2).size(), 2);
        int exitCode = -1;
        QString said;
        const QStringList heard = byTool({"rescue", "upper", "Lane 3"}, -1, &exitCode, &said);
        QCOMPARE(exitCode, 0);
        // It reports the lines and bytes that went: the pseudo-terminal takes 9 of 49.
        QVERIFY2(said.contains(u"the line is now 9600,n,8,1") &&
                     said.contains(u"skipped 40 lines") && said.contains(u"at each of 9 lines"),
                 qPrintable(said));
        QCOMPARE(heard.constLast(), stored('1', "Lane 3"));
        for (const QString& e : heard.mid(0, heard.size() - 1))
            QVERIFY2(!e.startsWith(u"store_line") && !e.startsWith(u"clear_line") &&
                         !e.startsWith(u"reset"),
                     qPrintable(e));
        if (from != 38400)
            return;
        // Through a link whose name is a display command: written as text, never obeyed.
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("\x02\x05"
                                                         "B6\x03"));
        QVERIFY(QFile::link(m_display->path(), link));
        byTool({"--device", link, "identify"}, 41); // CR, then both lines whole
        const QString shown = link.chopped(5) + QStringLiteral("\\x02\\x05B6\\x03");
        QCOMPARE(m_last.value("line1").toString() + u'|' + m_last.value("line2").toString(),
                 shown.left(20) + u'|' + shown.right(20));
    }

private:
    Formall* main() const { return m_h->main(); }
    QPushButton* portButton(int index) const
    {
        return main()->controls().find<QPushButton>("Command1", index);
    }
    QStringList heard(qsizetype count)
    {
        const QList<QJsonObject> events = m_display->events(count);
        m_last = events.value(events.size() - 1);
        return heardAs(events);
    }
    QStringList heardUntilShow() { return heardAs(m_display->eventsUntil(endsInShow)); }
    bool trigger(const QString& entry)
    {
        QAction* action = main()->menuEntry(entry);
        if (action)
            action->trigger();
        return action;
    }

    // vq3360ctl on this test's display, the utility's port closed meanwhile: the events the display
    // heard, count of them, or, by default, all before a show that ends the run.
    QStringList byTool(QStringList args, qsizetype count = -1, int* exitCode = nullptr,
                       QString* said = nullptr)
    {
        click(portButton(1));
        QProcess tool;
        tool.setProcessChannelMode(QProcess::MergedChannels);
        if (!args.contains(u"--device"))
            args = QStringList{"--device", m_display->path()} + args;
        tool.start(QStringLiteral(VQ_CTL_EXE), count < 0 ? args << "show" : args);
        tool.write(std::exchange(m_stdin, {}));
        tool.closeWriteChannel();
        // The event loop turns meanwhile, so the display's output is read as it comes: a display
        // stuck on a full pipe would read the tool's later writes at a later line.
        const bool ran =
            QTest::qWaitFor([&tool] { return tool.state() == QProcess::NotRunning; }, kPatienceMs);
        if (exitCode)
            *exitCode = ran ? tool.exitCode() : -1;
        if (said)
            *said = QString::fromLocal8Bit(tool.readAll());
        QStringList got = count >= 0 ? heard(count) : heardUntilShow();
        if (count < 0 && !got.isEmpty())
            got.removeLast();
        click(portButton(0));
        return got;
    }

    bool startAll()
    {
        m_display = std::make_unique<VirtualDisplay>();
        if (!m_display->start())
            return false;
        m_h = std::make_unique<Harness>(
            portMap(m_display->path().toLocal8Bit(), QStringLiteral("/nonexistent")),
            Harness::Real);
        return QTest::qWaitForWindowExposed(m_h->start());
    }
    // A display and a utility afresh, the port open, as each row starts.
    bool restartDisplay()
    {
        stopAll();
        if (!startAll())
            return false;
        click(portButton(0));
        return main()->Comm1().portOpen();
    }
    void stopAll()
    {
        m_h.reset(); // closes the port before the display goes
        m_display.reset();
    }

    // Declared first, so it goes last: the utility closes its port before the display goes.
    std::unique_ptr<VirtualDisplay> m_display;
    std::unique_ptr<Harness> m_h;
    QTimer m_watchdog;
    QPointer<QWidget> m_lastModal;
    QByteArray m_stdin; // for the next vq3360ctl run
    QJsonObject m_last; // the last event heard
    QStringList m_stuck;
};

QTEST_MAIN(TstWire)
#include "tst_wire.moc"
