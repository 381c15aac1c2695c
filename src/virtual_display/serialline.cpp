#include "virtual_display/serialline.h"

#include <algorithm>
#include <bit>

namespace vq::vdisplay {

QString SerialLine::text() const
{
    return QStringLiteral("%1 %2").arg(baud).arg(framing.text());
}

bool parityBit(unsigned data, char parity)
{
    switch (parity) {
    case 'e':
        return std::popcount(data) % 2 == 1;
    case 'o':
        return std::popcount(data) % 2 == 0;
    case 'm':
        return true;
    default:
        return false;
    }
}

Wire::Wire(QByteArrayView bytes, const SerialLine& pc)
    : m_bytes(bytes), m_pc(pc),
      m_frameBits(1 + pc.framing.dataBits + (pc.framing.parity != 'n') + pc.framing.stopBits),
      m_bitCount(bytes.size() * m_frameBits)
{
}

bool Wire::level(qint64 bit) const
{
    if (bit < 0 || bit >= m_bitCount)
        return true;
    const int at = int(bit % m_frameBits);
    const int dataBits = m_pc.framing.dataBits;
    const unsigned data =
        static_cast<unsigned char>(m_bytes[bit / m_frameBits]) & ((1u << dataBits) - 1);
    if (at == 0)
        return false;
    if (at <= dataBits)
        return (data >> (at - 1)) & 1;
    if (at == dataBits + 1 && m_pc.framing.parity != 'n')
        return parityBit(data, m_pc.framing.parity);
    return true;
}

qint64 Wire::fallingEdge(qint64 from) const
{
    qint64 bit = std::max<qint64>(from, 0);
    for (bool high = level(bit - 1); bit < m_bitCount; ++bit) {
        const bool now = level(bit);
        if (high && !now)
            return bit;
        high = now;
    }
    return -1;
}

Reception receive(const Wire& wire, qint64 edge, const SerialLine& rx)
{
    // The receiver's bit n is sampled in its middle, n + 1/2 of its bit times after the edge: on
    // the PC's bits that is the one holding edge + (2n + 1) * pc / (2 * rx), in whole numbers.
    const qint64 pc = wire.baud(), twice = 2 * qint64(rx.baud);
    const auto sample = [&](int n) { return edge + (2 * n + 1) * pc / twice; };
    Reception r;
    if (wire.level(sample(0))) {
        r.resume = sample(0) + 1;
        return r;
    }
    r.started = true;
    int n = 1;
    for (int b = 0; b < rx.framing.dataBits; ++b, ++n) {
        if (wire.level(sample(n)))
            r.byte |= static_cast<unsigned char>(1u << b);
    }
    const bool parityOk =
        rx.framing.parity == 'n' || wire.level(sample(n++)) == parityBit(r.byte, rx.framing.parity);
    const qint64 stop = sample(n);
    r.error = !wire.level(stop) ? LineError::Framing
              : parityOk        ? LineError::None
                                : LineError::Parity;
    r.resume = stop + 1;
    return r;
}

} // namespace vq::vdisplay
