#pragma once

#include "dialogs/boxes.h"

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
    QStringList inputAnswers; // taken in turn; none left answers ""
    QList<bool> yesNoAnswers; // taken in turn; none left answers No
    int messageResult = 10;

    int ShowMessage(const QString& text, int typeCode, const QString& title) override;
    QString ShowInput(const QString& prompt, const QString& title,
                      const QString& defaultText) override;
    void standardOk(const QString& text, const QString& title) override;
    bool standardYesNo(const QString& text, const QString& title) override;

    // The one message shown, or an empty box when none or several were shown.
    ShownBox only() const { return shown.size() == 1 ? shown.first() : ShownBox{}; }
};

} // namespace vq::test
