#include "display/charset.h"

#include <stdexcept>

namespace vq {

QByteArray charsetCommand(int option)
{
    if (option < 1 || option > kCharsetCount)
        throw std::out_of_range("character set option");
    return QByteArray("\x02\x05S", 3) + char(0x30 + option - 1) + '\x03';
}

int charsetOkOption(std::optional<int> selected)
{
    return selected && *selected >= 1 && *selected < kUserPatternOption ? *selected
                                                                        : kUserPatternOption;
}

} // namespace vq
