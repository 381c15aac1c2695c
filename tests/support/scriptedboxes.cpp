#include "scriptedboxes.h"

namespace vq::test {

int ScriptedBoxes::ShowMessage(const QString& text, int typeCode, const QString& title)
{
    shown << ShownBox{ShownBox::Message, text, typeCode, title};
    return 10; // Ok
}

QString ScriptedBoxes::ShowInput(const QString& prompt, const QString& title, const QString&)
{
    shown << ShownBox{ShownBox::Input, prompt, 0, title};
    return {};
}

void ScriptedBoxes::standardOk(const QString& text, const QString& title)
{
    shown << ShownBox{ShownBox::StandardOk, text, 0, title};
}

bool ScriptedBoxes::standardYesNo(const QString& text, const QString& title)
{
    shown << ShownBox{ShownBox::StandardYesNo, text, 0, title};
    return !yesNoAnswers.isEmpty() && yesNoAnswers.takeFirst();
}

} // namespace vq::test
