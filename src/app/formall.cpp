#include "app/formall.h"

#include "app/portdrain.h"
#include "dialogs/formabout.h"
#include "display/emulation.h"
#include "serial/drain.h"
#include "shared/appcontext.h"
#include "shared/guardedsend.h"

#include <cstdio>
#include <QAction>
#include <QCloseEvent>
#include <QFontMetricsF>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>

namespace vq {

namespace {

constexpr FontDef kStatusFont{"Times New Roman", 11.25, true};

constexpr FormDef kFormall{.name = "Formall",
                           .caption = "3360 customer display",
                           .clientWidth = 7875,
                           .clientHeight = 4950,
                           .bg = 0xC0C0C0};

// clang-format off
constexpr ControlDef kControls[] = {
    {.name = "Label10", .kind = ControlKind::Label, .caption = "VQ3360 DISPLAY DEMO",
     .rect = {480, 120, 6735, 615}, .font = {"Times New Roman", 26.25}, .fg = 0x0000FF,
     .flags = Centred | Bordered},
    {.name = "Command1", .index = 0, .kind = ControlKind::Button, .caption = "Open the port",
     .rect = {600, 1080, 1695, 375}, .tabIndex = 0},
    {.name = "Command1", .index = 1, .kind = ControlKind::Button, .caption = "Close the port",
     .rect = {600, 1560, 1695, 375}, .tabIndex = 1},
    {.name = "Command2", .kind = ControlKind::Button, .caption = "End",
     .rect = {600, 2040, 1695, 375}, .tabIndex = 2},
    {.name = "Frame2", .kind = ControlKind::Frame, .caption = "Serial port status",
     .rect = {2520, 1080, 4695, 2535}},
    {.name = "PortCaption", .index = 0, .kind = ControlKind::Label, .caption = "COM1 :",
     .rect = {120, 360, 900, 255}, .parent = "Frame2"},
    {.name = "PortCaption", .index = 1, .kind = ControlKind::Label, .caption = "COM2 :",
     .rect = {120, 720, 900, 255}, .parent = "Frame2"},
    {.name = "PortCaption", .index = 2, .kind = ControlKind::Label, .caption = "COM3 :",
     .rect = {120, 1080, 900, 255}, .parent = "Frame2"},
    {.name = "PortCaption", .index = 3, .kind = ControlKind::Label, .caption = "COM4 :",
     .rect = {120, 1440, 900, 255}, .parent = "Frame2"},
    {.name = "PortCaption", .index = 4, .kind = ControlKind::Label, .caption = "COM5 :",
     .rect = {120, 1800, 900, 255}, .parent = "Frame2"},
    {.name = "PortCaption", .index = 5, .kind = ControlKind::Label, .caption = "COM6 :",
     .rect = {120, 2160, 900, 255}, .parent = "Frame2"},
    {.name = "Label6", .index = 0, .kind = ControlKind::Label, .caption = "",
     .rect = {1080, 360, 3495, 255}, .parent = "Frame2", .font = kStatusFont,
     .label = "PortCaption"},
    {.name = "Label6", .index = 1, .kind = ControlKind::Label, .caption = "",
     .rect = {1080, 720, 3495, 255}, .parent = "Frame2", .font = kStatusFont,
     .label = "PortCaption"},
    {.name = "Label6", .index = 2, .kind = ControlKind::Label, .caption = "",
     .rect = {1080, 1080, 3495, 255}, .parent = "Frame2", .font = kStatusFont,
     .label = "PortCaption"},
    {.name = "Label6", .index = 3, .kind = ControlKind::Label, .caption = "",
     .rect = {1080, 1440, 3495, 255}, .parent = "Frame2", .font = kStatusFont,
     .label = "PortCaption"},
    {.name = "Label6", .index = 4, .kind = ControlKind::Label, .caption = "",
     .rect = {1080, 1800, 3495, 255}, .parent = "Frame2", .font = kStatusFont,
     .label = "PortCaption"},
    {.name = "Label6", .index = 5, .kind = ControlKind::Label, .caption = "",
     .rect = {1080, 2160, 3495, 255}, .parent = "Frame2", .font = kStatusFont,
     .label = "PortCaption"},
    {.name = "Label7", .index = 0, .kind = ControlKind::Label,
     .caption = "Port Open/Close:(                      )", .rect = {2520, 3600, 4695, 495},
     .flags = Centred | Bordered},
    {.name = "Label7", .index = 1, .kind = ControlKind::Label, .caption = "open/close",
     .rect = {5160, 3600, 1050, 285}, .flags = Centred, .label = "Label7(0)"},
    {.name = "Label7", .index = 2, .kind = ControlKind::Label, .caption = "Port  setting:",
     .rect = {0, 4560, 1935, 375}},
    {.name = "Label7", .index = 3, .kind = ControlKind::Label, .caption = "Setting",
     .rect = {1920, 4560, 1935, 375}, .label = "Label7(2)"},
    {.name = "Label7", .index = 4, .kind = ControlKind::Label, .caption = "Port  :",
     .rect = {3840, 4560, 3975, 375}, .spoken = ""},
    {.name = "Command3", .kind = ControlKind::Button, .caption = "Set",
     .rect = {7320, 4560, 495, 375}, .tabIndex = 3},
};
// clang-format on

struct MenuEntry {
    const char* name;
    const char* caption;
    const char* parent; // null for the menu bar
    bool submenu = false;
};

// In display order. A leaf's handler is its name and _Click.
// clang-format off
const MenuEntry kMenu[] = {
    {"numsetting", "Display setting", nullptr, true},
    {"numemu", "&Emulation mode", "numsetting", true}, // its entries are the emulations' rows
    {"numpara", "&Communication parameters", "numsetting", true},
    {"numcomm", "&Communication set", "numpara"},
    {"numbaudrate", "&Display set", "numpara"},
    {"numinterset", "International character &set", "numsetting"},
    {"numall", "&Reset  pole display settings to default", "numsetting"},
    {"numdemo", "&Persistent Demo ", nullptr, true},
    {"numrun", "&Show demo  message on display", "numdemo"},
    {"numsave", "Specify &upper line demo message", "numdemo"},
    {"numlow", "Specify &lower line demo message", "numdemo"},
    {"numupperline", "clear &upper line data message", "numdemo"},
    {"numlowerline", "clear &lower line data messsage", "numdemo"},
    {"numinact", "&Interactive display demonstration", nullptr, true},
    {"numedmo", "Interactive &Demo", "numinact"},
    {"numabout", "About", nullptr},
};
// clang-format on

// The whole tree in display order, the emulation rows in their place.
QList<MenuEntry> menuTree()
{
    QList<MenuEntry> tree;
    for (const MenuEntry& e : kMenu) {
        tree << e;
        if (QByteArrayView(e.name) == "numemu") {
            for (const Emulation& row : kEmulations)
                tree << MenuEntry{row.menu.data(), row.caption.data(), "numemu"};
        }
    }
    return tree;
}

} // namespace

Formall::Formall(AppContext& ctx) : m_ctx(ctx), m_comm1(ctx.makePort())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf8(kFormall.caption));
    auto* client = new QWidget(this);
    m_controls = buildForm(client, kFormall, kControls);
    setCentralWidget(client);
    buildMenus();
    // The bars are laid out in the window's width, so they keep its font too.
    menuBar()->setFont(client->font());
    statusBar()->setFont(client->font());
    // Empty but while bytes wait for a slow line.
    statusBar()->setSizeGripEnabled(false);
    setFixedSize(client->width(), client->height() + menuBar()->sizeHint().height() +
                                      statusBar()->sizeHint().height());
    m_pendingTick.setInterval(kPendingTickMs);
    connect(&m_pendingTick, &QTimer::timeout, this, &Formall::showPending);

    connect(m_controls.get<QPushButton>("Command1", 0), &QPushButton::clicked, this,
            [this] { Command1_Click(0); });
    connect(m_controls.get<QPushButton>("Command1", 1), &QPushButton::clicked, this,
            [this] { Command1_Click(1); });
    connect(m_controls.get<QPushButton>("Command2"), &QPushButton::clicked, this,
            &Formall::Command2_Click);
    connect(m_controls.get<QPushButton>("Command3"), &QPushButton::clicked, this,
            &Formall::Command3_Click);
    for (int i = 0; i <= 4; ++i)
        connect(m_controls.get<ClickLabel>("Label7", i), &ClickLabel::clicked, this,
                [this, i] { Label7_Click(i); });
    m_comm1->setOnLost([this](qint64 dropped, bool atWrite) {
        // After the handler that found it has told its failure, never inside the port's own call.
        QTimer::singleShot(0, this, [this, dropped, atWrite] { showPortLost(dropped, atWrite); });
        applyStatus(m_controls.widget("Label7", 1), StatusText{QStringLiteral("Close"), kRed});
    });
    m_comm1->setOnPending([this] {
        if (!m_pendingTick.isActive())
            m_pendingTick.start();
    });
    m_ctx.setMainPort(m_comm1.get());

    Form_Load();
}

Formall::~Formall()
{
    m_ctx.setMainPort(nullptr);
}

void Formall::buildMenus()
{
    QHash<QString, QMenu*> menus;
    for (const MenuEntry& e : menuTree()) {
        const QString caption = QString::fromUtf8(e.caption);
        QMenu* parent = e.parent ? menus.value(QString::fromUtf8(e.parent)) : nullptr;
        QAction* action = nullptr;
        if (e.submenu) {
            QMenu* menu = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
            menus.insert(QString::fromUtf8(e.name), menu);
            action = menu->menuAction();
        } else {
            action = parent ? parent->addAction(caption) : menuBar()->addAction(caption);
            const QByteArray handler = QByteArray("1") + e.name + "_Click()"; // as SLOT() spells it
            [[maybe_unused]] const bool wired =
                connect(action, SIGNAL(triggered()), this, handler.constData());
            Q_ASSERT(wired);
        }
        action->setObjectName(QString::fromUtf8(e.name));
        m_menu.insert(QString::fromUtf8(e.name), action);
    }
}

void Formall::applyStatus(QWidget* label, const StatusText& status)
{
    auto* l = qobject_cast<QLabel*>(label);
    l->setText(status.text);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, QColor::fromRgb(status.colour));
    l->setPalette(pal);
}

void Formall::applyPortRow(int n, const StatusText& status)
{
    auto* row = m_controls.get<QLabel>("Label6", n);
    const QFontMetricsF metrics(row->font());
    const StatusRow shown =
        statusRow(n + 1, m_comm1->deviceName(n + 1), status, row->contentsRect().width(),
                  [&metrics](const QString& text) { return metrics.horizontalAdvance(text); });
    applyStatus(row, {shown.text, status.colour});
    row->setToolTip(shown.toolTip);
}

void Formall::Form_Load()
{
    centreOnScreen(this);
    const StartupResult result = runStartup(*m_comm1, m_ctx.state());
    for (int n = 0; n < 6; ++n) {
        if (result.probe[n])
            applyPortRow(n, *result.probe[n]);
    }
    if (result.line) {
        m_controls.get<QLabel>("Label7", 3)->setText(result.line->settings);
        m_controls.get<QLabel>("Label7", 4)->setText(result.line->port);
    }
}

void Formall::settingsLineRefresh()
{
    const SettingsLine line = readSettingsLine(*m_comm1);
    m_controls.get<QLabel>("Label7", 3)->setText(line.settings);
    m_controls.get<QLabel>("Label7", 4)->setText(line.port);
}

void Formall::Command1_Click(int index)
{
    static_cast<void>(press(index));
}

int Formall::openPress()
{
    return press(0);
}

int Formall::press(int index)
{
    if (index == 1)
        drainTelling();
    const PressResult result = pressOpenClose(index, *m_comm1, m_ctx.boxes(), LastOpenError);
    m_controls.get<QLabel>("Label7", 3)->setText(result.line.settings);
    m_controls.get<QLabel>("Label7", 4)->setText(result.line.port);
    if (result.openClose)
        applyStatus(m_controls.widget("Label7", 1), *result.openClose);
    return result.failure;
}

// The port was closed by a fault, so the line must not keep claiming it is open; a loss no
// write ran into is told here, and what it took along is counted either way.
void Formall::showPortLost(qint64 dropped, bool atWrite)
{
    if (!atWrite)
        reportWriteFailure(m_ctx.boxes(), CommError(err::DeviceUnavailable, QString()));
    if (dropped > 0)
        m_ctx.boxes().standardOk(notSentText(dropped), kAppTitle);
}

void Formall::Command2_Click()
{
    Form_Unload();
    m_ctx.endProcess();
}

void Formall::Form_Unload()
{
    drainTelling();
    if (m_comm1->portOpen())
        m_comm1->setPortOpen(false);
}

void Formall::endOnSignal()
{
    // Nobody may be at the screen to answer a box: the word goes to the terminal.
    drainTelling(false);
    if (m_comm1->portOpen())
        m_comm1->setPortOpen(false);
    m_ctx.endProcess();
}

void Formall::drainTelling(bool inBox)
{
    const qint64 dropped = drainBeforeClose(*m_comm1, this);
    if (dropped == 0)
        return;
    if (inBox)
        m_ctx.boxes().standardOk(notSentText(dropped), kAppTitle);
    else
        std::fprintf(stderr, "vq3360: %s\n", qPrintable(notSentText(dropped)));
}

// A typed key is gone before the first tick; only a queue that lasts is shown.
void Formall::showPending()
{
    const QString text = pendingText(m_comm1->bytesPending());
    if (text.isEmpty()) {
        m_pendingTick.stop();
        statusBar()->clearMessage();
    } else {
        statusBar()->showMessage(text);
    }
}

void Formall::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void Formall::Label7_Click(int)
{
    Command3_Click();
}

void Formall::numabout_Click()
{
    m_ctx.showOne<FormAbout>([this] { return new FormAbout(screen()); });
}

} // namespace vq
