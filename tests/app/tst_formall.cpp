#include "app/appcontext.h"
#include "app/formall.h"
#include "appharness.h"
#include "fakeport.h"
#include "scriptedboxes.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace vq;
using namespace vq::test;

namespace {

using Harness = AppHarness;

QString text(Formall* w, const char* name, int index = -1)
{
    return w->controls().get<QLabel>(name, index)->text();
}

QColor colour(Formall* w, const char* name, int index = -1)
{
    return w->controls().get<QLabel>(name, index)->palette().color(QPalette::WindowText);
}

} // namespace

class TstFormall : public QObject {
    Q_OBJECT
private slots:
    void probeRows();
    void menuTree_data();
    void menuTree();
    void openCloseLine();
    void failedOpenShowsStandardBox();
    void endClosesPort();
    void closingClosesPortAndLeavesNoMainWindow();
    void reopenedMainWindowRunsStartUpAgain();
    void settingsLabelsRefreshLine();
    void aboutEntryKeepsOneWindow();
};

void TstFormall::probeRows()
{
    Harness h;
    h.missing = {3, 4, 5, 6};
    Formall* w = h.ctx.showMainWindow();
    for (int n = 0; n < 6; ++n) {
        const bool ok = n < 2;
        QCOMPARE(text(w, "Label6", n),
                 ok ? QStringLiteral("Enable") : QStringLiteral("Invalid port number"));
        QCOMPARE(colour(w, "Label6", n), ok ? QColor(0, 0, 255) : QColor(255, 0, 0));
        QCOMPARE(w->controls().get<QLabel>("Label6", n)->toolTip(),
                 ok ? QString() : QStringLiteral("Invalid port number"));
    }
    QCOMPARE(text(w, "Label7", 1), QStringLiteral("open/close"));
    QCOMPARE(text(w, "Label7", 3), QStringLiteral("9600,n,8,1"));
    QCOMPARE(text(w, "Label7", 4), QStringLiteral("Port : 1"));
    QVERIFY(!w->Comm1().portOpen());
}

void TstFormall::menuTree_data()
{
    QTest::addColumn<QString>("path"); // captions from the menu bar down, joined by " > "
    QTest::addColumn<QString>("name");
    const char* rows[][2] = {
        {"Display setting > &Emulation mode > Z&TK", "numZtk"},
        {"Display setting > &Emulation mode > UTC/&S", "NUMUTCS"},
        {"Display setting > &Communication parameters > &Communication set", "numcomm"},
        {"Display setting > International character &set", "numinterset"},
        {"Display setting > &Reset  pole display settings to default", "numall"},
        {"&Persistent Demo  > &Show demo  message on display", "numrun"},
        {"&Interactive display demonstration > Interactive &Demo", "numedmo"},
        {"About", "numabout"},
    };
    for (const auto& row : rows)
        QTest::newRow(row[1]) << QString::fromUtf8(row[0]) << QString::fromUtf8(row[1]);
}

void TstFormall::menuTree()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    Harness h;
    Formall* w = h.ctx.showMainWindow();
    // Walk the real menu bar by caption, so order-independent typos and misplacements show.
    QList<QAction*> level = w->menuBar()->actions();
    QAction* found = nullptr;
    for (const QString& caption : path.split(QStringLiteral(" > "))) {
        found = nullptr;
        for (QAction* a : level)
            if (a->text() == caption)
                found = a;
        QVERIFY2(found, qPrintable(caption));
        level = found->menu() ? found->menu()->actions() : QList<QAction*>{};
    }
    QCOMPARE(found->objectName(), name);
    QCOMPARE(w->menuEntry(name), found);
}

void TstFormall::openCloseLine()
{
    Harness h;
    Formall* w = h.ctx.showMainWindow();
    QTest::mouseClick(w->controls().get<QPushButton>("Command1", 0), Qt::LeftButton);
    QVERIFY(w->Comm1().portOpen());
    QCOMPARE(text(w, "Label7", 1), QStringLiteral("Open"));
    QCOMPARE(colour(w, "Label7", 1), QColor(0, 0, 255));
    QTest::mouseClick(w->controls().get<QPushButton>("Command1", 1), Qt::LeftButton);
    QVERIFY(!w->Comm1().portOpen());
    QCOMPARE(text(w, "Label7", 1), QStringLiteral("Close"));
    QCOMPARE(colour(w, "Label7", 1), QColor(255, 0, 0));
    QVERIFY(h.port->writes.isEmpty());
    QVERIFY(h.boxes.shown.isEmpty());
}

void TstFormall::failedOpenShowsStandardBox()
{
    Harness h;
    h.missing = {1};
    Formall* w = h.ctx.showMainWindow();
    w->Command1_Click(0);
    QCOMPARE(h.boxes.only(),
             (ShownBox{ShownBox::StandardOk, QStringLiteral("Error!!Invalid port number"), 0,
                       QStringLiteral("VQ3360")}));
    QCOMPARE(w->LastOpenError, QStringLiteral("Invalid port number"));
    QCOMPARE(text(w, "Label7", 1), QStringLiteral("open/close"));
}

void TstFormall::endClosesPort()
{
    Harness h;
    Formall* w = h.ctx.showMainWindow();
    w->Command1_Click(0);
    FakePort* port = h.port;
    QTest::mouseClick(w->controls().get<QPushButton>("Command2"), Qt::LeftButton);
    QVERIFY(!port->portOpen());
    QCOMPARE(port->events.last(), QStringLiteral("close"));
    QCOMPARE(h.ends, 1);
}

void TstFormall::closingClosesPortAndLeavesNoMainWindow()
{
    Harness h;
    QPointer<Formall> w = h.ctx.showMainWindow();
    w->Command1_Click(0);
    QStringList* events = &h.port->events;
    w->close();
    QCOMPARE(events->last(), QStringLiteral("close"));
    QTRY_VERIFY(w.isNull());
    QVERIFY(!h.ctx.mainWindow());
    // Windows left behind reach a closed port, not a hidden main window.
    QVERIFY(!h.ctx.port().portOpen());
    try {
        h.ctx.port().output("x");
        QFAIL("a write with no main window went through");
    } catch (const CommError& e) {
        QCOMPARE(e.number(), 8018);
    }
    QVERIFY(!h.ctx.mainWindow());
}

void TstFormall::reopenedMainWindowRunsStartUpAgain()
{
    Harness h;
    QPointer<Formall> first = h.ctx.showMainWindow();
    h.state.ClearCmd = "\x1f";
    h.state.PortNumber = 4;
    first->close();
    QTRY_VERIFY(first.isNull());
    Formall* second = h.ctx.showMainWindow();
    QVERIFY(second);
    QCOMPARE(h.state.ClearCmd, QByteArray("\x0c"));
    QCOMPARE(h.state.PortNumber, 1);
    QCOMPARE(text(second, "Label6", 5), QStringLiteral("Enable"));
    QCOMPARE(h.ctx.showMainWindow(), second);
}

void TstFormall::settingsLabelsRefreshLine()
{
    Harness h;
    Formall* w = h.ctx.showMainWindow();
    w->Comm1().setSettings(QStringLiteral("4800,O,8,1"));
    w->Comm1().setCommPort(2);
    // The label opens the settings dialog modally; the line is refreshed once it closes.
    QString opened;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        opened = dialog ? dialog->windowTitle() : QString();
        QCOMPARE(text(w, "Label7", 3), QStringLiteral("9600,n,8,1"));
        if (dialog)
            dialog->close();
    });
    QTest::mouseClick(w->controls().get<QLabel>("Label7", 2), Qt::LeftButton);
    QCOMPARE(opened, QStringLiteral("PC Communications "));
    QCOMPARE(text(w, "Label7", 3), QStringLiteral("4800,o,8,1"));
    QCOMPARE(text(w, "Label7", 4), QStringLiteral("Port : 2"));
}

void TstFormall::aboutEntryKeepsOneWindow()
{
    Harness h;
    Formall* w = h.ctx.showMainWindow();
    auto abouts = [] {
        int n = 0;
        for (QWidget* top : QApplication::topLevelWidgets())
            n += top->isVisible() &&
                 top->windowTitle() == QStringLiteral("About VQ3360 Function Demo");
        return n;
    };
    w->menuEntry(QStringLiteral("numabout"))->trigger();
    w->menuEntry(QStringLiteral("numabout"))->trigger();
    QCOMPARE(abouts(), 1);
    // Modeless: the main window still takes its presses.
    w->Command1_Click(0);
    QVERIFY(w->Comm1().portOpen());
}

QTEST_MAIN(TstFormall)
#include "tst_formall.moc"
