#include "dialogs/msgwindow.h"

#include "ui/accessibility.h"

#include <limits>

#include <algorithm>
#include <cmath>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <utility>
#include <vector>

namespace vq {

namespace {

// A control of the table above, found while compiling.
consteval ControlKey control(std::string_view name, int index = -1)
{
    return ControlKey::in(kMsgControls, name, index);
}

bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

MsgWindow::MsgWindow(Module1& state, QWidget* parent)
    : QDialog(parent, kFixedDialog), m_state(state)
{
    const FormControls built = buildForm(this, msgFormDef(), msgControlTable());
    m_buttons[0] = built.get<QPushButton>(control("Command1"));
    m_buttons[1] = built.get<QPushButton>(control("Command2"));
    m_buttons[2] = built.get<QPushButton>(control("Command3"));
    m_label1 = built.get<QLabel>(control("Label1"));
    m_text1 = built.get<QLineEdit>(control("Text1"));
    Q_ASSERT(m_buttons[0] && m_buttons[1] && m_buttons[2] && m_label1 && m_text1);

    // The field has no limit of its own; a maximum a prompt mentions is the caller's business.
    m_text1->setMaxLength(std::numeric_limits<int>::max());
    // The text is the caller's, shown as given, never read as markup.
    m_label1->setTextFormat(Qt::PlainText);
    // A label lies beneath the buttons, as Windows draws labels: in the longest band
    // its filled background reaches down over them.
    m_label1->lower();
    connect(m_buttons[0], &QPushButton::clicked, this, &MsgWindow::Command1_Click);
    connect(m_buttons[1], &QPushButton::clicked, this, &MsgWindow::Command2_Click);
    connect(m_buttons[2], &QPushButton::clicked, this, &MsgWindow::Command3_Click);
    m_text1->installEventFilter(this);
    create(); // the window system's frame, where it reports one early, counts in the centring
    Form_Load();
}

QPushButton* MsgWindow::button(MsgControl which) const
{
    switch (which) {
    case MsgControl::Command1:
        return m_buttons[0];
    case MsgControl::Command2:
        return m_buttons[1];
    case MsgControl::Command3:
        return m_buttons[2];
    default:
        return nullptr;
    }
}

void MsgWindow::applyLayout(const MsgLayout& given)
{
    m_outerWidth = given.outerWidth;
    m_outerHeight = given.outerHeight;
    applyWindowSize();
    // The label's font decides what fits, so the width is measured here and the rule applied.
    MsgLayout layout = given;
    const double dpi = screenDpi();
    const double textWidth = std::ceil(
        QFontMetricsF(m_label1->font()).horizontalAdvance(layout[MsgControl::Label1].caption));
    keepOnOneLine(layout, pixelsToTwips(int(textWidth), dpi), pixelsToTwips(width(), dpi));
    setWindowTitle(layout.title);
    std::vector<std::pair<int, QWidget*>> tabOrder;
    QWidget* first = nullptr;
    int firstTab = 0;
    for (int i = 0; i < kMsgControlCount; ++i) {
        const auto which = MsgControl(i);
        const MsgControlState& c = layout[which];
        QWidget* w = nullptr;
        if (QPushButton* b = button(which)) {
            b->setText(c.caption);
            w = b;
        } else if (which == MsgControl::Label1) {
            m_label1->setText(c.caption);
            w = m_label1;
        } else {
            m_text1->setText(c.caption);
            w = m_text1;
        }
        w->setGeometry(pxRect(c.rect));
        w->setEnabled(c.enabled);
        w->setVisible(c.visible);
        tabOrder.emplace_back(c.tabIndex, w);
        // The toolkit gives the focus to the first control in tab order that can take it.
        if (c.visible && c.enabled && w->focusPolicy() != Qt::NoFocus &&
            (!first || c.tabIndex < firstTab)) {
            first = w;
            firstTab = c.tabIndex;
        }
    }
    const Qt::Alignment horizontal =
        layout.labelAlign == LabelAlign::Centre ? Qt::AlignHCenter : Qt::AlignLeft;
    m_label1->setAlignment(horizontal | Qt::AlignTop);

    applyTabOrder(std::move(tabOrder));
    // The field is read with the prompt above it; a box with nothing to type is an alert.
    const QString words = layout[MsgControl::Label1].caption.simplified();
    m_text1->setAccessibleName(words);
    m_label1->setAccessibleName(words);
    readAsRole(this,
               layout[MsgControl::Text1].visible ? QAccessible::Dialog : QAccessible::AlertMessage);
    if (first)
        first->setFocus(Qt::OtherFocusReason);
}

void MsgWindow::applyWindowSize()
{
    // Outer sizes include the frame; it is known only once the window system has framed us.
    const QSize frame = frameGeometry().size() - size();
    const FormDef& form = msgFormDef();
    const int width = m_outerWidth ? px(*m_outerWidth) - frame.width() : px(form.clientWidth);
    const int height = m_outerHeight ? px(*m_outerHeight) - frame.height() : px(form.clientHeight);
    setFixedSize(width, height);
}

void MsgWindow::Form_Load()
{
    centreOnScreen(this);
}

void MsgWindow::Form_Unload()
{
    m_state.InputText = m_text1->text();
}

void MsgWindow::pressed(MsgControl which)
{
    if (const auto result = resultForButton(which, button(which)->text()))
        m_state.MsgResult = *result;
    m_closedByControl = true;
    done(QDialog::Accepted);
}

void MsgWindow::Command1_Click()
{
    pressed(MsgControl::Command1);
}

void MsgWindow::Command2_Click()
{
    pressed(MsgControl::Command2);
}

void MsgWindow::Command3_Click()
{
    pressed(MsgControl::Command3);
}

bool MsgWindow::Text1_KeyPress(qint16 keyAscii)
{
    if (keyAscii != 13)
        return false;
    m_state.MsgResult = pressed::Ok;
    m_closedByControl = true;
    done(QDialog::Accepted);
    return true;
}

void MsgWindow::done(int r)
{
    // Every way of closing passes here, the close box included (through reject()).
    if (!m_unloaded) {
        m_unloaded = true;
        Form_Unload();
    }
    QDialog::done(r);
}

void MsgWindow::setVisible(bool visible)
{
    QDialog::setVisible(visible);
    // Showing a dialog selects the focused field's text; the default text is to be edited, so
    // the caret goes after it instead.
    if (visible && m_text1->hasSelectedText()) {
        m_text1->deselect();
        m_text1->end(false);
    }
}

void MsgWindow::keyPressEvent(QKeyEvent* event)
{
    const bool plain = event->modifiers() == Qt::NoModifier ||
                       (event->modifiers() == Qt::KeypadModifier && event->key() == Qt::Key_Enter);
    if (plain && event->key() == Qt::Key_Escape) {
        // No cancel button shown means Escape does nothing, not even close the window.
        QPushButton* cancel = m_buttons[1];
        if (!cancel->isHidden() && cancel->isEnabled())
            cancel->click();
        event->accept();
        return;
    }
    if (plain && isEnterKey(event->key())) {
        // No default button: Enter presses the button that has the focus, if any.
        for (QPushButton* b : m_buttons) {
            if (focusWidget() == b && b->isEnabled()) {
                b->click();
                break;
            }
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool MsgWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_text1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        qint16 code = 0;
        if (isEnterKey(key->key()))
            code = 13;
        else if (!key->text().isEmpty())
            code = qint16(key->text().at(0).unicode());
        if (code != 0 && Text1_KeyPress(code))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void MsgWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    applyWindowSize(); // the frame may be known only now
}

} // namespace vq
