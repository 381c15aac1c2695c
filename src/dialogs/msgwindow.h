#pragma once

#include "dialogs/msglayout.h"
#include "shared/module1.h"
#include "ui/formbuilder.h"

#include <optional>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vq {

// The window `msg` shared by the message box and the input box. It is created in its design
// layout (and centred) for every call, applies one layout and is destroyed when it closes.
class MsgWindow : public QDialog {
    Q_OBJECT
public:
    explicit MsgWindow(Module1& state, QWidget* parent = nullptr);

    void applyLayout(const MsgLayout& layout);

    // True when a button or Enter in Text1 closed the window, false for the window's close box.
    bool closedByControl() const { return m_closedByControl; }

    QPushButton* button(MsgControl which) const;
    QLabel* label1() const { return m_label1; }
    QLineEdit* text1() const { return m_text1; }

    void Form_Load();
    void Form_Unload();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    // Returns true when the key was taken (Enter), false when it is left to the field.
    bool Text1_KeyPress(qint16 keyAscii);

    void done(int r) override;
    void setVisible(bool visible) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void pressed(MsgControl which);
    void applyWindowSize();

    Module1& m_state;
    QPushButton* m_buttons[3] = {};
    QLabel* m_label1 = nullptr;
    QLineEdit* m_text1 = nullptr;
    std::optional<double> m_outerWidth;
    std::optional<double> m_outerHeight;
    bool m_closedByControl = false;
    bool m_unloaded = false;
};

} // namespace vq
