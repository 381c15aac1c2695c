#pragma once

#include "shared/boxes.h"
#include "shared/module1.h"

namespace vq {

// The boxes as the operator sees them: the window `msg` for the system's own boxes, the
// platform's standard box for the rest.
class WidgetBoxes : public Boxes {
public:
    explicit WidgetBoxes(Module1& state);

    int ShowMessage(const QString& text, int typeCode, const QString& title) override;
    QString ShowInput(const QString& prompt, const QString& title,
                      const QString& defaultText) override;
    void standardOk(const QString& text, const QString& title) override;
    bool standardYesNo(const QString& text, const QString& title) override;

private:
    Module1& m_state;
};

} // namespace vq
