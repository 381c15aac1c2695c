#pragma once

#include "ui/formbuilder.h"

#include <QDialog>
#include <QPixmap>
#include <QPushButton>

class QScreen;

namespace vq {

// The modeless About window: name, version, logo; closed by its default button "OK".
class FormAbout : public QDialog {
    Q_OBJECT
public:
    explicit FormAbout(QScreen* screen = nullptr);

    // The 70 x 42 logo of Picture1 and the 32 x 32 window icon, from the one pole-display drawing.
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

} // namespace vq
