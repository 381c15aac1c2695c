#pragma once

#include "shared/linechoices.h"
#include "ui/formbuilder.h"

#include <QDialog>

namespace vq {

class AppContext;

// The display's own line settings. Modeless, at most one at a time, and not owned by the main
// window: it may outlive it, and then its writes meet a closed port.
class FormBaud : public QDialog {
    Q_OBJECT
public:
    // Brings the open dialog to the front with its choices, or creates and loads a new one.
    static FormBaud* showDialog(AppContext& ctx);

    const FormControls& controls() const { return m_controls; }
    LineChoices choices() const;

    void Form_Load();
    void CmdOk_Click();
    void CmdCancel_Click();

private:
    explicit FormBaud(AppContext& ctx);

    AppContext& m_ctx;
    FormControls m_controls;
};

} // namespace vq
