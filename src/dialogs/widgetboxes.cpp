#include "dialogs/widgetboxes.h"

#include "dialogs/msglayout.h"
#include "dialogs/msgwindow.h"

#include <QMessageBox>
#include <QPointer>

namespace vq {

namespace {

// Holds MsgBoxBusy from the layout until the window has closed, whatever happens between.
class BusyScope {
public:
    explicit BusyScope(Module1& state) : m_state(state) { m_state.MsgBoxBusy = true; }
    ~BusyScope() { m_state.MsgBoxBusy = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    Module1& m_state;
};

// Shows the window modally; returns whether a button or Enter closed it.
bool runModal(Module1& state, const MsgLayout& layout)
{
    QPointer<MsgWindow> window = new MsgWindow(state);
    window->applyLayout(layout);
    window->exec();
    if (!window)
        return false;
    const bool byControl = window->closedByControl();
    delete window.data(); // every call starts from a new window in its design layout
    return byControl;
}

// A lone carriage return breaks the line in a Windows box; here it needs a newline.
QString lineBreaks(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

WidgetBoxes::WidgetBoxes(Module1& state) : m_state(state) {}

int WidgetBoxes::ShowMessage(const QString& text, int typeCode, const QString& title)
{
    // Checked before anything touches a window, so an open box stays as it is.
    if (m_state.MsgBoxBusy)
        return 0;
    BusyScope busy(m_state);
    runModal(m_state, messageBoxLayout(text, typeCode, title));
    return m_state.MsgResult;
}

QString WidgetBoxes::ShowInput(const QString& prompt, const QString& title,
                               const QString& defaultText)
{
    if (m_state.MsgBoxBusy)
        return {};
    BusyScope busy(m_state);
    const bool byControl = runModal(m_state, inputBoxLayout(prompt, title, defaultText));
    // The close box cancels, whatever code an earlier box left behind.
    if (!byControl || m_state.MsgResult == pressed::CancelInput)
        return {};
    return m_state.InputText;
}

void WidgetBoxes::standardOk(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Critical, title, lineBreaks(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool WidgetBoxes::standardYesNo(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Question, title, lineBreaks(text),
                    QMessageBox::Yes | QMessageBox::No);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

} // namespace vq
