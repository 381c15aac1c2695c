#include "app/formall.h"

#include "dialogs/formabout.h"
#include "display/emulation.h"
#include "shared/appcontext.h"
#include "shared/failureparts.h"
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

// Each control the window updates or wires, found in the table while compiling.
consteval ControlKey control(std::string_view name, int index = -1)
{
    return ControlKey::in(kControls, name, index);
}

struct MenuEntry {
    const char* name;
    const char* caption;
    const char* parent;                   // null for the menu bar
    void (Formall::*handler)() = nullptr; // null for a submenu
    const Emulation* emulation = nullptr; // an emulation's entry: its row is chosen
};

// In display order; each leaf with its handler.
// clang-format off
const MenuEntry kMenu[] = {
    {"numsetting", "Display setting", nullptr},
    {"numemu", "&Emulation mode", "numsetting"}, // its entries are the emulations' rows
    {"numpara", "&Communication parameters", "numsetting"},
    {"numcomm", "&Communication set", "numpara", &Formall::numcomm_Click},
    {"numbaudrate", "&Display set", "numpara", &Formall::numbaudrate_Click},
    {"numinterset", "International character &set", "numsetting", &Formall::numinterset_Click},
    {"numall", "&Reset  pole display settings to default", "numsetting", &Formall::numall_Click},
    {"numdemo", "&Persistent Demo ", nullptr},
    {"numrun", "&Show demo  message on display", "numdemo", &Formall::numrun_Click},
    {"numsave", "Specify &upper line demo message", "numdemo", &Formall::numsave_Click},
    {"numlow", "Specify &lower line demo message", "numdemo", &Formall::numlow_Click},
    {"numupperline", "clear &upper line data message", "numdemo", &Formall::numupperline_Click},
    {"numlowerline", "clear &lower line data messsage", "numdemo", &Formall::numlowerline_Click},
    {"numinact", "&Interactive display demonstration", nullptr},
    {"numedmo", "Interactive &Demo", "numinact", &Formall::numedmo_Click},
    {"numabout", "About", nullptr, &Formall::numabout_Click},
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
                tree << MenuEntry{row.menu.data(), row.caption.data(), "numemu", nullptr, &row};
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

    connect(m_controls.get<QPushButton>(control("Command1", 0)), &QPushButton::clicked, this,
            [this] { Command1_Click(0); });
    connect(m_controls.get<QPushButton>(control("Command1", 1)), &QPushButton::clicked, this,
            [this] { Command1_Click(1); });
    connect(m_controls.get<QPushButton>(control("Command2")), &QPushButton::clicked, this,
            &Formall::Command2_Click);
    connect(m_controls.get<QPushButton>(control("Command3")), &QPushButton::clicked, this,
            &Formall::Command3_Click);
    const auto label7 = ControlKey::array<5>(kControls, "Label7");
    for (int i = 0; i < int(label7.size()); ++i)
        connect(m_controls.get<ClickLabel>(label7[i]), &ClickLabel::clicked, this,
                [this, i] { Label7_Click(i); });
    const auto rows = ControlKey::array<kComPortCount>(kControls, "Label6");
    for (int n = 0; n < kComPortCount; ++n)
        m_portRows[n] = m_controls.get<QLabel>(rows[n]);
    m_openClose = m_controls.get<QLabel>(control("Label7", 1));
    m_settings = m_controls.get<QLabel>(control("Label7", 3));
    m_portNumber = m_controls.get<QLabel>(control("Label7", 4));
    m_comm1->setOnLost([this](qint64 dropped, bool atWrite) {
        // After the handler that found it has told its failure, never inside the port's own call.
        QTimer::singleShot(0, this, [this, dropped, atWrite] { showPortLost(dropped, atWrite); });
        applyStatus(m_openClose, StatusText{QStringLiteral("Close"), kRed});
    });
    m_comm1->setOnPending([this] {
        if (!m_pendingTick.isActive())
            m_pendingTick.start();
    });
    m_comm1->setDrainWatch([this](qint64 left) { return !m_closing || m_closing->look(left); });
    m_ctx.setMainPort(m_comm1.get());

    Form_Load();
    m_presence = portPresence(*m_comm1);
    if (!m_presence.folders.isEmpty())
        m_devices.addPaths(m_presence.folders);
    connect(&m_devices, &QFileSystemWatcher::directoryChanged, this, &Formall::devicesChanged);
}

Formall::~Formall()
{
    m_ctx.setMainPort(nullptr);
    // The port outlives this window's members for a moment: it must not call back into them.
    m_comm1->setOnLost({});
    m_comm1->setOnPending({});
    m_comm1->setDrainWatch({});
}

void Formall::buildMenus()
{
    QHash<QString, QMenu*> menus;
    for (const MenuEntry& e : menuTree()) {
        const QString caption = QString::fromUtf8(e.caption);
        QMenu* parent = e.parent ? menus.value(QString::fromUtf8(e.parent)) : nullptr;
        QAction* action = nullptr;
        if (!e.handler && !e.emulation) {
            QMenu* menu = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
            menus.insert(QString::fromUtf8(e.name), menu);
            action = menu->menuAction();
        } else if (e.emulation) {
            action = parent->addAction(caption);
            connect(action, &QAction::triggered, this,
                    [this, row = e.emulation] { selectRow(*row); });
        } else {
            action = parent ? parent->addAction(caption) : menuBar()->addAction(caption);
            connect(action, &QAction::triggered, this, e.handler);
        }
        action->setObjectName(QString::fromUtf8(e.name));
        m_menu.insert(QString::fromUtf8(e.name), action);
    }
}

void Formall::applyStatus(QLabel* label, const StatusText& status)
{
    label->setText(status.text);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, QColor::fromRgb(status.colour));
    label->setPalette(pal);
}

void Formall::showSettingsLine(const SettingsLine& line)
{
    m_settings->setText(line.settings);
    m_portNumber->setText(line.port);
}

void Formall::applyPortRow(int n, const StatusText& status)
{
    QLabel* row = m_portRows[n];
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
    const StartupResult result = runStartup(*m_comm1, m_ctx.state(), m_ctx.session());
    for (int n = 0; n < kComPortCount; ++n) {
        if (result.probe[n])
            applyPortRow(n, *result.probe[n]);
    }
    if (result.line)
        showSettingsLine(*result.line);
}

void Formall::settingsLineRefresh()
{
    showSettingsLine(readSettingsLine(*m_comm1));
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
    // The port is still closing: there is nothing to open yet.
    if (m_closing && index == 0)
        return 0;
    if (index == 1)
        closePort(AfterClose::Nothing);
    const PressResult result = pressOpenClose(index, *m_comm1, m_ctx.boxes(), LastOpenError);
    showSettingsLine(result.line);
    if (result.openClose)
        applyStatus(m_openClose, *result.openClose);
    return result.failure;
}

// The port was closed by a fault, so the line must not keep claiming it is open; a loss no
// write ran into is told here, and what it took along is counted either way.
void Formall::showPortLost(qint64 dropped, bool atWrite)
{
    // Its row says so first; its device may be there still, but it does not open.
    if (const int n = m_comm1->commPort(); !m_comm1->portOpen() && n <= kComPortCount) {
        reprobe(n);
        m_presence.present[n - 1] = portPresence(*m_comm1).present[n - 1];
    }
    if (!atWrite)
        reportWriteFailure(m_ctx.boxes(), CommError(PortFailure::DeviceGone));
    if (dropped > 0)
        m_ctx.boxes().standardOk(notSentText(dropped), kAppTitle);
}

void Formall::devicesChanged()
{
    const PortPresence now = portPresence(*m_comm1);
    // A folder made or removed meanwhile changes which folders tell of the devices.
    QStringList gone = m_devices.directories(), fresh;
    for (const QString& folder : now.folders) {
        if (!gone.removeOne(folder))
            fresh << folder;
    }
    if (!gone.isEmpty())
        m_devices.removePaths(gone);
    if (!fresh.isEmpty())
        m_devices.addPaths(fresh);
    const int busy = m_comm1->portOpen() || m_closing ? m_comm1->commPort() : 0;
    for (const int n : rowsToProbe(m_presence, now, busy))
        reprobe(n);
    m_presence = now;
}

// With a port of its own: the window's port may be open on another number.
void Formall::reprobe(int port)
{
    const std::unique_ptr<CommPort> probe = m_ctx.makePort();
    applyPortRow(port - 1, probePort(*probe, port));
}

void Formall::Command2_Click()
{
    closePort(AfterClose::End);
}

void Formall::Form_Unload()
{
    closePort(AfterClose::Nothing);
}

void Formall::endOnSignal()
{
    // A second signal while the first one's close waits cuts the wait short.
    if (m_closing && m_afterClose == AfterClose::EndBySignal)
        m_closing->cutShort();
    closePort(AfterClose::EndBySignal);
}

void Formall::closePort(AfterClose then)
{
    m_afterClose = std::max(m_afterClose, then);
    if (m_closing)
        return;
    if (m_comm1->portOpen()) {
        m_closing = std::make_unique<DrainView>(this);
        m_comm1->setPortOpen(false);
        m_closing.reset();
        if (const qint64 dropped = m_comm1->notSentAtClose()) {
            // Nobody may be at the screen to answer a box after a signal.
            if (m_afterClose == AfterClose::EndBySignal)
                std::fprintf(stderr, "vq3360: %s\n", qPrintable(notSentText(dropped)));
            else
                m_ctx.boxes().standardOk(notSentText(dropped), kAppTitle);
        }
    }
    switch (std::exchange(m_afterClose, AfterClose::Nothing)) {
    case AfterClose::Nothing:
        break;
    case AfterClose::CloseWindow:
        close();
        break;
    case AfterClose::End:
    case AfterClose::EndBySignal:
        m_ctx.endProcess();
        break;
    }
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
    // Inside a close's wait this window must stay: the wait is its own.
    if (m_closing) {
        m_afterClose = std::max(m_afterClose, AfterClose::CloseWindow);
        event->ignore();
        return;
    }
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
