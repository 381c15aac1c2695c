// The utility's real windows, offscreen, with COM1 on the virtual display running headless as a
// child process. Every row drives the windows as an operator would and compares what the
// display decoded with the byte tables.
#include "app/appcontext.h"
#include "app/formall.h"
#include "app/formset.h"
#include "demo/datasave.h"
#include "dialogs/msgwindow.h"
#include "dialogs/widgetboxes.h"
#include "display/formbaud.h"
#include "display/formint.h"
#include "serial/portmap.h"
#include "serial/qtcommport.h"

#include <csignal>
#include <functional>
#include <memory>
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <sys/prctl.h>

using namespace vq;

namespace {

// Only keeps a broken run from hanging; never judges speed.
constexpr int kPatienceMs = 10000;

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

QString hexOf(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// One event as "name {own fields and bytes}"; the screen is compared apart.
QString describe(QJsonObject e)
{
    const QString name = e.take(QStringLiteral("event")).toString();
    for (const char* key : {"message", "line1", "line2", "cursor"})
        e.remove(QLatin1String(key));
    return name + u' ' + QString::fromUtf8(QJsonDocument(e).toJson(QJsonDocument::Compact));
}

QStringList describeAll(const QList<QJsonObject>& events)
{
    QStringList out;
    for (const QJsonObject& e : events)
        out << describe(e);
    return out;
}

// An expected event, written the way describe() writes an actual one.
QString ev(const QString& name, QJsonObject fields, const QByteArray& bytes)
{
    fields.insert(QStringLiteral("event"), name);
    fields.insert(QStringLiteral("bytes"), hexOf(bytes));
    return describe(fields);
}

// The store command of the demo table applied to a text: 02 05 4C 31|32, the text, 03.
QString stored(const QString& line, const QString& text)
{
    const char selector = line == QLatin1String("upper") ? '1' : '2';
    const QByteArray bytes = hex("02 05 4C") + selector + text.toLatin1() + '\x03';
    return ev(QStringLiteral("store_line"),
              {{"line", line}, {"text", text}, {"length", int(text.size())}}, bytes);
}

// Name and bytes only, for the one-byte events of typing.
QStringList shortly(const QList<QJsonObject>& events)
{
    QStringList out;
    for (const QJsonObject& e : events)
        out << e.value("event").toString() + u' ' + e.value("bytes").toString();
    return out;
}

QString screen(const QJsonObject& e)
{
    return QStringLiteral("%1|%2|%3")
        .arg(e.value("line1").toString(), e.value("line2").toString())
        .arg(e.value("cursor").toInt());
}

QString screenOf(const QString& line1, const QString& line2, int cursor)
{
    return QStringLiteral("%1|%2|%3")
        .arg(line1.leftJustified(20), line2.leftJustified(20))
        .arg(cursor);
}

// Key by key, as a keyboard gives them: the key code is the character's upper case.
void typeText(QWidget* target, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key(c.toUpper().unicode()), QString(c),
                            Qt::NoModifier);
}

void click(QAbstractButton* button)
{
    QVERIFY(button);
    // Option buttons take clicks on their indicator and caption only, not the empty rest.
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

// The virtual display, headless, as a child process.
class VirtualDisplay {
public:
    bool start()
    {
        // Ends with this process even if it crashes, so no orphan keeps a terminal.
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(VQ_VDISPLAY_EXE), {QStringLiteral("--headless")});
        if (!m_process.waitForStarted(kPatienceMs))
            return false;
        const QList<QByteArray> first = lines(1, QDeadlineTimer(kPatienceMs));
        m_path = first.isEmpty() ? QString() : QString::fromLocal8Bit(first[0]);
        return m_path.startsWith(QLatin1String("/dev/"));
    }

    void stop()
    {
        release();
        m_process.terminate();
        m_process.waitForFinished(kPatienceMs);
    }

    QString path() const { return m_path; }

    // Reads events until done() is satisfied, or gives up after a long while.
    QList<QJsonObject> eventsUntil(const std::function<bool(const QList<QJsonObject>&)>& done)
    {
        QList<QJsonObject> got;
        const QDeadlineTimer deadline(kPatienceMs);
        while (!done(got)) {
            const QList<QByteArray> next = lines(1, deadline);
            if (next.isEmpty())
                break;
            got << QJsonDocument::fromJson(next[0]).object();
        }
        return got;
    }

    QList<QJsonObject> events(qsizetype count)
    {
        return eventsUntil([count](const QList<QJsonObject>& got) { return got.size() >= count; });
    }

    // Holds the display's reading: what is written meanwhile arrives in one read, as
    // back-to-back bytes do on a wire, so a speed change cannot fall between two commands.
    bool hold()
    {
        if (::kill(m_process.processId(), SIGSTOP) != 0)
            return false;
        m_held = true;
        const QDeadlineTimer deadline(kPatienceMs);
        while (!stopped() && !deadline.hasExpired())
            QTest::qWait(1);
        return stopped();
    }

    void release()
    {
        if (std::exchange(m_held, false))
            ::kill(m_process.processId(), SIGCONT);
    }

private:
    bool stopped() const
    {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(m_process.processId()));
        if (!stat.open(QIODevice::ReadOnly))
            return false;
        const QByteArray text = stat.readAll();
        const qsizetype end = text.lastIndexOf(')');
        return end >= 0 && text.size() > end + 2 && text[end + 2] == 'T';
    }

    QList<QByteArray> lines(int count, const QDeadlineTimer& deadline)
    {
        m_buffer += m_process.readAllStandardOutput();
        while (m_buffer.count('\n') < count && !deadline.hasExpired() &&
               m_process.state() == QProcess::Running) {
            QTest::qWait(2); // keeps the utility's own event loop turning
            m_buffer += m_process.readAllStandardOutput();
        }
        QList<QByteArray> out;
        for (qsizetype end; out.size() < count && (end = m_buffer.indexOf('\n')) >= 0;) {
            out << m_buffer.left(end);
            m_buffer.remove(0, end + 1);
        }
        return out;
    }

    QProcess m_process;
    QByteArray m_buffer;
    QString m_path;
    bool m_held = false;
};

// Acts on the next modal box once it is up, while the code that opened it waits in it.
class WhenModal {
public:
    explicit WhenModal(std::function<void(QWidget*)> act) : m_act(std::move(act))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box || !box->isVisible())
                return;
            m_timer.stop();
            m_seen = true;
            m_act(box);
        });
        m_timer.start(5);
    }
    WhenModal(const WhenModal&) = delete;
    WhenModal& operator=(const WhenModal&) = delete;

    bool seen() const { return m_seen; }

private:
    std::function<void(QWidget*)> m_act;
    QTimer m_timer;
    bool m_seen = false;
};

void dismiss(QWidget* box)
{
    if (auto* dialog = qobject_cast<QDialog*>(box))
        dialog->reject();
    else
        box->close();
}

// One operator action in the interactive window and what the display makes of it.
struct Step {
    QString key;        // a text typed key by key, or <BS>, <Enter>, <Clear>
    QStringList events; // "event BYTES"
    QString line1;
    QString line2;
    int cursor = 0;
    QString box; // the text box afterwards
};

// One demo line stored through the input box: typed, then closed by Ok, Enter or Cancel.
struct Store {
    QString line; // upper or lower
    QString text;
    QString how;
};

QStringList typedEvents(const QString& text)
{
    QStringList out;
    for (const QChar c : text)
        out << QStringLiteral("text %1").arg(hexOf(QByteArray(1, char(c.toLatin1()))));
    return out;
}

QList<Step> typingThenClear(const QStringList& clearEvents, const QString& lineAfterClear)
{
    return {
        {"H", {"text 48"}, "H", "", 1, "H"},
        {"i", {"text 69"}, "Hi", "", 2, "Hi"},
        {"<BS>", {"cursor 08"}, "Hi", "", 1, "H"}, // the display erases nothing
        {"o", {"text 6F"}, "Ho", "", 2, "Ho"},
        {"<Enter>", {"cursor 0D"}, "Ho", "", 0, "Ho\n"},
        {"J", {"text 4A"}, "Jo", "", 1, "Ho\nJ"},
        {"<Clear>", clearEvents, lineAfterClear, "", 0, ""},
    };
}

} // namespace

Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(Store)

class TstE2e : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void displayBesideUtility();
    void displaySettingEntries_data();
    void displaySettingEntries();
    void resetRestoresDefaults();
    void displayBaud_data();
    void displayBaud();
    void speedsMustAgree();
    void displayFraming_data();
    void displayFraming();
    void charset_data();
    void charset();
    void demoMessages_data();
    void demoMessages();
    void demoClear_data();
    void demoClear();
    void interactive_data();
    void interactive();
    void interactiveOffersToOpen_data();
    void interactiveOffersToOpen();
    void refusedWhileClosed_data();
    void refusedWhileClosed();
    void menuByKeyboard_data();
    void menuByKeyboard();

private:
    Formall* main() const { return m_ctx->mainWindow(); }
    QPushButton* mainButton(const char* name, int index = -1) const
    {
        return main()->controls().get<QPushButton>(QString::fromLatin1(name), index);
    }
    bool trigger(const char* entry);
    FormBaud* openDisplaySettings();
    bool okDisplaySettings(FormBaud* dialog);
    bool setPcBaud(const QString& option);
    bool storeLine(const Store& store, QStringList* asked = nullptr);
    QPlainTextEdit* keyin() const;
    bool startAll();
    void stopAll();

    std::unique_ptr<VirtualDisplay> m_display;
    std::unique_ptr<Module1> m_state;
    std::unique_ptr<WidgetBoxes> m_boxes;
    std::unique_ptr<AppContext> m_ctx;
    QTimer m_watchdog;
    QPointer<QWidget> m_lastModal;
    int m_modalTicks = 0;
    QStringList m_stuck;
};

void TstE2e::initTestCase()
{
    QVERIFY(startAll());

    // A box nobody answers would hang the run: close it after a long while and fail.
    connect(&m_watchdog, &QTimer::timeout, this, [this] {
        QWidget* box = QApplication::activeModalWidget();
        m_modalTicks = box && box == m_lastModal ? m_modalTicks + 1 : 0;
        m_lastModal = box;
        if (box && m_modalTicks * m_watchdog.interval() >= kPatienceMs) {
            m_stuck << box->windowTitle();
            dismiss(box);
        }
    });
    m_watchdog.start(500);
}

void TstE2e::cleanupTestCase()
{
    stopAll();
}

void TstE2e::init()
{
    m_ctx->showMainWindow();
    if (!main()->Comm1().portOpen())
        click(mainButton("Command1", 0));
    QVERIFY2(main()->Comm1().portOpen(), qPrintable(main()->LastOpenError));
    QCOMPARE(main()->Comm1().settings(), QStringLiteral("9600,n,8,1"));
}

void TstE2e::cleanup()
{
    m_display->release();
    delete DATASAVE::instance();
    delete FormBaud::instance();
    delete FormInt::instance();
    // A row that failed half-way may leave the two sides at other speeds: start afresh.
    if (QTest::currentTestFailed()) {
        stopAll();
        QVERIFY(startAll());
    }
    const QStringList stuck = std::exchange(m_stuck, {});
    QVERIFY2(stuck.isEmpty(), qPrintable("unanswered box: " + stuck.join(", ")));
}

bool TstE2e::startAll()
{
    m_display = std::make_unique<VirtualDisplay>();
    if (!m_display->start())
        return false;
    PortMap map;
    map.devices.insert(1, m_display->path());
    for (int n = 2; n <= 6; ++n)
        map.devices.insert(n, QStringLiteral("/nonexistent/com%1").arg(n));
    m_state = std::make_unique<Module1>();
    m_boxes = std::make_unique<WidgetBoxes>(*m_state);
    m_ctx = std::make_unique<AppContext>(*m_state, *m_boxes, qtPortFactory(map));
    m_ctx->setEndHandler([] {});
    return QTest::qWaitForWindowExposed(m_ctx->showMainWindow());
}

void TstE2e::stopAll()
{
    delete DATASAVE::instance();
    delete FormBaud::instance();
    delete FormInt::instance();
    m_ctx.reset(); // the main window closes the port
    if (m_display)
        m_display->stop();
    m_display.reset();
}

bool TstE2e::trigger(const char* entry)
{
    QAction* action = main()->menuEntry(QString::fromLatin1(entry));
    if (!action)
        return false;
    action->trigger();
    return true;
}

FormBaud* TstE2e::openDisplaySettings()
{
    return trigger("numbaudrate") ? FormBaud::instance() : nullptr;
}

// OK with the display held, so the baud and framing commands reach it in one read.
bool TstE2e::okDisplaySettings(FormBaud* dialog)
{
    if (!dialog || !m_display->hold())
        return false;
    click(dialog->controls().get<QPushButton>("CmdOk"));
    m_display->release();
    return true;
}

// The PC side's speed as the operator changes it: close the port, "Communication set", pick
// the rate, "Set OK", "Exit", open the port again.
bool TstE2e::setPcBaud(const QString& option)
{
    click(mainButton("Command1", 1));
    bool picked = false;
    WhenModal set([&](QWidget* box) {
        auto* form = qobject_cast<FormSet*>(box);
        if (!form) {
            dismiss(box);
            return;
        }
        click(form->controls().get<QRadioButton>(option));
        click(form->controls().get<QPushButton>("CmdOk"));
        click(form->controls().get<QPushButton>("CmdCancel"));
        picked = true;
    });
    if (!trigger("numcomm"))
        return false;
    click(mainButton("Command1", 0));
    return picked && main()->Comm1().portOpen();
}

// asked receives the input box's prompt and title.
bool TstE2e::storeLine(const Store& store, QStringList* asked)
{
    bool answered = false;
    WhenModal input([&](QWidget* box) {
        auto* msg = qobject_cast<MsgWindow*>(box);
        if (!msg) {
            dismiss(box);
            return;
        }
        if (asked)
            *asked = QStringList{msg->label1()->text(), msg->windowTitle()};
        typeText(msg->text1(), store.text);
        if (store.how == QLatin1String("Enter"))
            QTest::keyClick(msg->text1(), Qt::Key_Return);
        else
            click(msg->button(store.how == QLatin1String("Cancel") ? MsgControl::Command2
                                                                   : MsgControl::Command1));
        answered = true;
    });
    return trigger(store.line == QLatin1String("upper") ? "numsave" : "numlow") && answered;
}

QPlainTextEdit* TstE2e::keyin() const
{
    return DATASAVE::instance() ? DATASAVE::instance()->controls().get<QPlainTextEdit>("keyin")
                                : nullptr;
}

void TstE2e::displayBesideUtility()
{
    // scripts/run.sh starts the display only when it finds it beside the utility.
    QCOMPARE(QFileInfo(QStringLiteral(VQ_VDISPLAY_EXE)).absolutePath(),
             QFileInfo(QStringLiteral(VQ_APP_EXE)).absolutePath());
}

void TstE2e::displaySettingEntries_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("expected");
    const auto emulation = [](const char* name, const char* mode, const char* bytes) {
        return ev("emulation", {{"name", name}, {"mode", mode}}, hex(bytes));
    };
    QTest::newRow("Z&TK") << "numZtk"
                          << "Z&TK" << emulation("ZTK", "7", "02 05 43 37 03");
    QTest::newRow("&DSP800") << "NUMDSP800"
                             << "&DSP800" << emulation("DSP800", "0", "02 05 43 30 03");
    QTest::newRow("ESC/&POS") << "NUMPOS"
                              << "ESC/&POS" << emulation("ESC/POS", "1", "02 05 43 31 03");
    QTest::newRow("A&DM788") << "NUMADM788"
                             << "A&DM788" << emulation("ADM788", "2", "02 05 43 32 03");
    QTest::newRow("AD&M787") << "NUMADM787"
                             << "AD&M787" << emulation("ADM787", "3", "02 05 43 33 03");
    QTest::newRow("AEDE&X") << "NUMAEDEX"
                            << "AEDE&X" << emulation("AEDEX", "4", "02 05 43 34 03");
    QTest::newRow("UTC/&P") << "NUMUTCP"
                            << "UTC/&P" << emulation("UTC/P", "5", "02 05 43 35 03");
    QTest::newRow("UTC/&S") << "NUMUTCS"
                            << "UTC/&S" << emulation("UTC/S", "6", "02 05 43 36 03");
    QTest::newRow("reset") << "numall"
                           << "&Reset  pole display settings to default"
                           << ev("reset", {{"emulation", "ZTK"}, {"charset", "U.S.A"}},
                                 hex("02 05 07 31 03"));
}

void TstE2e::displaySettingEntries()
{
    QFETCH(QString, entry);
    QFETCH(QString, caption);
    QFETCH(QString, expected);
    QAction* action = main()->menuEntry(entry);
    QVERIFY(action);
    QCOMPARE(action->text(), caption);
    action->trigger();
    QCOMPARE(describeAll(m_display->events(1)), QStringList{expected});
}

void TstE2e::resetRestoresDefaults()
{
    QVERIFY(trigger("NUMUTCS"));
    QVERIFY(trigger("numinterset"));
    QVERIFY(FormInt::instance());
    click(FormInt::instance()->controls().get<QRadioButton>("Option13"));
    click(FormInt::instance()->controls().get<QPushButton>("CmdOk"));
    QVERIFY(storeLine({"upper", "Before reset", "Ok"}));
    QVERIFY(trigger("numrun"));
    const QList<QJsonObject> before = m_display->events(4);
    QCOMPARE(before.size(), 4);
    QCOMPARE(before[1].value("name").toString(), QStringLiteral("RUSSIA"));
    QCOMPARE(screen(before[3]), screenOf("Before reset", "", 0));

    QVERIFY(trigger("numall"));
    const QList<QJsonObject> reset = m_display->events(1);
    QCOMPARE(describeAll(reset),
             QStringList{
                 ev("reset", {{"emulation", "ZTK"}, {"charset", "U.S.A"}}, hex("02 05 07 31 03"))});
    QCOMPARE(screen(reset[0]), screenOf("", "", 0));
    // The display keeps its stored lines through a reset.
    QVERIFY(trigger("numrun"));
    const QList<QJsonObject> shown = m_display->events(1);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(screen(shown[0]), screenOf("Before reset", "", 0));
}

void TstE2e::displayBaud_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("baud");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("pcOption"); // the same rate in the PC settings dialog
    QTest::newRow("300") << 1 << "300" << 300 << hex("02 05 42 35 03") << "Option1";
    QTest::newRow("600") << 2 << "600" << 600 << hex("02 05 42 34 03") << "Option2";
    QTest::newRow("1200") << 3 << "1200" << 1200 << hex("02 05 42 33 03") << "Option3";
    QTest::newRow("2400") << 4 << "2400" << 2400 << hex("02 05 42 32 03") << "Option4";
    QTest::newRow("4800") << 5 << "4800" << 4800 << hex("02 05 42 31 03") << "Option5";
    QTest::newRow("9600") << 6 << "9600" << 9600 << hex("02 05 42 30 03") << "Option6";
    QTest::newRow("19200") << 7 << "19200" << 19200 << hex("02 05 42 37 03") << "Option7";
    QTest::newRow("38400") << 8 << "38400" << 38400 << hex("02 05 42 36 03") << "Option14";
}

// Display to the new rate, then the PC to it, as an operator must; then both back to 9600.
void TstE2e::displayBaud()
{
    QFETCH(int, option);
    QFETCH(QString, caption);
    QFETCH(int, baud);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, pcOption);
    const QString loadedFraming =
        ev("display_framing", {{"framing", "n,8,1"}}, hex("02 05 50 31 03"));
    const auto baudOption = [](FormBaud* d, int n) {
        return d->controls().get<QRadioButton>(QStringLiteral("Option%1").arg(n));
    };

    FormBaud* dialog = openDisplaySettings();
    QVERIFY(dialog);
    QCOMPARE(baudOption(dialog, option)->text(), caption);
    click(baudOption(dialog, option));
    QVERIFY(okDisplaySettings(dialog));
    QCOMPARE(describeAll(m_display->events(2)),
             (QStringList{ev("display_baud", {{"baud", baud}}, bytes), loadedFraming}));
    QTRY_VERIFY_WITH_TIMEOUT(!FormBaud::instance(), kPatienceMs);
    if (baud == 9600)
        return;

    QVERIFY(setPcBaud(pcOption));
    QCOMPARE(main()->Comm1().settings(), QStringLiteral("%1,n,8,1").arg(baud));
    dialog = openDisplaySettings();
    QVERIFY(dialog);
    QVERIFY(baudOption(dialog, option)->isChecked()); // loaded from the PC side
    click(baudOption(dialog, 6));
    QVERIFY(okDisplaySettings(dialog));
    QCOMPARE(
        describeAll(m_display->events(2)),
        (QStringList{ev("display_baud", {{"baud", 9600}}, hex("02 05 42 30 03")), loadedFraming}));
    QVERIFY(setPcBaud("Option6"));
    QVERIFY(trigger("numrun"));
    QCOMPARE(describeAll(m_display->events(1)),
             QStringList{ev("show_demo", {}, hex("02 05 44 08 03"))});
}

void TstE2e::speedsMustAgree()
{
    FormBaud* dialog = openDisplaySettings();
    QVERIFY(dialog);
    click(dialog->controls().get<QRadioButton>("Option7"));
    QVERIFY(okDisplaySettings(dialog));
    QCOMPARE(m_display->events(2).size(), 2);

    // The PC still at 9600: the display makes garbage of every byte.
    QVERIFY(trigger("numrun"));
    const QList<QJsonObject> garbled = m_display->events(6);
    QCOMPARE(garbled.size(), 6);
    QCOMPARE(describe(garbled[0]),
             ev("speed_mismatch", {{"pc", 9600}, {"display", 19200}}, QByteArray()));
    QByteArray arrived;
    for (const QJsonObject& e : garbled.mid(1)) {
        QCOMPARE(e.value("event").toString(), QStringLiteral("text"));
        QVERIFY(e.value("garbled").toBool());
        arrived += QByteArray::fromHex(e.value("bytes").toString().toLatin1());
    }
    QCOMPARE(arrived, hex("02 05 44 08 03"));

    QVERIFY(setPcBaud("Option7"));
    QVERIFY(trigger("numrun"));
    QCOMPARE(describeAll(m_display->events(2)),
             (QStringList{ev("speed_match", {{"baud", 19200}}, QByteArray()),
                          ev("show_demo", {}, hex("02 05 44 08 03"))}));

    dialog = openDisplaySettings();
    QVERIFY(dialog);
    click(dialog->controls().get<QRadioButton>("Option6"));
    QVERIFY(okDisplaySettings(dialog));
    QCOMPARE(m_display->events(2).size(), 2);
    QVERIFY(setPcBaud("Option6"));
}

void TstE2e::displayFraming_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("framing");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("N_8_1") << 9 << " N_8_1"
                           << "n,8,1" << hex("02 05 50 31 03");
    QTest::newRow("N_7_1") << 10 << " N_7_1"
                           << "n,7,1" << hex("02 05 50 32 03");
    QTest::newRow("E_8_1") << 11 << " E_8_1"
                           << "e,8,1" << hex("02 05 50 33 03");
    QTest::newRow("E_7_1") << 12 << " E_7_1"
                           << "e,7,1" << hex("02 05 50 34 03");
    QTest::newRow("O_8_1") << 13 << " O_8_1"
                           << "o,8,1" << hex("02 05 50 35 03");
    QTest::newRow("O_7_1") << 14 << " O_7_1"
                           << "o,7,1" << hex("02 05 50 36 03");
}

void TstE2e::displayFraming()
{
    QFETCH(int, option);
    QFETCH(QString, caption);
    QFETCH(QString, framing);
    QFETCH(QByteArray, bytes);
    FormBaud* dialog = openDisplaySettings();
    QVERIFY(dialog);
    auto* button = dialog->controls().get<QRadioButton>(QStringLiteral("Option%1").arg(option));
    QVERIFY(button);
    QCOMPARE(button->text(), caption);
    click(button);
    QVERIFY(okDisplaySettings(dialog));
    QCOMPARE(describeAll(m_display->events(2)),
             (QStringList{ev("display_baud", {{"baud", 9600}}, hex("02 05 42 30 03")),
                          ev("display_framing", {{"framing", framing}}, bytes)}));
}

void TstE2e::charset_data()
{
    QTest::addColumn<int>("option"); // 0: none chosen
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("name"); // as the display names it
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("U.S.A") << 1 << "U.S.A"
                           << "U.S.A" << hex("02 05 53 30 03");
    QTest::newRow("FRANCE") << 2 << "FRANCE"
                            << "FRANCE" << hex("02 05 53 31 03");
    QTest::newRow("GERMANY") << 3 << "GERMANY"
                             << "GERMANY" << hex("02 05 53 32 03");
    QTest::newRow("U.K") << 4 << "U.K"
                         << "U.K" << hex("02 05 53 33 03");
    QTest::newRow("DENMARK I") << 5 << "DENMARK I"
                               << "DENMARK I" << hex("02 05 53 34 03");
    QTest::newRow("SWEDEN") << 6 << "SWEDEN"
                            << "SWEDEN" << hex("02 05 53 35 03");
    QTest::newRow("ITALY") << 7 << "ITALY"
                           << "ITALY" << hex("02 05 53 36 03");
    QTest::newRow("SPAIN") << 8 << "SPAIN"
                           << "SPAIN" << hex("02 05 53 37 03");
    QTest::newRow("JAPAN") << 9 << "JAPAN"
                           << "JAPAN" << hex("02 05 53 38 03");
    QTest::newRow("NORWAY") << 10 << "NORWAY"
                            << "NORWAY" << hex("02 05 53 39 03");
    QTest::newRow("DENMARK II") << 11 << "DENMARK II"
                                << "DENMARK II" << hex("02 05 53 3A 03");
    QTest::newRow("SLAVONIC") << 12 << "SLAVONIC"
                              << "SLAVONIC" << hex("02 05 53 3B 03");
    QTest::newRow("RUSSIA") << 13 << "RUSSIA"
                            << "RUSSIA" << hex("02 05 53 3C 03");
    QTest::newRow("Factory define, row 5") << 14 << "Factory define"
                                           << "Factory define (3D)" << hex("02 05 53 3D 03");
    QTest::newRow("Factory define, row 4") << 15 << "Factory define"
                                           << "Factory define (3E)" << hex("02 05 53 3E 03");
    QTest::newRow("User define pattern") << 16 << "User define pattern"
                                         << "User define pattern" << hex("02 05 53 3F 03");
    QTest::newRow("none chosen") << 0 << ""
                                 << "User define pattern" << hex("02 05 53 3F 03");
}

void TstE2e::charset()
{
    QFETCH(int, option);
    QFETCH(QString, caption);
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QVERIFY(trigger("numinterset"));
    FormInt* dialog = FormInt::instance();
    QVERIFY(dialog);
    if (option) {
        auto* button = dialog->controls().get<QRadioButton>(QStringLiteral("Option%1").arg(option));
        QVERIFY(button);
        QCOMPARE(button->text().simplified(), caption);
        click(button);
    }
    click(dialog->controls().get<QPushButton>("CmdOk"));
    QCOMPARE(describeAll(m_display->events(1)),
             QStringList{ev("charset", {{"name", name}, {"code", hexOf(bytes.mid(3, 1))}}, bytes)});
    QTRY_VERIFY_WITH_TIMEOUT(!FormInt::instance(), kPatienceMs);
}

void TstE2e::demoMessages_data()
{
    QTest::addColumn<QList<Store>>("stores");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("line1"); // after "Show demo"
    QTest::addColumn<QString>("line2");
    QString long250;
    for (int i = 0; i < 250; ++i)
        long250 += QChar(u'A' + i % 26);
    QCOMPARE(long250.size(), 250);

    QTest::newRow("abc and xyz by Ok")
        << QList<Store>{{"upper", "abc", "Ok"}, {"lower", "xyz", "Ok"}}
        << QStringList{stored("upper", "abc"), stored("lower", "xyz")} << "abc"
        << "xyz";
    QTest::newRow("Enter in the field")
        << QList<Store>{{"upper", "Hello", "Enter"}, {"lower", "World", "Enter"}}
        << QStringList{stored("upper", "Hello"), stored("lower", "World")} << "Hello"
        << "World";
    QTest::newRow("three spaces") << QList<Store>{{"lower", "   ", "Ok"}}
                                  << QStringList{stored("lower", "   ")} << ""
                                  << "";
    QTest::newRow("250 characters sent whole")
        << QList<Store>{{"upper", long250, "Ok"}, {"lower", "short", "Ok"}}
        << QStringList{stored("upper", long250), stored("lower", "short")} << long250.left(20)
        << "short";
    QTest::newRow("Latin-1") << QList<Store>{{"upper", "Café Grüße", "Ok"}}
                             << QStringList{stored("upper", "Café Grüße")} << "Café Grüße"
                             << "";
    QTest::newRow("Cancel sends nothing")
        << QList<Store>{{"upper", "Kept", "Ok"}, {"upper", "Gone", "Cancel"}}
        << QStringList{stored("upper", "Kept")} << "Kept"
        << "";
    QTest::newRow("empty Ok sends nothing")
        << QList<Store>{{"lower", "", "Ok"}} << QStringList{} << ""
        << "";
    QTest::newRow("a new text replaces the old")
        << QList<Store>{{"lower", "First text", "Ok"}, {"lower", "Second", "Ok"}}
        << QStringList{stored("lower", "First text"), stored("lower", "Second")} << ""
        << "Second";
}

void TstE2e::demoMessages()
{
    QFETCH(QList<Store>, stores);
    QFETCH(QStringList, expected);
    QFETCH(QString, line1);
    QFETCH(QString, line2);
    // Both lines cleared first, so nothing from an earlier row shows.
    QVERIFY(trigger("numupperline"));
    QVERIFY(trigger("numlowerline"));
    QCOMPARE(describeAll(m_display->events(2)),
             (QStringList{ev("clear_line", {{"line", "upper"}}, hex("02 05 07 32 03")),
                          ev("clear_line", {{"line", "lower"}}, hex("02 05 07 33 03"))}));

    for (const Store& s : stores) {
        QStringList asked;
        QVERIFY(storeLine(s, &asked));
        QCOMPARE(asked, (QStringList{QStringLiteral("Please input demo messages to save on %1 "
                                                    "line,the maximum data character is under "
                                                    "200. ")
                                         .arg(s.line),
                                     "input character"}));
    }
    // Show demo follows, so whatever the stores sent arrives before it.
    QVERIFY(trigger("numrun"));
    const QList<QJsonObject> got = m_display->eventsUntil([](const QList<QJsonObject>& events) {
        return !events.isEmpty() && events.last().value("event") == QLatin1String("show_demo");
    });
    QVERIFY(!got.isEmpty());
    QCOMPARE(describeAll(got), expected + QStringList{ev("show_demo", {}, hex("02 05 44 08 03"))});
    QCOMPARE(screen(got.last()), screenOf(line1, line2, 0));
}

void TstE2e::demoClear_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("line1");
    QTest::addColumn<QString>("line2");
    QTest::newRow("upper") << "numupperline"
                           << "clear &upper line data message"
                           << ev("clear_line", {{"line", "upper"}}, hex("02 05 07 32 03")) << ""
                           << "Down";
    QTest::newRow("lower") << "numlowerline"
                           << "clear &lower line data messsage"
                           << ev("clear_line", {{"line", "lower"}}, hex("02 05 07 33 03")) << "Up"
                           << "";
}

void TstE2e::demoClear()
{
    QFETCH(QString, entry);
    QFETCH(QString, caption);
    QFETCH(QString, expected);
    QFETCH(QString, line1);
    QFETCH(QString, line2);
    QVERIFY(storeLine({"upper", "Up", "Ok"}));
    QVERIFY(storeLine({"lower", "Down", "Ok"}));
    QCOMPARE(describeAll(m_display->events(2)),
             (QStringList{stored("upper", "Up"), stored("lower", "Down")}));
    QAction* action = main()->menuEntry(entry);
    QVERIFY(action);
    QCOMPARE(action->text(), caption);
    action->trigger();
    QVERIFY(trigger("numrun"));
    const QList<QJsonObject> got = m_display->events(2);
    QCOMPARE(describeAll(got), (QStringList{expected, ev("show_demo", {}, hex("02 05 44 08 03"))}));
    QCOMPARE(screen(got.last()), screenOf(line1, line2, 0));
}

void TstE2e::interactive_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("emulation");
    QTest::addColumn<QList<Step>>("steps");
    const QStringList formFeed{"clear 0C", "cursor 0D"};
    const QStringList unitSeparator{"clear 1F", "cursor 0D"};
    QTest::newRow("ZTK") << "numZtk"
                         << "ZTK" << typingThenClear(formFeed, "");
    QTest::newRow("DSP800") << "NUMDSP800"
                            << "DSP800"
                            << typingThenClear({"clear 04 01 43 31 58 17", "cursor 0D"}, "");
    QTest::newRow("ESC/POS") << "NUMPOS"
                             << "ESC/POS" << typingThenClear(formFeed, "");
    QTest::newRow("ADM788") << "NUMADM788"
                            << "ADM788" << typingThenClear(formFeed, "");
    QTest::newRow("ADM787") << "NUMADM787"
                            << "ADM787" << typingThenClear(formFeed, "");
    // No clear sequence: Clear sends CR alone and the text stays.
    QTest::newRow("AEDEX") << "NUMAEDEX"
                           << "AEDEX" << typingThenClear({"cursor 0D"}, "Jo");
    QTest::newRow("UTC/P") << "NUMUTCP"
                           << "UTC/P" << typingThenClear(unitSeparator, "");
    QTest::newRow("UTC/S") << "NUMUTCS"
                           << "UTC/S" << typingThenClear(unitSeparator, "");

    const QString upper = QStringLiteral("ABCDEFGHIJKLMNOPQRST");
    QTest::newRow("ZTK, past the end of the upper line")
        << "numZtk"
        << "ZTK"
        << QList<Step>{
               {upper + "U", typedEvents(upper + "U"), upper, "U", 21, upper + "U"},
               {"<Enter>", {"cursor 0D"}, upper, "U", 20, upper + "U\n"},
               {"<BS>", {"cursor 08"}, upper, "U", 19, upper + "U"},
               {"z", {"text 7A"}, "ABCDEFGHIJKLMNOPQRSz", "U", 20, upper + "Uz"},
               {"<Clear>", formFeed, "", "", 0, ""},
           };
    // Beyond Latin-1 goes out as "?".
    QTest::newRow("ZTK, Latin-1 and beyond") << "numZtk"
                                             << "ZTK"
                                             << QList<Step>{
                                                    {"é", {"text E9"}, "é", "", 1, "é"},
                                                    {"€", {"text 3F"}, "é?", "", 2, "é€"},
                                                    {"<Clear>", formFeed, "", "", 0, ""},
                                                };
}

void TstE2e::interactive()
{
    QFETCH(QString, entry);
    QFETCH(QString, emulation);
    QFETCH(QList<Step>, steps);
    QVERIFY(trigger("numall"));
    QVERIFY(main()->menuEntry(entry));
    main()->menuEntry(entry)->trigger();
    const QList<QJsonObject> setUp = m_display->events(2);
    QCOMPARE(setUp.size(), 2);
    QCOMPARE(setUp[1].value("name").toString(), emulation);
    QCOMPARE(screen(setUp[1]), screenOf("", "", 0));

    QVERIFY(trigger("numedmo"));
    QVERIFY(DATASAVE::instance());
    QPlainTextEdit* box = keyin();
    QVERIFY(box);
    QCOMPARE(DATASAVE::instance()->focusWidget(), box);
    for (const Step& step : steps) {
        if (step.key == QLatin1String("<BS>"))
            QTest::keyClick(box, Qt::Key_Backspace);
        else if (step.key == QLatin1String("<Enter>"))
            QTest::keyClick(box, Qt::Key_Return);
        else if (step.key == QLatin1String("<Clear>"))
            click(DATASAVE::instance()->controls().get<QPushButton>("clear"));
        else
            typeText(box, step.key);
        const QList<QJsonObject> got = m_display->events(step.events.size());
        QVERIFY2(!got.isEmpty(), qPrintable(step.key));
        QCOMPARE(shortly(got), step.events);
        QCOMPARE(screen(got.last()), screenOf(step.line1, step.line2, step.cursor));
        QCOMPARE(box->toPlainText(), step.box);
    }
}

void TstE2e::interactiveOffersToOpen_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes") << true;
    QTest::newRow("No") << false;
}

void TstE2e::interactiveOffersToOpen()
{
    QFETCH(bool, yes);
    click(mainButton("Command1", 1));
    QVERIFY(!main()->Comm1().portOpen());
    QStringList asked;
    WhenModal question([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box) {
            dismiss(w);
            return;
        }
        asked = QStringList{box->text(), box->windowTitle()};
        click(box->button(yes ? QMessageBox::Yes : QMessageBox::No));
    });
    QVERIFY(trigger("numedmo"));
    QVERIFY(question.seen());
    QCOMPARE(asked, (QStringList{"Port not open...\nNow, Want To Open the Port?", "VQ3360"}));
    QCOMPARE(main()->Comm1().portOpen(), yes);
    QCOMPARE(DATASAVE::instance() != nullptr, yes);
    if (!yes)
        return;
    QTest::keyClick(keyin(), 'A');
    QCOMPARE(describeAll(m_display->events(1)),
             QStringList{ev("text", {{"char", "A"}, {"garbled", false}}, "A")});
}

void TstE2e::refusedWhileClosed_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("text");
    const QString usual = QStringLiteral("Port not open...,please open the port first");
    QTest::newRow("&DSP800") << "NUMDSP800" << usual;
    QTest::newRow("reset") << "numall" << usual;
    QTest::newRow("Display set") << "numbaudrate" << usual;
    QTest::newRow("character set") << "numinterset" << usual;
    QTest::newRow("upper line demo message") << "numsave" << usual;
    QTest::newRow("clear upper line") << "numupperline"
                                      << "Port not open...";
    QTest::newRow("show demo") << "numrun" << usual;
}

void TstE2e::refusedWhileClosed()
{
    QFETCH(QString, entry);
    QFETCH(QString, text);
    click(mainButton("Command1", 1));
    QVERIFY(!main()->Comm1().portOpen());
    QStringList shown;
    WhenModal refusal([&](QWidget* w) {
        auto* box = qobject_cast<MsgWindow*>(w);
        if (!box) {
            dismiss(w);
            return;
        }
        shown = QStringList{box->label1()->text(), box->windowTitle()};
        click(box->button(MsgControl::Command1));
    });
    QVERIFY(trigger(qPrintable(entry)));
    QCOMPARE(shown, (QStringList{text, "message"}));
    QVERIFY(!FormBaud::instance());
    QVERIFY(!FormInt::instance());

    // The first thing the display hears is what comes after opening.
    click(mainButton("Command1", 0));
    QVERIFY(trigger("numrun"));
    QCOMPARE(describeAll(m_display->events(1)),
             QStringList{ev("show_demo", {}, hex("02 05 44 08 03"))});
}

void TstE2e::menuByKeyboard_data()
{
    QTest::addColumn<QList<int>>("keys"); // after Alt+P, into the open menu
    QTest::addColumn<QString>("expected");
    QTest::newRow("Alt+P, S") << QList<int>{Qt::Key_S}
                              << ev("show_demo", {}, hex("02 05 44 08 03"));
    QTest::newRow("Alt+P, Up, Enter")
        << QList<int>{Qt::Key_Up, Qt::Key_Return}
        << ev("clear_line", {{"line", "lower"}}, hex("02 05 07 33 03"));
}

void TstE2e::menuByKeyboard()
{
    QFETCH(QList<int>, keys);
    QFETCH(QString, expected);
    Formall* w = main();
    // Menu shortcuts answer only in the active window.
    w->activateWindow();
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), w, kPatienceMs);
    QTest::keyClick(w, Qt::Key_P, Qt::AltModifier);
    QTRY_VERIFY_WITH_TIMEOUT(qobject_cast<QMenu*>(QApplication::activePopupWidget()), kPatienceMs);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QCOMPARE(menu->title(), QStringLiteral("&Persistent Demo "));
    for (int key : keys)
        QTest::keyClick(menu, Qt::Key(key));
    QCOMPARE(describeAll(m_display->events(1)), QStringList{expected});
}

QTEST_MAIN(TstE2e)
#include "tst_e2e.moc"
