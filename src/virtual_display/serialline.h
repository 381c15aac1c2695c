#pragma once

#include "virtual_display/protocoltables.h"

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

// The line between PC and display bit by bit: what the PC puts on it and what a receiver with
// settings of its own makes of that.
namespace vq::vdisplay {

struct SerialLine {
    int baud = 0; // 0: not known
    Framing framing;
    QString text() const; // e.g. "9600 n,8,1"
    bool operator==(const SerialLine&) const = default;
};

enum class LineError { None, Framing, Parity };

// The parity bit a sender adds to `data` for parity n, e, o, m or s (false for n).
bool parityBit(unsigned data, char parity);

// The bits of one write: its bytes back to back, the line idle (high) before and after.
// Positions count the PC's bit times; bit 0 is the first start bit.
class Wire {
public:
    Wire(QByteArrayView bytes, const SerialLine& pc);

    bool level(qint64 bit) const;
    // The first bit at `from` or later where the line falls from high to low; -1 when none.
    qint64 fallingEdge(qint64 from) const;
    int frameBits() const { return m_frameBits; }
    int baud() const { return m_pc.baud; }

private:
    QByteArrayView m_bytes;
    SerialLine m_pc;
    int m_frameBits;
    qint64 m_bitCount;
};

struct Reception {
    bool started = false; // false: the line was high again in the start bit's middle
    unsigned char byte = 0;
    LineError error = LineError::None;
    qint64 resume = 0; // where the receiver waits for its next falling edge
};

// One frame as a receiver on `rx` takes it, from a falling edge at bit `edge`.
Reception receive(const Wire& wire, qint64 edge, const SerialLine& rx);

} // namespace vq::vdisplay
