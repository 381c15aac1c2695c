#include "virtual_display/framedset.h"

namespace vq::vdisplay {

void FramedSet::take(unsigned char byte, Display& display)
{
    const char c = static_cast<char>(byte);
    const qsizetype at = m_pending.size();
    if (at < m_opener.size()) {
        if (c == m_opener[at]) {
            m_pending.append(c);
            return;
        }
        // Not a frame after all: what began it goes to the printer, the byte is read afresh.
        if (at > 0) {
            finish(display, say::passThrough(m_emulation, m_pending));
            take(byte, display);
        } else {
            display.report(say::passThrough(m_emulation, QByteArrayView(&c, 1)),
                           QByteArrayView(&c, 1));
        }
        return;
    }
    m_pending.append(c);
    if (c != CR) {
        if (m_pending.size() >= SequenceCap)
            finish(display, say::undecoded(QStringLiteral("no CR within %1 bytes of a %2 frame")
                                               .arg(SequenceCap)
                                               .arg(emulationName(m_emulation))));
        return;
    }
    const QByteArrayView frame(m_pending);
    const qsizetype head = m_opener.size() + 1; // the function's byte too
    for (const Function& function : m_table) {
        if (frame.size() > head && frame[head - 1] == function.code) {
            m_running = &function;
            const Said said =
                function.run(*this, display.screen(), frame.sliced(head, frame.size() - head - 1));
            m_running = nullptr;
            finish(display, said);
            return;
        }
    }
    finish(display, say::unknown(m_emulation, m_pending));
}

Said framed(FramedSet& set, const QString& message)
{
    return say::command(set.emulation(), set.running(), message);
}

namespace {

Said writeRows(FramedSet& set, ScreenModel& screen, QByteArrayView data, int firstRow, int rows)
{
    for (int row = 0; row < rows; ++row) {
        const qsizetype from = qMin(data.size(), qsizetype(row * ScreenModel::Columns));
        screen.setRow(firstRow + row, data.sliced(from).first(qMin(
                                          data.size() - from, qsizetype(ScreenModel::Columns))));
    }
    return framed(set, QStringLiteral("\"%1\" on the %2")
                           .arg(QString::fromLatin1(data.toByteArray()),
                                rows == 2       ? QStringLiteral("two rows")
                                : firstRow == 0 ? QStringLiteral("upper row")
                                                : QStringLiteral("lower row")));
}

Said scrollMessage(FramedSet& set, ScreenModel& screen, QByteArrayView data, Scrolling how)
{
    const QByteArrayView message = data.first(qMin(data.size(), qsizetype(40)));
    screen.setRow(0, message.first(qMin(message.size(), qsizetype(ScreenModel::Columns))));
    screen.scroll(message.toByteArray(), how);
    return framed(set, QStringLiteral("\"%1\" scrolls through the upper row %2")
                           .arg(QString::fromLatin1(message.toByteArray()),
                                how == Scrolling::Once ? QStringLiteral("once")
                                                       : QStringLiteral("continuously")));
}

} // namespace

namespace frames {

Said upperRow(FramedSet& set, ScreenModel& screen, QByteArrayView data)
{
    return writeRows(set, screen, data, 0, 1);
}

Said lowerRow(FramedSet& set, ScreenModel& screen, QByteArrayView data)
{
    return writeRows(set, screen, data, 1, 1);
}

Said bothRows(FramedSet& set, ScreenModel& screen, QByteArrayView data)
{
    return writeRows(set, screen, data, 0, 2);
}

Said scroll(FramedSet& set, ScreenModel& screen, QByteArrayView data)
{
    return scrollMessage(set, screen, data, Scrolling::Continuous);
}

Said scrollOnce(FramedSet& set, ScreenModel& screen, QByteArrayView data)
{
    return scrollMessage(set, screen, data, Scrolling::Once);
}

Said clock(FramedSet& set, ScreenModel&, QByteArrayView data)
{
    return framed(
        set,
        QStringLiteral("clock set to %1, not drawn").arg(QString::fromLatin1(data.toByteArray())));
}

} // namespace frames

} // namespace vq::vdisplay
