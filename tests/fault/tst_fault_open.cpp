// Devices that cannot be had: held by another opener, not a terminal at all, refusing the line
// settings, or a port number that names no port. Each is described, and nothing breaks.
#include "faultrig.h"

#include <fcntl.h>
#include <functional>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPort>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include "app/formset.h"

using namespace vq;
using namespace vq::test;

namespace {

// Root ignores an exclusive open, so a test running as root takes another user's rights for it.
class OtherUser {
public:
    explicit OtherUser(bool wanted) : m_root(wanted && ::geteuid() == 0)
    {
        m_active = !m_root || ::seteuid(65534) == 0;
    }
    ~OtherUser()
    {
        if (m_root && m_active)
            (void)::seteuid(0);
    }
    bool active() const { return m_active; }

private:
    bool m_root;
    bool m_active = false;
};

// Another program's hold on the device: the same name through its lock file, or an exclusive
// open of the device itself under its own name.
class Holder {
public:
    Holder(const QString& how, const QString& link, const Pty& pty)
    {
        if (how == u"lock") {
            m_port.setPortName(link);
            m_held = m_port.open(QIODevice::WriteOnly);
        } else {
            m_fd = ::open(QFile::encodeName(pty.path()).constData(), O_RDWR | O_NOCTTY);
            m_held = m_fd >= 0 && ::ioctl(m_fd, TIOCEXCL) == 0;
        }
    }
    ~Holder() { release(); }
    bool held() const { return m_held; }
    void release()
    {
        m_port.close();
        // The mode belongs to the terminal, not the descriptor: the test's own end keeps the
        // terminal open, so take it off as the holder's last close would.
        if (m_fd >= 0) {
            ::ioctl(m_fd, TIOCNXCL);
            ::close(m_fd);
        }
        m_fd = -1;
    }

private:
    QSerialPort m_port;
    int m_fd = -1;
    bool m_held = false;
};

QString inUse(const QString& device)
{
    return QStringLiteral("COM1 (%1) is in use by another program. Close that program or choose "
                          "another port.")
        .arg(device);
}

QString notSerial(const QString& device)
{
    return QStringLiteral("COM1 (%1) is not a serial port. Choose another port, or start the "
                          "program with --com 1=DEVICE naming a serial device.")
        .arg(device);
}

FormSet* shownFormSet()
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* d = qobject_cast<FormSet*>(top); d && d->isVisible())
            return d;
    }
    return nullptr;
}

// Opens the modal settings dialog with "Set" and runs body on it; false when none showed.
bool withFormSet(Formall* w, const std::function<void(FormSet*)>& body)
{
    bool shown = false;
    QTimer::singleShot(0, [&] {
        if (FormSet* d = shownFormSet()) {
            shown = true;
            body(d);
            d->reject();
        }
    });
    w->Command3_Click();
    QCoreApplication::processEvents();
    return shown;
}

} // namespace

class TstFaultOpen : public QObject {
    Q_OBJECT
private slots:
    void heldByAnotherOpener_data();
    void heldByAnotherOpener();
    void notATerminal_data();
    void notATerminal();
    void rejectedSettings_data();
    void rejectedSettings();
    void portNumberZero_data();
    void portNumberZero();
};

void TstFaultOpen::heldByAnotherOpener_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("same name, lock file") << "lock";
    QTest::newRow("own name, exclusive open") << "exclusive";
}

void TstFaultOpen::heldByAnotherOpener()
{
    QFETCH(QString, how);
    Pty pty, second;
    QVERIFY(pty.isValid() && second.isValid());
    Rig rig;
    QVERIFY(rig.plug(pty));
    rig.map.devices.insert(2, second.path());
    Holder holder(how, rig.com1, pty);
    QVERIFY(holder.held());

    // Another user must be able to reach the devices and their folder.
    for (const QString& path : {rig.dir.path(), pty.path(), second.path()})
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0777), 0);
    OtherUser user(how == u"exclusive");
    if (!user.active())
        QSKIP("cannot take another user's rights here");

    Formall* w = rig.start();
    // The probe describes the held port and goes on to the others.
    QCOMPARE(label(w, "Label6", 0)->text(), inUse(rig.com1));
    QCOMPARE(colour(label(w, "Label6", 0)), QColor(255, 0, 0));
    QCOMPARE(label(w, "Label6", 0)->toolTip(), inUse(rig.com1));
    QCOMPARE(label(w, "Label6", 1)->text(), QStringLiteral("Enable"));
    QCOMPARE(colour(label(w, "Label6", 1)), QColor(0, 0, 255));
    for (int n = 2; n < 6; ++n)
        QCOMPARE(label(w, "Label6", n)->text(), QStringLiteral("Invalid port number"));
    QCOMPARE(shownTexts(rig.boxes), QString());
    QCOMPARE(w->Comm1().commPort(), qint16(1));

    w->Command1_Click(0);
    QCOMPARE(rig.boxes.shown, QList<ShownBox>{standard("Error!!" + inUse(rig.com1))});
    QCOMPARE(w->LastOpenError, inUse(rig.com1));
    QVERIFY(!w->Comm1().portOpen());
    QCOMPARE(label(w, "Label7", 1)->text(), QStringLiteral("open/close"));
    QCOMPARE(portHandles(pty), 1); // the holder's only

    // Once the other lets go the same press opens it.
    holder.release();
    rig.boxes.shown.clear();
    w->Command1_Click(0);
    QCOMPARE(shownTexts(rig.boxes), QString());
    QVERIFY(w->Comm1().portOpen());
    QCOMPARE(label(w, "Label7", 1)->text(), QStringLiteral("Open"));
    w->NUMADM787_Click();
    QCOMPARE(pty.readNow(5), hex("02 05 43 33 03"));
    rig.ctx.reset();
}

void TstFaultOpen::notATerminal_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("directory") << "dir";
    QTest::newRow("regular file") << "file";
    QTest::newRow("symlink to a regular file") << "link";
}

void TstFaultOpen::notATerminal()
{
    QFETCH(QString, kind);
    Rig rig;
    const QString file = rig.dir.filePath(QStringLiteral("plain"));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep");
    }
    QString device = rig.com1;
    if (kind == u"dir") {
        QVERIFY(QDir(rig.dir.path()).mkdir(QFileInfo(rig.com1).fileName()));
    } else if (kind == u"file") {
        QVERIFY(QFile::rename(file, rig.com1));
    } else {
        QVERIFY(rig.plug(file));
    }

    Formall* w = rig.start();
    QCOMPARE(label(w, "Label6", 0)->text(), notSerial(device));
    QCOMPARE(colour(label(w, "Label6", 0)), QColor(255, 0, 0));
    QCOMPARE(label(w, "Label6", 1)->text(), QStringLiteral("Invalid port number"));

    w->Command1_Click(0);
    QCOMPARE(rig.boxes.shown, QList<ShownBox>{standard("Error!!" + notSerial(device))});
    QVERIFY(!w->Comm1().portOpen());

    // The demo offers to open it, fails the same way, and its window refuses typing.
    rig.boxes.shown.clear();
    rig.boxes.yesNoAnswers = {true};
    w->numedmo_Click();
    QCOMPARE(countShown(rig.boxes, "Error!!" + notSerial(device)), 1);
    QVERIFY(DATASAVE::instance());
    rig.boxes.shown.clear();
    typeInto(DATASAVE::instance()->controls().get<QWidget>("keyin"), QStringLiteral("a"));
    QCOMPARE(rig.boxes.shown, QList<ShownBox>{message(kNotOpen, "message")});
    w->NUMADM787_Click();
    QVERIFY(!w->Comm1().portOpen());

    // Looked at, never written.
    const QString plain = kind == u"file" ? rig.com1 : file;
    if (kind != u"dir") {
        QFile f(plain);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("keep"));
    }
}

void TstFaultOpen::rejectedSettings_data()
{
    QTest::addColumn<int>("framing"); // FormSet's option button
    QTest::addColumn<QString>("settings");
    QTest::addColumn<bool>("portOpen");
    QTest::newRow("7 bits, port open") << 9 << "9600,n,7,1" << true;
    QTest::newRow("even parity, port open") << 10 << "9600,e,8,1" << true;
    QTest::newRow("7 bits, port closed") << 9 << "9600,n,7,1" << false;
    QTest::newRow("odd parity, port closed") << 12 << "9600,o,8,1" << false;
}

// A pseudo-terminal takes only 8 bits without parity, so these framings are refused by the
// device: described, the line keeps working with what it had.
void TstFaultOpen::rejectedSettings()
{
    QFETCH(int, framing);
    QFETCH(QString, settings);
    QFETCH(bool, portOpen);
    Pty pty;
    Rig rig;
    Formall* w = rig.startOn(pty, portOpen);
    QVERIFY(w);
    const QString refusal =
        QStringLiteral(
            "COM1 (%1) refused the settings %2: a pseudo-terminal takes only 8 data bits "
            "without parity. Choose 8 data bits and parity n in Set, or use a real "
            "serial port.")
            .arg(rig.com1, settings);

    rig.boxes.shown.clear();
    QVERIFY(withFormSet(w, [&](FormSet* d) {
        click(d->controls().get<QRadioButton>(QStringLiteral("Option%1").arg(framing)));
        click(d->controls().get<QPushButton>("CmdOk"));
    }));
    if (portOpen) {
        QCOMPARE(rig.boxes.shown, QList<ShownBox>{standard(refusal)});
        QVERIFY(w->Comm1().portOpen());
        QCOMPARE(w->Comm1().settings(), QStringLiteral("9600,n,8,1"));
        QCOMPARE(label(w, "Label7", 3)->text(), QStringLiteral("9600,n,8,1"));
    } else {
        // Taken as text; the device refuses it when the port opens.
        QCOMPARE(shownTexts(rig.boxes), QString());
        QCOMPARE(w->Comm1().settings(), settings);
        w->Command1_Click(0);
        QCOMPARE(rig.boxes.shown, QList<ShownBox>{standard("Error!!" + refusal)});
        QCOMPARE(w->LastOpenError, refusal);
        QVERIFY(!w->Comm1().portOpen());
        QCOMPARE(portHandles(pty), 0);
        // Back to what the device takes, and it opens.
        QVERIFY(withFormSet(w, [&](FormSet* d) {
            click(d->controls().get<QRadioButton>("Option8")); // N_8_1
            click(d->controls().get<QPushButton>("CmdOk"));
        }));
        w->Command1_Click(0);
        QVERIFY(w->Comm1().portOpen());
    }
    w->NUMADM787_Click();
    QCOMPARE(pty.readNow(5), hex("02 05 43 33 03"));
}

void TstFaultOpen::portNumberZero_data()
{
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<QString>("typed");
    QTest::newRow("port closed, Com0") << false << "Com0";
    QTest::newRow("port open, Com0") << true << "Com0";
    QTest::newRow("port closed, 0") << false << "0";
    QTest::newRow("port closed, nothing") << false << "";
}

// Typing into the port list leaves no item chosen, which is port number 0: described, and the
// component keeps the number it had.
void TstFaultOpen::portNumberZero()
{
    QFETCH(bool, portOpen);
    QFETCH(QString, typed);
    Pty pty;
    Rig rig;
    Formall* w = rig.startOn(pty, portOpen);
    QVERIFY(w);
    rig.boxes.shown.clear();
    QVERIFY(withFormSet(w, [&](FormSet* d) {
        QLineEdit* edit = d->controls().get<QComboBox>("Combo1")->lineEdit();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, typed);
        QCOMPARE(d->listIndex(), -1);
        click(d->controls().get<QPushButton>("CmdOk"));
    }));
    QCOMPARE(rig.boxes.shown, QList<ShownBox>{standard(QStringLiteral("Invalid port number"))});
    QCOMPARE(rig.state.PortNumber, qint16(0));
    QCOMPARE(w->Comm1().commPort(), qint16(1));
    QCOMPARE(label(w, "Label7", 4)->text(), QStringLiteral("Port : 1"));
    QCOMPARE(w->Comm1().portOpen(), portOpen);

    rig.boxes.shown.clear();
    w->Command1_Click(0);
    QCOMPARE(shownTexts(rig.boxes), QString());
    w->NUMADM787_Click();
    QCOMPARE(pty.readNow(5), hex("02 05 43 33 03"));
}

QTEST_MAIN(TstFaultOpen)
#include "tst_fault_open.moc"
