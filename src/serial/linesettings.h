#pragma once

#include <optional>
#include <QString>

namespace vq {

enum class StopBits { One, OneAndHalf, Two };

// baud,parity,data,stop as the operator writes it, e.g. 9600,n,8,1.
struct LineSettings {
    int baud = 9600;
    char parity = 'n'; // n e o m s, always lower case
    int dataBits = 8;
    StopBits stopBits = StopBits::One;

    QString toString() const;
    // Bits a byte takes on the line: a start bit, its data bits, its parity bit and stop bits.
    double frameBits() const;
    // How long bytes take on the line, rounded up.
    qint64 lineTimeMs(qint64 bytes) const;
    // The line time and a second to spare.
    int drainBoundMs(qint64 bytes) const;
    static std::optional<LineSettings> parse(const QString& text);
    bool operator==(const LineSettings&) const = default;
};

} // namespace vq
