#pragma once

#include <optional>
#include <QByteArray>

namespace vq {

inline constexpr int kCharsetCount = 16;
// "User define pattern": what OK sends when no other set is chosen.
inline constexpr int kUserPatternOption = 16;

// Option n (1 to 16) selects code 0x30 + n - 1.
QByteArray charsetCommand(int option);

// The option OK sends for the current selection of the group.
int charsetOkOption(std::optional<int> selected);

} // namespace vq
