#pragma once

#include <QString>
#include <QtGlobal>

namespace vq {

// The title of the platform's standard boxes.
inline const QString kAppTitle = QStringLiteral("VQ3360");

// ShowMessage's type codes: which buttons the box shows.
namespace box {
inline constexpr int Yes = 1;
inline constexpr int YesNo = 2;
inline constexpr int YesNoCancel = 3;
inline constexpr int Ok = 4;
inline constexpr int OkAbort = 5;
inline constexpr int OkAbortRetry = 6;
} // namespace box

// The code each button sets, the box's result.
namespace pressed {
inline constexpr qint16 Yes = 7;
inline constexpr qint16 No = 8;
inline constexpr qint16 Cancel = 9; // on the third button
inline constexpr qint16 Ok = 10;
inline constexpr qint16 Abort = 11;
inline constexpr qint16 Retry = 12;
inline constexpr qint16 CancelInput = 13; // on the second button, which the input box shows
} // namespace pressed

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
