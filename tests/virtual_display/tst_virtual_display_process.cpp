#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSerialPort>
#include <QtTest>

namespace {

// Generous: only stops a broken run from hanging, never judges speed.
constexpr int patienceMs = 30000;

struct Headless {
    QProcess process;
    QByteArray buffer;
    QString path;

    bool start()
    {
        process.start(QStringLiteral(VQ_VDISPLAY_EXE), QStringList{"--headless"});
        const QList<QByteArray> first = lines(1);
        path = first.isEmpty() ? QString() : QString::fromLocal8Bit(first[0]);
        return path.startsWith(QLatin1String("/dev/"));
    }

    QList<QByteArray> lines(int count)
    {
        QElapsedTimer timer;
        timer.start();
        while (buffer.count('\n') < count && timer.elapsed() < patienceMs) {
            process.waitForReadyRead(100);
            buffer += process.readAllStandardOutput();
        }
        QList<QByteArray> out;
        qsizetype end;
        while (out.size() < count && (end = buffer.indexOf('\n')) >= 0) {
            out << buffer.left(end);
            buffer.remove(0, end + 1);
        }
        return out;
    }

    // Each event as "name" or "name:detail", the way the rows below spell them.
    QStringList events(int count, QJsonObject* last)
    {
        QStringList out;
        for (const QByteArray& line : lines(count)) {
            const QJsonObject e = QJsonDocument::fromJson(line).object();
            QString s = e.value("event").toString();
            if (s == QLatin1String("text"))
                s += e.value("garbled").toBool() ? QStringLiteral(":garbled")
                                                 : ":" + e.value("char").toString();
            else if (s == QLatin1String("emulation"))
                s += ":" + e.value("name").toString() + " " + e.value("bytes").toString();
            else if (s == QLatin1String("display_baud"))
                s += ":" + QString::number(e.value("baud").toInt());
            out << s;
            *last = e;
        }
        return out;
    }
};

bool openPort(QSerialPort& port, const QString& path, int baud)
{
    port.setPortName(path);
    port.setBaudRate(baud);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    return port.open(QIODevice::WriteOnly);
}

bool send(QSerialPort& port, const QByteArray& data)
{
    if (port.write(data) != data.size())
        return false;
    while (port.bytesToWrite() > 0 && port.waitForBytesWritten(patienceMs)) {
    }
    return port.bytesToWrite() == 0;
}

} // namespace

class TestVirtualDisplayProcess : public QObject {
    Q_OBJECT

    Headless m_display;

private slots:
    void initTestCase() { QVERIFY2(m_display.start(), qPrintable(m_display.path)); }

    void throughThePort_data()
    {
        QTest::addColumn<int>("pcBaud");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("byteByByte");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("line1");

        // Rows run in order against one process; each opens and closes the port again.
        QTest::newRow("emulation and text")
            << 9600 << QByteArray::fromHex("0205433303") + "Hi" << false
            << QStringList{"emulation:ADM787 02 05 43 33 03", "text:H", "text:i"} << "Hi";
        QTest::newRow("after reopen") << 9600 << QByteArray("\x0COK") << false
                                      << QStringList{"clear", "text:O", "text:K"} << "OK";
        QTest::newRow("one byte per write")
            << 9600 << QByteArray::fromHex("02054C3150030205440803") << true
            << QStringList{"store_line", "show_demo"} << "P";
        QTest::newRow("display to 19200") << 9600 << QByteArray::fromHex("0205423703") << false
                                          << QStringList{"display_baud:19200"} << "P";
        QTest::newRow("PC left at 9600")
            << 9600 << QByteArray("A") << false << QStringList{"speed_mismatch", "text:garbled"}
            << QString();
        QTest::newRow("PC at 19200")
            << 19200
            << QByteArray("\x0C"
                          "B")
            << false << QStringList{"speed_match", "clear", "text:B"} << "B";
        QTest::newRow("display back to 9600") << 19200 << QByteArray::fromHex("0205423003") << false
                                              << QStringList{"display_baud:9600"} << "B";
        QTest::newRow("undecoded keeps going")
            << 9600 << QByteArray::fromHex("0205433903") + "C" << false
            << QStringList{"undecoded", "text:C"} << "BC";
    }

    void throughThePort()
    {
        QFETCH(int, pcBaud);
        QFETCH(QByteArray, data);
        QFETCH(bool, byteByByte);
        QFETCH(QStringList, expected);
        QFETCH(QString, line1);

        QSerialPort port;
        QVERIFY2(openPort(port, m_display.path, pcBaud), qPrintable(port.errorString()));
        const qsizetype step = byteByByte ? 1 : data.size();
        for (qsizetype at = 0; at < data.size(); at += step)
            QVERIFY(send(port, data.mid(at, step)));
        QJsonObject last;
        QCOMPARE(m_display.events(int(expected.size()), &last), expected);
        port.close();
        if (!line1.isNull())
            QCOMPARE(last.value("line1").toString(), line1.leftJustified(20));
        QCOMPARE(last.value("line2").toString().size(), 20);
    }

    void stopsOnSigterm()
    {
        m_display.process.terminate();
        QVERIFY(m_display.process.waitForFinished(patienceMs));
        QCOMPARE(m_display.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_display.process.exitCode(), 0);
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("mentions");

        QTest::newRow("help") << QStringList{"--help"} << 0 << "--headless";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "1.0";
        QTest::newRow("unknown option") << QStringList{"--headless", "--bogus"} << 1 << "bogus";
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, mentions);

        QProcess process;
        process.start(QStringLiteral(VQ_VDISPLAY_EXE), arguments);
        QVERIFY(process.waitForFinished(patienceMs));
        QCOMPARE(process.exitCode(), exitCode);
        const QByteArray output = process.readAllStandardOutput() + process.readAllStandardError();
        QVERIFY2(output.contains(mentions.toUtf8()), output.constData());
    }
};

QTEST_GUILESS_MAIN(TestVirtualDisplayProcess)
#include "tst_virtual_display_process.moc"
