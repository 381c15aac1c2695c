#include "serial/linesettings.h"

#include <QTest>

using namespace vq;

Q_DECLARE_METATYPE(vq::StopBits)

class TestLineSettings : public QObject {
    Q_OBJECT

private slots:
    void defaults();
    void accepted_data();
    void accepted();
    void rejected_data();
    void rejected();
    void everyListedBaud_data();
    void everyListedBaud();
};

void TestLineSettings::defaults()
{
    const LineSettings s;
    QCOMPARE(s.toString(), QStringLiteral("9600,n,8,1"));
    QCOMPARE(LineSettings::parse(s.toString()), std::optional<LineSettings>(s));
}

void TestLineSettings::accepted_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("baud");
    QTest::addColumn<char>("parity");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<StopBits>("stop");
    QTest::addColumn<QString>("readBack");

    QTest::newRow("start-up") << "9600,n,8,1" << 9600 << 'n' << 8 << StopBits::One << "9600,n,8,1";
    QTest::newRow("upper N") << "9600,N,8,1" << 9600 << 'n' << 8 << StopBits::One << "9600,n,8,1";
    QTest::newRow("even 7") << "19200,e,7,1" << 19200 << 'e' << 7 << StopBits::One << "19200,e,7,1";
    QTest::newRow("upper E") << "2400,E,7,2" << 2400 << 'e' << 7 << StopBits::Two << "2400,e,7,2";
    QTest::newRow("odd") << "300,O,8,1" << 300 << 'o' << 8 << StopBits::One << "300,o,8,1";
    QTest::newRow("mark") << "1200,m,6,1" << 1200 << 'm' << 6 << StopBits::One << "1200,m,6,1";
    QTest::newRow("upper S") << "600,S,5,1.5" << 600 << 's' << 5 << StopBits::OneAndHalf
                             << "600,s,5,1.5";
    QTest::newRow("slowest") << "110,n,8,2" << 110 << 'n' << 8 << StopBits::Two << "110,n,8,2";
    QTest::newRow("fastest") << "115200,n,8,1" << 115200 << 'n' << 8 << StopBits::One
                             << "115200,n,8,1";
}

void TestLineSettings::accepted()
{
    QFETCH(QString, text);
    QFETCH(int, baud);
    QFETCH(char, parity);
    QFETCH(int, dataBits);
    QFETCH(StopBits, stop);
    QFETCH(QString, readBack);
    const auto s = LineSettings::parse(text);
    QVERIFY(s.has_value());
    QCOMPARE(s->baud, baud);
    QCOMPARE(s->parity, parity);
    QCOMPARE(s->dataBits, dataBits);
    QCOMPARE(s->stopBits, stop);
    QCOMPARE(s->toString(), readBack);
}

void TestLineSettings::rejected_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("three fields") << "9600,n,8";
    QTest::newRow("five fields") << "9600,n,8,1,1";
    QTest::newRow("unlisted baud") << "9601,n,8,1";
    QTest::newRow("baud 0") << "0,n,8,1";
    QTest::newRow("baud 230400") << "230400,n,8,1";
    QTest::newRow("negative baud") << "-9600,n,8,1";
    QTest::newRow("leading zero") << "09600,n,8,1";
    QTest::newRow("space in baud") << " 9600,n,8,1";
    QTest::newRow("missing baud") << ",n,8,1";
    QTest::newRow("parity x") << "9600,x,8,1";
    QTest::newRow("parity word") << "9600,none,8,1";
    QTest::newRow("parity empty") << "9600,,8,1";
    QTest::newRow("data 4") << "9600,n,4,1";
    QTest::newRow("data 9") << "9600,n,9,1";
    QTest::newRow("data 08") << "9600,n,08,1";
    QTest::newRow("stop 0") << "9600,n,8,0";
    QTest::newRow("stop 3") << "9600,n,8,3";
    QTest::newRow("stop 1.0") << "9600,n,8,1.0";
    QTest::newRow("stop 1,5") << "9600,n,8,1,5";
    QTest::newRow("semicolons") << "9600;n;8;1";
    QTest::newRow("trailing space") << "9600,n,8,1 ";
}

void TestLineSettings::rejected()
{
    QFETCH(QString, text);
    QVERIFY(!LineSettings::parse(text).has_value());
}

void TestLineSettings::everyListedBaud_data()
{
    QTest::addColumn<int>("baud");
    for (const int b : {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200})
        QTest::newRow(qPrintable(QString::number(b))) << b;
}

void TestLineSettings::everyListedBaud()
{
    QFETCH(int, baud);
    const QString text = QStringLiteral("%1,n,8,1").arg(baud);
    const auto s = LineSettings::parse(text);
    QVERIFY(s.has_value());
    QCOMPARE(s->baud, baud);
    QCOMPARE(s->toString(), text);
}

QTEST_APPLESS_MAIN(TestLineSettings)
#include "tst_linesettings.moc"
