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

// The standard box with only OK, under the utility's own title.
inline ShownBox standardOkBox(const QString& text)
{
    return {ShownBox::StandardOk, text, 0, QStringLiteral("VQ3360")};
}

// Answers boxes from a script and remembers what was shown.
class ScriptedBoxes : public Boxes {
public:
    QList<ShownBox> shown;
    QList<bool> yesNoAnswers; // taken in turn; none left answers No

    int ShowMessage(const QString& text, int typeCode, const QString& title) override
    {
        shown << ShownBox{ShownBox::Message, text, typeCode, title};
        return 10; // Ok
    }
    QString ShowInput(const QString& prompt, const QString& title, const QString&) override
    {
        shown << ShownBox{ShownBox::Input, prompt, 0, title};
        return {};
    }
    void standardOk(const QString& text, const QString& title) override
    {
        shown << ShownBox{ShownBox::StandardOk, text, 0, title};
    }
    bool standardYesNo(const QString& text, const QString& title) override
    {
        shown << ShownBox{ShownBox::StandardYesNo, text, 0, title};
        return !yesNoAnswers.isEmpty() && yesNoAnswers.takeFirst();
    }
};

} // namespace vq::test
