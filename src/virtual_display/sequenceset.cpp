#include "virtual_display/sequenceset.h"

#include <cstring>

namespace vq::vdisplay {

void SequenceSet::take(unsigned char byte, Display& display)
{
    m_pending.append(static_cast<char>(byte));
    if (!m_match) {
        bool longer = false;
        for (const Sequence& sequence : m_table) {
            const QByteArrayView bytes(sequence.bytes);
            if (bytes == m_pending)
                m_match = &sequence;
            else
                longer = longer || bytes.startsWith(m_pending);
        }
        if (!m_match) {
            if (longer)
                return;
            if (m_pending.size() > 1) {
                finish(display, say::unknown(m_emulation, m_pending));
            } else {
                m_pending.clear();
                showOrLog(byte, display, m_emulation);
            }
            return;
        }
    }
    const auto head = qsizetype(std::strlen(m_match->bytes));
    const QByteArrayView params = QByteArrayView(m_pending).sliced(head);
    const int need = m_match->params >= 0 ? m_match->params : variableLength(params);
    if (params.size() < need) {
        if (m_pending.size() >= SequenceCap)
            finish(display, say::undecoded(QStringLiteral("no end within %1 bytes of a %2 command")
                                               .arg(SequenceCap)
                                               .arg(QLatin1String(m_match->name))));
        return;
    }
    const Sequence* sequence = std::exchange(m_match, nullptr);
    const QByteArray bytes = std::exchange(m_pending, {});
    m_running = sequence;
    const Said said = sequence->run(*this, display, QByteArrayView(bytes).sliced(head));
    m_running = nullptr;
    display.report(said, bytes);
}

Said moved(SequenceSet& set, Display& display)
{
    return say::cursor(set.running(), display.screen().cursor());
}

Said done(SequenceSet& set, const QString& message)
{
    return say::command(set.emulation(), set.running(), message);
}

Said clearScreen(SequenceSet& set, Display& display, QByteArrayView)
{
    display.screen().clear();
    return say::clear(set.emulation());
}

namespace {

// The power-on emulation, as the virtual display always had it: printable bytes shown, FF
// clears, CR, LF and BS move the cursor.
constexpr SequenceSet::Sequence kZtk[] = {
    {"\x0C", 0, "FF", clearScreen},
    {"\x0D", 0, "CR", move<&ScreenModel::rowStart>},
    {"\x0A", 0, "LF", move<&ScreenModel::down>},
    {"\x08", 0, "BS", move<&ScreenModel::left>},
};

} // namespace

std::unique_ptr<CommandSet> makeZtk()
{
    return std::make_unique<SequenceSet>(Emulation::Ztk, kZtk);
}

} // namespace vq::vdisplay
