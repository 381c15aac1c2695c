#pragma once

#include "virtual_display/commandset.h"

#include <span>

namespace vq::vdisplay {

// A command set of frames: two opening bytes, a function byte, data, CR; AEDEX and UTC/P.
// Every byte outside a frame is handed to the printer port, not shown; there is no cursor.
class FramedSet : public CommandSet {
public:
    struct Function {
        char code;
        const char* name;
        Said (*run)(FramedSet& set, ScreenModel& screen, QByteArrayView data);
    };

    FramedSet(Emulation emulation, std::span<const Function> table, QByteArray opener)
        : CommandSet(emulation), m_opener(std::move(opener)), m_table(table)
    {
    }

    void take(unsigned char byte, Display& display) override;
    bool showsCursor() const override { return false; }
    // The name of the function being run.
    QString running() const { return QLatin1String(m_running ? m_running->name : ""); }

    QByteArray m_opener;

private:
    std::span<const Function> m_table;
    const Function* m_running = nullptr;
};

// What a function did, named by the function.
Said framed(FramedSet& set, const QString& message);

// The functions both framed sets have, each under a letter of its own set. A row is written
// from the frame's data from the left, the rest blank, the excess dropped; a scrolling message
// has its start shown until the window moves it.
namespace frames {
Said upperRow(FramedSet& set, ScreenModel& screen, QByteArrayView data);
Said lowerRow(FramedSet& set, ScreenModel& screen, QByteArrayView data);
Said bothRows(FramedSet& set, ScreenModel& screen, QByteArrayView data);
Said scroll(FramedSet& set, ScreenModel& screen, QByteArrayView data);
Said scrollOnce(FramedSet& set, ScreenModel& screen, QByteArrayView data);
// Logged, not drawn.
Said clock(FramedSet& set, ScreenModel& screen, QByteArrayView data);
} // namespace frames

} // namespace vq::vdisplay
