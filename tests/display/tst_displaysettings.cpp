#include "display/displaysettings.h"
#include "fakeport.h"
#include "scriptedboxes.h"

#include <QTest>

using namespace vq;
using namespace vq::test;

namespace {

QList<QByteArray> hexList(const char* text)
{
    QList<QByteArray> list;
    for (const QByteArray& command : QByteArray(text).split('|'))
        if (!command.trimmed().isEmpty())
            list << QByteArray::fromHex(command);
    return list;
}

// Fails the write at one position (0 = first) with the given error number.
class FailingPort : public FakePort {
public:
    FailingPort(int at, int number) : m_at(at), m_number(number) { setPortOpen(true); }

protected:
    void writeDevice(const QByteArray& bytes) override
    {
        if (m_seen++ == m_at)
            throw CommError(m_number, QStringLiteral("failure %1").arg(m_number));
        FakePort::writeDevice(bytes);
    }

private:
    int m_at;
    int m_number;
    int m_seen = 0;
};

} // namespace

class TstDisplaySettings : public QObject {
    Q_OBJECT
private slots:
    void preselectThenSend_data();
    void preselectThenSend();
    void apply_data();
    void apply();
};

void TstDisplaySettings::preselectThenSend_data()
{
    QTest::addColumn<QString>("baudText");
    QTest::addColumn<QString>("frameText");
    QTest::addColumn<QList<QByteArray>>("sent");
    const char* const bauds[][2] = {{"300", "02 05 42 35 03"},   {"600", "02 05 42 34 03"},
                                    {"1200", "02 05 42 33 03"},  {"2400", "02 05 42 32 03"},
                                    {"4800", "02 05 42 31 03"},  {"9600", "02 05 42 30 03"},
                                    {"19200", "02 05 42 37 03"}, {"38400", "02 05 42 36 03"}};
    for (const auto& row : bauds)
        QTest::newRow(row[0]) << row[0] << "none" << hexList(row[1]);
    const char* const frames[][2] = {{"N,8,1", "02 05 50 31 03"}, {"N,7,1", "02 05 50 32 03"},
                                     {"E,8,1", "02 05 50 33 03"}, {"E,7,1", "02 05 50 34 03"},
                                     {"O,8,1", "02 05 50 35 03"}, {"O,7,1", "02 05 50 36 03"}};
    for (const auto& row : frames) {
        const QString lower = QString::fromLatin1(row[0]).toLower();
        QTest::newRow(row[0]) << "none" << row[0] << hexList(row[1]);
        QTest::newRow(qPrintable(lower)) << "none" << lower << hexList(row[1]);
    }
    QTest::newRow("start values, baud first")
        << "9600"
        << "n,8,1" << hexList("02 05 42 30 03 | 02 05 50 31 03");
    QTest::newRow("empty") << ""
                           << "" << QList<QByteArray>{};
    QTest::newRow("padded") << " 9600"
                            << "n,8,1 " << QList<QByteArray>{};
    QTest::newRow("unknown rate, mark parity") << "14400"
                                               << "m,8,1" << QList<QByteArray>{};
    QTest::newRow("two stop bits") << "96000"
                                   << "n,8,2" << QList<QByteArray>{};
    QTest::newRow("no commas") << "09600"
                               << "N81" << QList<QByteArray>{};
}

void TstDisplaySettings::preselectThenSend()
{
    QFETCH(QString, baudText);
    QFETCH(QString, frameText);
    QFETCH(QList<QByteArray>, sent);
    QCOMPARE(displaySettingsCommands(preselectLine(baudText, frameText)), sent);
}

void TstDisplaySettings::apply_data()
{
    QTest::addColumn<int>("failAt"); // -1: nothing fails
    QTest::addColumn<int>("number");
    QTest::addColumn<QList<QByteArray>>("written");
    QTest::addColumn<QString>("text"); // empty: no message
    QTest::addColumn<QString>("title");
    const QList<QByteArray> baud = hexList("02 05 42 30 03");
    QTest::newRow("success") << -1 << 0 << hexList("02 05 42 30 03 | 02 05 50 31 03") << ""
                             << "";
    QTest::newRow("device gone at baud") << 0 << 68 << QList<QByteArray>{} << "Device unavailable!"
                                         << "Error";
    QTest::newRow("device gone at framing") << 1 << 68 << baud << "Device unavailable!"
                                            << "Error";
    QTest::newRow("closed at baud")
        << 0 << 8018 << QList<QByteArray>{} << "ComPort Not Open errno:8018"
        << "Message";
    QTest::newRow("closed at framing") << 1 << 8018 << baud << "ComPort Not Open errno:8018"
                                       << "Message";
    QTest::newRow("other at baud") << 0 << 8015 << QList<QByteArray>{} << ""
                                   << "";
    QTest::newRow("other at framing") << 1 << 380 << baud << ""
                                      << "";
}

void TstDisplaySettings::apply()
{
    QFETCH(int, failAt);
    QFETCH(int, number);
    QFETCH(QList<QByteArray>, written);
    QFETCH(QString, text);
    QFETCH(QString, title);
    FailingPort port(failAt, number);
    const QString settings = port.settings();
    ScriptedBoxes boxes;
    QCOMPARE(applyDisplaySettings(port, boxes, preselectLine("9600", "N,8,1")), failAt < 0);
    QCOMPARE(port.writes, written);
    QCOMPARE(boxes.shown.size(), text.isEmpty() ? 0 : 1);
    if (!text.isEmpty()) {
        QCOMPARE(boxes.shown[0].kind, ShownBox::Message);
        QCOMPARE(boxes.shown[0].text, text);
        QCOMPARE(boxes.shown[0].typeCode, 4);
        QCOMPARE(boxes.shown[0].title, title);
    }
    QCOMPARE(port.settings(), settings); // the PC side stays as it was
}

QTEST_GUILESS_MAIN(TstDisplaySettings)
#include "tst_displaysettings.moc"
