#include "shared/linechoices.h"

namespace vq {

LineChoices preselectLine(const QString& baudText, const QString& frameText)
{
    LineChoices choices;
    for (int i = 0; i < int(kBaudTexts.size()) && !choices.baud; ++i) {
        if (baudText == QLatin1String(kBaudTexts[i]))
            choices.baud = i;
    }
    for (int i = 0; i < int(kFrameTexts.size()) && !choices.frame; ++i) {
        const QString upper = QString::fromLatin1(kFrameTexts[i]);
        if (frameText == upper || frameText == upper.toLower())
            choices.frame = i;
    }
    return choices;
}

} // namespace vq
