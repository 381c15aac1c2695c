#pragma once

#include "virtual_display/commandset.h"

#include <span>

namespace vq::vdisplay {

// A command set whose commands are fixed byte strings, each followed by a fixed count of
// parameter bytes: ZTK, ESC/POS, UTC/S, ADM787 and ADM788. No command's bytes begin another's.
class SequenceSet : public CommandSet {
public:
    struct Sequence {
        const char* bytes;
        int params; // -1: variableLength() tells
        const char* name;
        Said (*run)(SequenceSet& set, Display& display, QByteArrayView params);
    };

    SequenceSet(Emulation emulation, std::span<const Sequence> table, bool cursor = true)
        : CommandSet(emulation), m_table(table), m_cursor(cursor)
    {
    }

    void take(unsigned char byte, Display& display) override;
    bool awaitsParameter() const override { return m_match != nullptr; }
    bool showsCursor() const override { return m_cursor; }
    // The name of the command being run.
    QString running() const { return QLatin1String(m_running ? m_running->name : ""); }

protected:
    void restart() override { m_match = nullptr; }
    // How many parameter bytes the command needs, from those it has so far.
    virtual int variableLength(QByteArrayView) const { return 0; }

private:
    std::span<const Sequence> m_table;
    const Sequence* m_match = nullptr;
    const Sequence* m_running = nullptr;
    bool m_cursor;
};

// A cursor move's event, named by its command.
Said moved(SequenceSet& set, Display& display);

// A command's event, named by its command.
Said done(SequenceSet& set, const QString& message);

// A command that only moves the cursor.
template <void (ScreenModel::*Move)()> Said move(SequenceSet& set, Display& display, QByteArrayView)
{
    (display.screen().*Move)();
    return moved(set, display);
}

// The clear byte of the emulations that have one: a blank screen, the cursor home.
Said clearScreen(SequenceSet& set, Display& display, QByteArrayView);

std::unique_ptr<CommandSet> makeZtk();
std::unique_ptr<CommandSet> makeEscPos();
std::unique_ptr<CommandSet> makeUtcS();
std::unique_ptr<CommandSet> makeAdm(Emulation emulation);
std::unique_ptr<CommandSet> makeAedex();
std::unique_ptr<CommandSet> makeUtcP();
std::unique_ptr<CommandSet> makeDsp800();

} // namespace vq::vdisplay
