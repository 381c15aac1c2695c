#pragma once

#include "app/mainops.h"
#include "app/portdrain.h"
#include "ui/formbuilder.h"

#include <array>
#include <memory>
#include <QFileSystemWatcher>
#include <QHash>
#include <QMainWindow>
#include <QTimer>

class QAction;
class QLabel;

namespace vq {

class AppContext;
struct Emulation;

// The main window: port buttons, port-status panel, settings line and the menu tree.
class Formall : public QMainWindow {
    Q_OBJECT
public:
    explicit Formall(AppContext& ctx);
    ~Formall() override;

    CommPort& Comm1() { return *m_comm1; }
    const FormControls& controls() const { return m_controls; }
    QAction* menuEntry(const QString& name) const { return m_menu.value(name); }
    QString LastOpenError;

    // Handlers, named after their control and event; a menu entry's is its name and _Click.
public slots:
    void Form_Load();
    void Form_Unload();
    void Command1_Click(int index);
    // The open press, as the interactive demo makes it: the error number when it failed.
    int openPress();
    void Command2_Click();
    // SIGTERM, SIGINT or SIGHUP: as "End", with no box to answer.
    void endOnSignal();
    void Command3_Click();
    void Label7_Click(int index);
    void settingsLineRefresh();

    void numZtk_Click();
    void NUMDSP800_Click();
    void NUMPOS_Click();
    void NUMADM788_Click();
    void NUMADM787_Click();
    void NUMAEDEX_Click();
    void NUMUTCP_Click();
    void NUMUTCS_Click();
    void numcomm_Click();
    void numbaudrate_Click();
    void numinterset_Click();
    void numall_Click();
    void numrun_Click();
    void numsave_Click();
    void numlow_Click();
    void numupperline_Click();
    void numlowerline_Click();
    void numedmo_Click();
    void numabout_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    int press(int index);
    void selectRow(const Emulation& row);
    void applyStatus(QLabel* label, const StatusText& status);
    // Label7(3) and Label7(4): the settings and the port number.
    void showSettingsLine(const SettingsLine& line);
    void applyPortRow(int n, const StatusText& status);
    void showPortLost(qint64 dropped, bool atWrite);
    // What is done once a close under way is over; a later one outranks an earlier one.
    enum class AfterClose { Nothing, CloseWindow, End, EndBySignal };
    // The one way the port closes: the wait for the bytes on their way runs once, and whatever
    // asks for a close meanwhile is done when it is over. What did not go is told, in a box or,
    // for a signal, on the terminal.
    void closePort(AfterClose then);
    void showPending();
    // A device that comes or goes after start-up gets its row probed again, without a restart.
    void devicesChanged();
    void reprobe(int port);

    AppContext& m_ctx;
    std::unique_ptr<CommPort> m_comm1;
    FormControls m_controls;
    QHash<QString, QAction*> m_menu;
    // The labels the window updates, found once.
    std::array<QLabel*, kComPortCount> m_portRows{};
    QLabel* m_openClose = nullptr;  // Label7(1)
    QLabel* m_settings = nullptr;   // Label7(3)
    QLabel* m_portNumber = nullptr; // Label7(4)
    static constexpr int kPendingTickMs = 250;
    QTimer m_pendingTick;
    std::unique_ptr<DrainView> m_closing; // while a close waits
    QFileSystemWatcher m_devices;
    PortPresence m_presence;
    AfterClose m_afterClose = AfterClose::Nothing;
};

} // namespace vq
