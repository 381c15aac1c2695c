#pragma once

#include <QString>

namespace vq {

// The title of the platform's standard boxes.
inline const QString kAppTitle = QStringLiteral("VQ3360");

// Every box an operation may show, so an operation runs without a window and a test can
// script the operator's answers.
class Boxes {
public:
    virtual ~Boxes() = default;

    // The system's own modal message box; returns the code of the button pressed.
    virtual int ShowMessage(const QString& text, int typeCode, const QString& title) = 0;
    // The system's own modal input box; returns the text, or empty on Cancel.
    virtual QString ShowInput(const QString& prompt, const QString& title,
                              const QString& defaultText) = 0;
    // The platform's standard box with a single OK button.
    virtual void standardOk(const QString& text, const QString& title) = 0;
    // The platform's standard Yes/No box with the question icon; true on Yes.
    virtual bool standardYesNo(const QString& text, const QString& title) = 0;
};

} // namespace vq
