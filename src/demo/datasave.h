#pragma once

#include "ui/formbuilder.h"

#include <QWidget>

class QPlainTextEdit;

namespace vq {

class AppContext;

// The interactive demo window: what is typed into keyin goes to the display as it is typed.
// One per process, owned by no window, since it may outlive the main window.
class DATASAVE : public QWidget {
    Q_OBJECT
public:
    // Shows the window, creating it when there is none; an open one only comes to the front.
    static DATASAVE* showDemo(AppContext& ctx);

    const FormControls& controls() const { return m_controls; }

    void Form_Load();
    void Form_Unload();
    // One typed character; false when it did not reach the display, so the box leaves it out.
    bool keyin_KeyPress(int KeyAscii);
    void clear_Click();
    void cancel_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    explicit DATASAVE(AppContext& ctx);
    QPlainTextEdit* keyin() const;

    AppContext& m_ctx;
    FormControls m_controls;
};

} // namespace vq
