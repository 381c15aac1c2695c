#pragma once

#include "app/controltable.h"
#include "app/formbuilder.h"

#include <QDialog>
#include <QPixmap>
#include <QPushButton>
#include <span>

class QScreen;

namespace vq {

// The modeless About window: name, version, logo; closed by its default button "OK".
class FormAbout : public QDialog {
    Q_OBJECT
public:
    explicit FormAbout(QScreen* screen = nullptr);

    static const FormSpec& formSpec();
    static std::span<const ControlSpec> controlTable();
    // The 70 x 42 logo of Picture1 and the 32 x 32 window icon, both drawn here.
    static QPixmap logo();
    static QPixmap iconImage();

    const FormControls& controls() const { return m_controls; }

    void Form_Load();
    void Command1_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    FormControls m_controls;
};

// Shows the one About window, creating it (centred) when none is open; an open one is only
// brought to the front. The anchor, when given, chooses the screen.
FormAbout* showAbout(QWidget* parentlessAnchor = nullptr);

} // namespace vq
