#pragma once

#include "shared/boxes.h"

#include <QList>
#include <QStringList>

namespace vq::test {

struct ShownBox {
    enum Kind { Message, Input, StandardOk, StandardYesNo } kind;
    QString text;
    int typeCode = 0; // ShowMessage only
    QString title;
    bool operator==(const ShownBox&) const = default;
};

// Answers boxes from a script and remembers what was shown.
class ScriptedBoxes : public Boxes {
public:
    QList<ShownBox> shown;
    QList<bool> yesNoAnswers; // taken in turn; none left answers No

    int ShowMessage(const QString& text, int typeCode, const QString& title) override;
    QString ShowInput(const QString& prompt, const QString& title,
                      const QString& defaultText) override;
    void standardOk(const QString& text, const QString& title) override;
    bool standardYesNo(const QString& text, const QString& title) override;
};

} // namespace vq::test
