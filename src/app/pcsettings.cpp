#include "app/pcsettings.h"

#include "shared/failuretext.h"

namespace vq {

PcChoices loadPcSettings(const Module1& state)
{
    PcChoices choices{preselectLine(state.BaudText, state.FrameText), -1};
    if (state.PortNumber >= 1 && state.PortNumber <= kComPortCount)
        choices.listIndex = state.PortNumber - 1;
    return choices;
}

HiddenFields hiddenFields(const Module1& state)
{
    return {QString::number(state.PortNumber), state.PortSettings};
}

std::optional<QString> applyPcSettings(const PcChoices& choices, Module1& state, CommPort& port)
{
    try {
        if (choices.line.baud)
            state.BaudText = QString::fromLatin1(kLineRates.at(size_t(*choices.line.baud)).text);
        state.PortNumber = qint16(choices.listIndex >= 0 ? choices.listIndex + 1 : 0);
        if (choices.line.frame)
            state.FrameText =
                QString::fromLatin1(kLineFramings.at(size_t(*choices.line.frame)).text);
        state.PortSettings = settingsText(state.BaudText, state.FrameText);
        port.setSettings(state.PortSettings);
        port.setCommPort(state.PortNumber);
    } catch (const CommError& e) {
        return failureText(e);
    }
    return std::nullopt;
}

} // namespace vq
