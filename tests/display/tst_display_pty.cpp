#include "app/appcontext.h"
#include "app/formall.h"
#include "appharness.h"
#include "display/formbaud.h"
#include "display/formint.h"
#include "scriptedboxes.h"
#include "serial/qtcommport.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <QAction>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <unistd.h>

using namespace vq;
using namespace vq::test;

namespace {

// A pseudo-terminal for one test: the port opens the slave by path, the test reads the master.
class Pty {
public:
    Pty()
    {
        if (::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) != 0)
            return;
        m_path = QString::fromLocal8Bit(::ttyname(m_slave));
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    }
    ~Pty()
    {
        if (m_master >= 0)
            ::close(m_master);
        if (m_slave >= 0)
            ::close(m_slave);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool isValid() const { return m_master >= 0 && !m_path.isEmpty(); }
    QString path() const { return m_path; }

    // The port writes from the event loop, so keep it running while waiting. Gives up only
    // when nothing has come for a very long while, so a missing byte cannot hang the run.
    QByteArray read(qsizetype count)
    {
        QByteArray got;
        for (int idle = 0; got.size() < count && idle < 1000;) {
            QCoreApplication::processEvents();
            pollfd fd{m_master, POLLIN, 0};
            if (::poll(&fd, 1, 10) <= 0) {
                ++idle;
                continue;
            }
            char buffer[256];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0)
                got.append(buffer, n);
        }
        return got;
    }

    // What is there to read right now, without waiting.
    QByteArray pending()
    {
        QByteArray got;
        char buffer[256];
        for (ssize_t n; (n = ::read(m_master, buffer, sizeof buffer)) > 0;)
            got.append(buffer, n);
        return got;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

} // namespace

class TstDisplayPty : public QObject {
    Q_OBJECT
private slots:
    void bytesArrive_data();
    void bytesArrive();
    void cleanup();
};

void TstDisplayPty::cleanup()
{
    delete FormBaud::instance();
    delete FormInt::instance();
}

void TstDisplayPty::bytesArrive_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QByteArray>("arrived");
    QTest::newRow("&DSP800") << "NUMDSP800" << hex("02 05 43 30 03");
    QTest::newRow("AEDE&X then reset") << "NUMAEDEX numall" << hex("02 05 43 34 03 02 05 07 31 03");
    QTest::newRow("display settings as loaded")
        << "FormBaud" << hex("02 05 42 30 03 02 05 50 31 03");
    QTest::newRow("NORWAY") << "FormInt" << hex("02 05 53 39 03");
}

void TstDisplayPty::bytesArrive()
{
    QFETCH(QString, action);
    QFETCH(QByteArray, arrived);
    Pty pty;
    QVERIFY(pty.isValid());
    PortMap map;
    map.devices.insert(1, pty.path());
    for (int n = 2; n <= 6; ++n)
        map.devices.insert(n, QStringLiteral("/nonexistent/vq3360-test/port%1").arg(n));

    Module1 state;
    ScriptedBoxes boxes;
    AppContext ctx(state, boxes, qtPortFactory(map));
    ctx.setEndHandler([] {});
    Formall* w = ctx.showMainWindow();
    w->Command1_Click(0);
    QVERIFY2(w->Comm1().portOpen(), qPrintable(w->LastOpenError));

    if (action == "FormBaud") {
        w->menuEntry("numbaudrate")->trigger();
        QVERIFY(FormBaud::instance());
        click(FormBaud::instance()->controls().get<QPushButton>("CmdOk"));
    } else if (action == "FormInt") {
        w->menuEntry("numinterset")->trigger();
        FormInt* d = FormInt::instance();
        QVERIFY(d);
        click(d->controls().get<QRadioButton>("Option10"));
        click(d->controls().get<QPushButton>("CmdOk"));
    } else {
        for (const QString& entry : action.split(u' '))
            w->menuEntry(entry)->trigger();
    }
    QCOMPARE(pty.read(arrived.size()), arrived);
    QVERIFY(boxes.shown.isEmpty());
    // Closing sends whatever was still queued; nothing beyond the commands may be there.
    w->Command1_Click(1);
    QCOMPARE(pty.pending(), QByteArray());
}

QTEST_MAIN(TstDisplayPty)
#include "tst_display_pty.moc"
