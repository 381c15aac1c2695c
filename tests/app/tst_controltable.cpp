#include "app/controltable.h"

#include <QTest>

using namespace vq;

class TstControlTable : public QObject {
    Q_OBJECT
private slots:
    void twips_data();
    void twips();
    void centring_data();
    void centring();
};

void TstControlTable::twips_data()
{
    QTest::addColumn<double>("twips");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<int>("pixels");
    QTest::newRow("96 dpi, 15 twips a pixel") << 7875.0 << 96.0 << 525;
    QTest::newRow("rounds to nearest") << 372.0 << 96.0 << 25;
    QTest::newRow("fraction below half") << 641.5 << 96.0 << 43;
    QTest::newRow("120 dpi, 12 twips a pixel") << 7875.0 << 120.0 << 656;
    QTest::newRow("zero") << 0.0 << 96.0 << 0;
}

void TstControlTable::twips()
{
    QFETCH(double, twips);
    QFETCH(double, dpi);
    QFETCH(int, pixels);
    QCOMPARE(twipsToPixels(twips, dpi), pixels);
    QVERIFY(qAbs(pixelsToTwips(pixels, dpi) - twips) <= 1440.0 / dpi / 2 + 1e-9);
}

void TstControlTable::centring_data()
{
    QTest::addColumn<double>("screen");
    QTest::addColumn<double>("outer");
    QTest::addColumn<int>("left");
    QTest::newRow("even difference") << 19200.0 << 8000.0 << 5600;
    QTest::newRow("odd difference drops the remainder") << 19200.0 << 8001.0 << 5599;
    QTest::newRow("half rounds to even, down") << 100.0 << 97.5 << 1;
    QTest::newRow("half rounds to even, up") << 100.0 << 96.5 << 2;
    QTest::newRow("window wider than screen truncates toward zero") << 1000.0 << 1007.0 << -3;
}

void TstControlTable::centring()
{
    QFETCH(double, screen);
    QFETCH(double, outer);
    QFETCH(int, left);
    QCOMPARE(centredTwips(screen, outer), left);
}

QTEST_GUILESS_MAIN(TstControlTable)
#include "tst_controltable.moc"
