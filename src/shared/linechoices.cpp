#include "shared/linechoices.h"

namespace vq {

LineChoices preselectLine(const QString& baudText, const QString& frameText)
{
    LineChoices choices;
    for (int i = 0; i < int(kLineRates.size()) && !choices.baud; ++i) {
        if (baudText == QLatin1String(kLineRates[i].text))
            choices.baud = i;
    }
    for (int i = 0; i < int(kLineFramings.size()) && !choices.frame; ++i) {
        const QString upper = QString::fromLatin1(kLineFramings[i].text);
        if (frameText == upper || frameText == upper.toLower())
            choices.frame = i;
    }
    return choices;
}

QString settingsText(const QString& baudText, const QString& frameText)
{
    return baudText + u',' + frameText;
}

QString settingsText(const LineChoices& rows)
{
    return settingsText(QString::fromLatin1(kLineRates.at(size_t(rows.baud.value_or(0))).text),
                        QString::fromLatin1(kLineFramings.at(size_t(rows.frame.value_or(0))).text));
}

} // namespace vq
