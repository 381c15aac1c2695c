#include "demo/interactive.h"

#include "display/session.h"
#include "shared/frame.h"
#include "shared/guardedsend.h"

namespace vq {

bool startInteractiveDemo(CommPort& port, Boxes& boxes, QString& lastOpenError,
                          const std::function<int()>& pressOpen)
{
    // Only an open tried by this start may stop it; an old failure says nothing about now.
    if (port.portOpen()) {
        lastOpenError.clear();
        return true;
    }
    if (!boxes.standardYesNo(kOpenPortQuestion, kAppTitle))
        return false;
    lastOpenError.clear();
    if (pressOpen() == err::InvalidPortNumber) {
        lastOpenError.clear();
        return false;
    }
    return true;
}

namespace {

// Ctrl with these keys types the control code of the key's character, as a terminal does.
int controlCode(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key - Qt::Key_A + 1;
    switch (key) {
    case Qt::Key_At:
        return 0x00;
    case Qt::Key_BracketLeft:
        return 0x1B;
    case Qt::Key_Backslash:
        return 0x1C;
    case Qt::Key_BracketRight:
        return 0x1D;
    case Qt::Key_AsciiCircum:
        return 0x1E;
    case Qt::Key_Underscore:
        return 0x1F;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 0x0A;
    case Qt::Key_Backspace:
        return 0x7F;
    default:
        return -1;
    }
}

bool isControlText(const QString& text)
{
    return text.size() == 1 && (text.front().unicode() < 0x20 || text.front().unicode() == 0x7F);
}

} // namespace

QByteArray typedBytes(int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    const bool ctrl = modifiers & Qt::ControlModifier;
    if (ctrl) {
        if (const int code = controlCode(key); code >= 0)
            return QByteArray(1, char(code));
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        return QByteArray(1, '\r');
    } else if (key == Qt::Key_Backspace) {
        return QByteArray(1, '\b');
    } else if (key == Qt::Key_Escape) {
        return QByteArray(1, '\x1b');
    }
    // Other keys outside the character range type nothing: Delete (whose text is 7F on X) and
    // Tab edit or move the focus instead.
    if (key >= Qt::Key_Escape && key < Qt::Key_unknown)
        return {};
    // With Ctrl only a control code counts; X already gives Ctrl+[ and the like as one.
    if (ctrl && !isControlText(text))
        return {};
    return toDisplayBytes(text);
}

bool sendTyped(CommPort& port, Boxes& boxes, char byte)
{
    return guardedSend(port, boxes, QByteArray(1, byte));
}

bool sendClear(CommPort& port, Boxes& boxes, const DisplaySession& session)
{
    return guardedSend(port, boxes, session.clearCommand());
}

} // namespace vq
