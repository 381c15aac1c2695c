#include "display/charset.h"

#include "shared/frame.h"

#include <stdexcept>

namespace vq {

QByteArray charsetCommand(int option)
{
    if (option < 1 || option > kCharsetCount)
        throw std::out_of_range("character set option");
    return displayCommand(code::Charset, kCharsets[size_t(option - 1)].code);
}

int charsetOkOption(std::optional<int> selected)
{
    return selected && *selected >= 1 && *selected < kUserPatternOption ? *selected
                                                                        : kUserPatternOption;
}

} // namespace vq
