#include "ui/controls.h"

#include <cmath>
#include <QComboBox>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStylePainter>

namespace vq {

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

namespace {

// Enter presses the button that has the focus, as Windows does, in every kind of window; with
// the focus elsewhere a dialog's default button still takes it.
class PushButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const auto mods = event->modifiers() & ~Qt::KeypadModifier;
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !mods) {
            click();
            event->accept();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

// A bordered line of text drawn right inside its border, as Windows draws it (Qt would indent
// it by half an x). A line taller than the room inside is placed by its glyphs, so the border
// cuts none of them.
class BorderedLabel : public ClickLabel {
public:
    using ClickLabel::ClickLabel;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        drawFrame(&painter);
        const QFontMetricsF fm(font());
        const QRectF ink = fm.tightBoundingRect(text());
        const double top = lineTopInBox(contentsRect().height(), fm.ascent() + fm.descent(),
                                        fm.ascent() + ink.top(), fm.ascent() + ink.bottom());
        const QRect line = contentsRect().translated(0, int(std::floor(top)));
        style()->drawItemText(&painter, line, int(alignment()) | Qt::TextDontClip, palette(),
                              isEnabled(), text(), foregroundRole());
    }
};

// A tall option button whose caption wraps beside the indicator; the whole box takes clicks.
class WrappedRadioButton : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QString text = option.text;
        option.text.clear();
        painter.drawControl(QStyle::CE_RadioButton, option);
        const QRect textRect =
            style()->subElementRect(QStyle::SE_RadioButtonContents, &option, this);
        painter.drawItemText(
            textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic,
            option.palette, isEnabled(), text, QPalette::WindowText);
    }
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

} // namespace

QWidget* makeControl(const ControlDef& c, QWidget* parent)
{
    const QString caption = QString::fromUtf8(c.caption);
    switch (c.kind) {
    case ControlKind::Label: {
        auto* label = (c.flags & Bordered) && !(c.flags & Wrapped)
                          ? new BorderedLabel(caption, parent)
                          : new ClickLabel(caption, parent);
        label->setAlignment((c.flags & Centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
        label->setWordWrap(c.flags & Wrapped);
        if (c.flags & Bordered)
            label->setFrameStyle(QFrame::Box | QFrame::Plain);
        return label;
    }
    case ControlKind::Button: {
        auto* button = new PushButton(caption, parent);
        button->setAutoDefault(false);
        button->setDefault(c.flags & DefaultButton);
        return button;
    }
    case ControlKind::Frame:
        return new QGroupBox(caption, parent);
    case ControlKind::Option:
        if (c.flags & Wrapped)
            return new WrappedRadioButton(caption, parent);
        return new QRadioButton(caption, parent);
    case ControlKind::Combo: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        return combo;
    }
    case ControlKind::Text:
    case ControlKind::HiddenText: {
        auto* edit = new QLineEdit(caption, parent);
        edit->setVisible(c.kind == ControlKind::Text);
        return edit;
    }
    case ControlKind::MultiText: {
        // A multi-line box among other tab stops: Tab moves on, as it does in a form.
        auto* edit = new QPlainTextEdit(caption, parent);
        edit->setTabChangesFocus(true);
        return edit;
    }
    case ControlKind::Picture: {
        auto* picture = new QLabel(parent);
        picture->setAlignment(Qt::AlignCenter);
        return picture;
    }
    }
    return nullptr;
}

} // namespace vq
