#include "virtual_display/sequenceset.h"

// DSP800, as far as it is publicly described: frames of EOT SOH, a command letter, its
// parameters and ETB; cells are numbered 31..58. Bytes outside frames are shown or logged.
namespace vq::vdisplay {

namespace {

constexpr char kEtb = 0x17;

struct Command {
    char letter;
    int params;
    bool cells; // the parameters are cell numbers
    Said (*run)(Emulation emulation, ScreenModel& screen, QByteArrayView params);
};

int cellOf(char param)
{
    return static_cast<unsigned char>(param) - 0x31;
}

constexpr Command kDsp800[] = {
    {'P', 1, true,
     [](Emulation emulation, ScreenModel& screen, QByteArrayView p) {
         screen.setCursor(cellOf(p[0]));
         return say::command(emulation, QStringLiteral("P"),
                             QStringLiteral("cursor to %1").arg(cellOf(p[0])));
     }},
    {'C', 2, true,
     [](Emulation emulation, ScreenModel& screen, QByteArrayView p) {
         if (cellOf(p[0]) == 0 && cellOf(p[1]) == ScreenModel::CellCount - 1) {
             screen.clear();
             return say::clear(emulation);
         }
         screen.clearCells(cellOf(p[0]), cellOf(p[1]));
         return say::command(
             emulation, QStringLiteral("C"),
             QStringLiteral("clear cells %1 to %2").arg(cellOf(p[0])).arg(cellOf(p[1])));
     }},
    {'D', 2, false,
     [](Emulation emulation, ScreenModel&, QByteArrayView p) {
         return say::command(
             emulation, QStringLiteral("D"),
             QStringLiteral("show stored messages %1, not modelled").arg(hexBytes(p)));
     }},
};

class Dsp800 final : public CommandSet {
public:
    Dsp800() : CommandSet(Emulation::Dsp800) {}

    void take(unsigned char byte, Display& display) override
    {
        const char c = static_cast<char>(byte);
        const qsizetype at = m_pending.size();
        if (at == 0) {
            if (c == EOT)
                m_pending.append(c);
            else
                showOrLog(byte, display, m_emulation);
            return;
        }
        if (at >= 3 && !m_command) { // a command nobody describes: skipped up to its ETB
            m_pending.append(c);
            if (c == kEtb)
                finish(display, say::unknown(m_emulation, m_pending));
            else if (m_pending.size() >= SequenceCap)
                finish(display,
                       say::undecoded(QStringLiteral("no ETB within %1 bytes").arg(SequenceCap)));
            return;
        }
        const qsizetype params = at - 3;
        if (!fits(c, at, params)) {
            // A frame that breaks off is given up; the byte that broke it is read afresh.
            finish(display, say::undecoded(QStringLiteral("incomplete DSP800 sequence")));
            take(byte, display);
            return;
        }
        m_pending.append(c);
        if (at == 2) {
            for (const Command& command : kDsp800) {
                if (command.letter == c)
                    m_command = &command;
            }
        } else if (c == kEtb && m_command && params == m_command->params) {
            const Command* command = m_command;
            const Said said = command->run(m_emulation, display.screen(),
                                           QByteArrayView(m_pending).sliced(3, params));
            finish(display, said);
        }
    }

    bool awaitsParameter() const override
    {
        return m_command && !m_command->cells && m_pending.size() - 3 < m_command->params;
    }

protected:
    void restart() override { m_command = nullptr; }

private:
    bool fits(char c, qsizetype at, qsizetype params) const
    {
        if (at == 1)
            return c == 0x01;
        if (at == 2)
            return c >= 'A' && c <= 'Z';
        if (params == m_command->params)
            return c == kEtb;
        return !m_command->cells || (cellOf(c) >= 0 && cellOf(c) < ScreenModel::CellCount);
    }

    const Command* m_command = nullptr;
};

} // namespace

std::unique_ptr<CommandSet> makeDsp800()
{
    return std::make_unique<Dsp800>();
}

} // namespace vq::vdisplay
