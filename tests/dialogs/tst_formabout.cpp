#include "dialogs/formabout.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace vq;

namespace {

int aboutCount()
{
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += qobject_cast<FormAbout*>(w) && w->isVisible() ? 1 : 0;
    return n;
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QPoint centredCorner(const QWidget* w)
{
    const QSize screen = w->screen()->size();
    const double dpi = screenDpi();
    const QSize outer = w->frameGeometry().size();
    return {
        px(centredTwips(pixelsToTwips(screen.width(), dpi), pixelsToTwips(outer.width(), dpi))),
        px(centredTwips(pixelsToTwips(screen.height(), dpi), pixelsToTwips(outer.height(), dpi)))};
}

} // namespace

Q_DECLARE_METATYPE(vq::TwipsRect)

class TstFormAbout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutes(); }
    void cleanup();
    void oneInstanceNotMoved();
    void closesAndOpensAnew();
    void keys_data();
    void keys();
    void controls_data();
    void controls();
    void windowAndPictures();
};

void TstFormAbout::cleanup()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<FormAbout*>(w))
            w->close();
    }
    flushDeletes();
}

void TstFormAbout::oneInstanceNotMoved()
{
    FormAbout* first = showAbout();
    QVERIFY(first);
    QVERIFY(first->isVisible());
    QVERIFY(!first->isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(first->frameGeometry().topLeft(), centredCorner(first));

    // The operator drags it; choosing About again must not bring it back to the centre.
    const QPoint moved = first->pos() + QPoint(37, 21);
    first->move(moved);
    FormAbout* second = showAbout();
    QCOMPARE(second, first);
    QCOMPARE(second->pos(), moved);
    QCOMPARE(aboutCount(), 1);
}

void TstFormAbout::closesAndOpensAnew()
{
    QPointer<FormAbout> first = showAbout();
    first->move(first->pos() + QPoint(50, 50));
    QTest::mouseClick(first->controls().get<QPushButton>(QStringLiteral("Command1")),
                      Qt::LeftButton);
    flushDeletes();
    QVERIFY(first.isNull());
    QCOMPARE(aboutCount(), 0);

    FormAbout* again = showAbout();
    QVERIFY(again);
    QCOMPARE(aboutCount(), 1);
    QCOMPARE(again->frameGeometry().topLeft(), centredCorner(again));
}

void TstFormAbout::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("toButton");
    QTest::addColumn<bool>("closes");

    QTest::newRow("Enter on window") << int(Qt::Key_Return) << false << true;
    QTest::newRow("Enter on OK") << int(Qt::Key_Return) << true << true;
    QTest::newRow("keypad Enter on window") << int(Qt::Key_Enter) << false << true;
    QTest::newRow("Space on OK") << int(Qt::Key_Space) << true << true;
    QTest::newRow("Escape on window") << int(Qt::Key_Escape) << false << false;
    QTest::newRow("Escape on OK") << int(Qt::Key_Escape) << true << false;
    QTest::newRow("letter on OK") << int(Qt::Key_A) << true << false;
}

void TstFormAbout::keys()
{
    QFETCH(int, key);
    QFETCH(bool, toButton);
    QFETCH(bool, closes);

    QPointer<FormAbout> about = showAbout();
    auto* ok = about->controls().get<QPushButton>(QStringLiteral("Command1"));
    QVERIFY(ok->isDefault());
    QCOMPARE(about->focusWidget(), ok);
    const Qt::KeyboardModifiers mods = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
    QTest::keyClick(toButton ? static_cast<QWidget*>(ok) : about.data(), Qt::Key(key), mods);
    flushDeletes();
    QCOMPARE(about.isNull(), closes);
}

void TstFormAbout::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<TwipsRect>("rect");
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QColor>("fg");

    const QPalette sys = QApplication::palette();
    const QColor text = sys.color(QPalette::Text);
    QTest::newRow("Command1") << "Command1"
                              << "OK" << TwipsRect{2400, 2400, 855, 375} << 14.25 << false
                              << QColor();
    QTest::newRow("Label2") << "Label2"
                            << "ZTK Customer Pole Display VQ3360 setup utility"
                            << TwipsRect{1320, 240, 4095, 735} << 14.25 << false << text;
    QTest::newRow("Label3") << "Label3"
                            << "Version 1.0c" << TwipsRect{1320, 960, 2295, 375} << 12.0 << false
                            << text;
    QTest::newRow("Label5") << "Label5" << QString() << TwipsRect{240, 1680, 5655, 615} << 15.75
                            << true << QColor(0, 0, 192);
}

void TstFormAbout::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(TwipsRect, rect);
    QFETCH(double, points);
    QFETCH(bool, bold);
    QFETCH(QColor, fg);

    FormAbout* about = showAbout();
    QWidget* w = about->controls().widget(name);
    QVERIFY(w);
    QCOMPARE(w->geometry(), pxRect(rect));
    QCOMPARE(w->font().family(), QStringLiteral("Times New Roman"));
    QCOMPARE(w->font().pointSizeF(), points);
    QCOMPARE(w->font().bold(), bold);
    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (caption.isEmpty())
            QVERIFY(!label->text().trimmed().isEmpty()); // the maker line is ours to write
        else
            QCOMPARE(label->text(), caption);
        QCOMPARE(label->palette().color(QPalette::WindowText), fg);
        QCOMPARE(label->palette().color(QPalette::Window),
                 QApplication::palette().color(QPalette::Base));
        QVERIFY(label->autoFillBackground());
        QVERIFY(label->wordWrap());
    } else {
        QCOMPARE(qobject_cast<QPushButton*>(w)->text(), caption);
    }
}

void TstFormAbout::windowAndPictures()
{
    FormAbout* about = showAbout();
    QCOMPARE(about->windowTitle(), QStringLiteral("About VQ3360 Function Demo"));
    QCOMPARE(about->size(), QSize(px(6015), px(2925)));
    QCOMPARE(about->palette().color(QPalette::Window),
             QApplication::palette().color(QPalette::HighlightedText));
    QVERIFY(!(about->windowFlags() & Qt::WindowMinMaxButtonsHint));

    auto* picture = about->controls().get<QLabel>(QStringLiteral("Picture1"));
    QVERIFY(picture);
    QCOMPARE(picture->geometry(), pxRect({120, 360, 1095, 855}));
    QCOMPARE(picture->pixmap().size(), QSize(70, 42));
    QVERIFY(about->windowIcon().availableSizes().contains(QSize(32, 32)));

    // The drawn logo is a picture, not an empty or one-colour square.
    const QImage logo = FormAbout::logo().toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < logo.height(); ++y) {
        for (int x = 0; x < logo.width(); ++x)
            colours.insert(logo.pixel(x, y));
    }
    QVERIFY(colours.size() >= 4);
}

QTEST_MAIN(TstFormAbout)
#include "tst_formabout.moc"
