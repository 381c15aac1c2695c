#pragma once

#include "ui/formbuilder.h"

#include <optional>
#include <QWidget>

namespace vq {

class AppContext;

// The display's character set. Modeless, at most one at a time, and not owned by the main
// window: it may outlive it.
class FormInt : public QWidget {
    Q_OBJECT
public:
    // Brings the open dialog to the front with its selection, or creates a new one.
    static FormInt* showDialog(AppContext& ctx);

    const FormControls& controls() const { return m_controls; }
    // The selected one of Option1 to Option16.
    std::optional<int> selectedOption() const;

    void Form_Load();
    void CmdOk_Click();
    void Command2_Click();

private:
    explicit FormInt(AppContext& ctx);

    AppContext& m_ctx;
    FormControls m_controls;
};

} // namespace vq
