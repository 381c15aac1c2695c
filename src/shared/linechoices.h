#pragma once

#include <array>
#include <optional>
#include <QString>

namespace vq {

// The line speeds and framings both sides are offered, in the order the choices are tested:
// the PC settings dialog and the display settings dialog show the same rows in the same order.
inline constexpr std::array<const char*, 8> kBaudTexts{"300",  "600",  "1200",  "2400",
                                                       "4800", "9600", "19200", "38400"};
inline constexpr std::array<const char*, 6> kFrameTexts{"N,8,1", "N,7,1", "E,8,1",
                                                        "E,7,1", "O,8,1", "O,7,1"};

// A baud row and a framing row, each possibly none.
struct LineChoices {
    std::optional<int> baud;
    std::optional<int> frame;
    bool operator==(const LineChoices&) const = default;
};

// First exact baud match; a framing text matches in its upper-case or lower-case spelling only.
LineChoices preselectLine(const QString& baudText, const QString& frameText);

} // namespace vq
