#include "dialogs/formabout.h"

#include <QApplication>
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

class TstFormAbout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutes(); }
    void cleanup();
    void oneInstanceNotMoved();
    void closesAndOpensAnew();
    void keys_data();
    void keys();
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
    QCOMPARE(first->size(), QSize(px(6015), px(2925)));

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
    QTest::newRow("keypad Enter on window") << int(Qt::Key_Enter) << false << true;
    QTest::newRow("Space on OK") << int(Qt::Key_Space) << true << true;
    QTest::newRow("Escape on window") << int(Qt::Key_Escape) << false << false;
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

QTEST_MAIN(TstFormAbout)
#include "tst_formabout.moc"
