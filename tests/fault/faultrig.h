#pragma once

#include "../serial/pty.h"
#include "app/appcontext.h"
#include "app/formall.h"
#include "demo/datasave.h"
#include "display/formbaud.h"
#include "scriptedboxes.h"
#include "serial/qtcommport.h"

#include <memory>
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <sys/resource.h>
#include <unistd.h>

namespace vq::test {

inline QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

inline double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Runs a plain event loop, as the application does, and returns the share of a core it used.
// A loop spinning on a dead device uses most of one even on a loaded machine; an idle one
// next to nothing, so the callers' bound of a fifth is far from both.
inline double busyShare(int ms = 600)
{
    // Whatever is already queued (painting the windows) is not the loop's own doing.
    QCoreApplication::processEvents();
    const double before = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return (cpuSeconds() - before) / std::max(wall.elapsed() / 1000.0, 0.001);
}

// Descriptors of this process open on the device, found through /proc.
inline int handlesOn(const QString& device)
{
    int count = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::Files | QDir::System)) {
        const QString target = QFileInfo(fds.filePath(fd)).symLinkTarget();
        count += target == device || target.startsWith(device + QLatin1String(" ("));
    }
    return count;
}

// The port's own descriptors on a pseudo-terminal; the Pty keeps one more for itself.
inline int portHandles(const Pty& pty)
{
    return handlesOn(pty.path()) - 1;
}

// One utility process: COM1 is a symlink the test points at a pseudo-terminal or removes, as a
// USB adapter comes and goes; COM2 to COM6 name paths that do not exist unless a test says so.
struct Rig {
    QTemporaryDir dir;
    QString com1;
    PortMap map;
    Module1 state;
    ScriptedBoxes boxes;
    int ends = 0;
    std::unique_ptr<AppContext> ctx;

    Rig()
    {
        // A name of its own: the port's lock file is named after it, and tests run in parallel.
        com1 = dir.filePath(QFileInfo(dir.path()).fileName() + QStringLiteral("-com1"));
        map.devices.insert(1, com1);
        for (int n = 2; n <= 6; ++n)
            map.devices.insert(n, dir.filePath(QStringLiteral("absent%1").arg(n)));
    }
    ~Rig()
    {
        delete FormBaud::instance();
        delete DATASAVE::instance();
        ctx.reset();
    }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    // Points COM1 at the device in one step, as udev swaps a node.
    bool plug(const QString& device)
    {
        const QString fresh = com1 + QStringLiteral(".new");
        QFile::remove(fresh);
        return QFile::link(device, fresh) && ::rename(QFile::encodeName(fresh).constData(),
                                                      QFile::encodeName(com1).constData()) == 0;
    }
    bool plug(const Pty& pty) { return plug(pty.path()); }
    void unplug() { QFile::remove(com1); }

    Formall* start()
    {
        ctx = std::make_unique<AppContext>(state, boxes, qtPortFactory(map));
        ctx->setEndHandler([this] { ++ends; });
        return ctx->showMainWindow();
    }
    Formall* main() const { return ctx->mainWindow(); }

    // COM1 on the pty, the main window up and, when asked, the port opened by its button.
    // Null when any step failed.
    Formall* startOn(const Pty& pty, bool open = true)
    {
        if (!pty.isValid() || !plug(pty))
            return nullptr;
        Formall* w = start();
        if (open) {
            w->Command1_Click(0);
            if (!w->Comm1().portOpen())
                return nullptr;
        }
        return w;
    }
};

inline QLabel* label(Formall* w, const char* name, int index)
{
    return w->controls().get<QLabel>(name, index);
}

inline QColor colour(QLabel* l)
{
    return l->palette().color(QPalette::WindowText);
}

inline void click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

// One key as a keyboard gives it: press and release with its text.
inline void typeInto(QWidget* target, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent down(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &down);
        QKeyEvent up(QEvent::KeyRelease, c.toUpper().unicode(), Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &up);
    }
}

inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

inline int countShown(const ScriptedBoxes& boxes, const QString& text)
{
    return int(std::count_if(boxes.shown.begin(), boxes.shown.end(),
                             [&](const ShownBox& b) { return b.text == text; }));
}

// What was shown, title and text, so an unexpected box reads well in a failure.
inline QString shownTexts(const ScriptedBoxes& boxes)
{
    QStringList lines;
    for (const ShownBox& b : boxes.shown)
        lines << b.title + QStringLiteral(": ") + b.text;
    return lines.join(QStringLiteral(" | "));
}

inline ShownBox message(const QString& text, const QString& title)
{
    return {ShownBox::Message, text, 4, title};
}

inline ShownBox standard(const QString& text)
{
    return {ShownBox::StandardOk, text, 0, QStringLiteral("VQ3360")};
}

inline char* toString(const ShownBox& b)
{
    return QTest::toString(QStringLiteral("[%1] %2 | %3 | %4")
                               .arg(b.kind)
                               .arg(b.text, QString::number(b.typeCode), b.title));
}

inline const QString kDeviceUnavailable = QStringLiteral("Device unavailable!");
inline const QString kNotOpen = QStringLiteral("Port not open...,please open the port first");

} // namespace vq::test
