#pragma once

#include "app/pcsettings.h"
#include "serial/commport.h"
#include "shared/boxes.h"
#include "shared/module1.h"
#include "ui/formbuilder.h"

#include <QDialog>

namespace vq {

// The PC side's port number, baud rate and framing. Modal; a new one is loaded each time.
class FormSet : public QDialog {
    Q_OBJECT
public:
    FormSet(Module1& state, CommPort& port, Boxes& boxes, QWidget* parent = nullptr);

    const FormControls& controls() const { return m_controls; }
    PcChoices choices() const;
    // The list item that counts as selected, -1 for none.
    int listIndex() const { return m_listIndex; }

    void Form_Load();
    void CmdOk_Click();
    void CmdCancel_Click();

private:
    void trackListPicks();
    void showHidden(const HiddenFields& fields);

    Module1& m_state;
    CommPort& m_port;
    Boxes& m_boxes;
    FormControls m_controls;
    int m_listIndex = -1;
    bool m_editFinishing = false;
};

} // namespace vq
