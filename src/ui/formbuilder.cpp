#include "ui/formbuilder.h"

#include <algorithm>
#include <cmath>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStylePainter>
#include <vector>

namespace vq {

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

QString FormControls::key(const QString& name, int index)
{
    return index < 0 ? name : QStringLiteral("%1(%2)").arg(name).arg(index);
}

QWidget* FormControls::widget(const QString& name, int index) const
{
    return m_byKey.value(key(name, index));
}

void FormControls::addOption(const QString& frame, QAbstractButton* button, QObject* owner)
{
    QButtonGroup*& group = m_options[frame];
    if (!group) {
        group = new QButtonGroup(owner);
        // Tab enters a group at its chosen option, as Windows does; Qt enters at the last one
        // that had the focus.
        QObject::connect(group, &QButtonGroup::buttonToggled, group,
                         [group](QAbstractButton* chosen, bool on) {
                             if (!on)
                                 return;
                             for (QAbstractButton* b : group->buttons()) {
                                 const int policy = b->focusPolicy();
                                 b->setFocusPolicy(Qt::FocusPolicy(
                                     b == chosen ? policy | Qt::TabFocus : policy & ~Qt::TabFocus));
                             }
                         });
    }
    group->addButton(button, int(group->buttons().size()));
}

std::optional<int> checkedRow(const QButtonGroup* group)
{
    const int id = group->checkedId();
    return id < 0 ? std::nullopt : std::optional<int>(id);
}

void checkRow(QButtonGroup* group, std::optional<int> row)
{
    if (!row)
        return;
    // A choice table longer than its option group is a slip in the tables, caught in debug.
    QAbstractButton* option = group->button(*row);
    Q_ASSERT(option);
    if (option)
        option->setChecked(true);
}

double screenDpi()
{
    static const double dpi = [] {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen ? screen->logicalDotsPerInchY() : 96.0;
    }();
    return dpi;
}

int px(double twips)
{
    return twipsToPixels(twips, screenDpi());
}

QRect pxRect(const TwipsRect& r)
{
    return QRect(px(r.left), px(r.top), px(r.width), px(r.height));
}

QFont fontFor(const FontDef& want, const QFont& base)
{
    QFont font = base;
    if (want.family)
        font.setFamily(QString::fromUtf8(want.family));
    if (want.points > 0)
        font.setPointSizeF(want.points);
    if (want.bold)
        font.setBold(true);
    return font;
}

void installFontSubstitutes()
{
    QFont::insertSubstitution(QStringLiteral("Times New Roman"),
                              QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("Arial Narrow"),
                              QStringLiteral("Liberation Sans Narrow"));
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans"));
}

namespace {

QColor rgb(quint32 v, const QPalette& system)
{
    switch (v) {
    case SysWindowBackground:
        return system.color(QPalette::Base);
    case SysWindowText:
        return system.color(QPalette::Text);
    case SysTitleBarText:
        return system.color(QPalette::HighlightedText);
    case SysActiveBorder:
        return system.color(QPalette::Window); // the toolkit has no border colour of its own
    default:
        return QColor((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
}

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

constexpr char kNamedBy[] = "vqNamedBy";

// A label showing a value is read with the caption that names it, as "COM1: Enable", whatever
// the value is at the time; its tooltip is the description.
class ValueLabelAccessible : public QAccessibleWidget {
public:
    explicit ValueLabelAccessible(QWidget* label)
        : QAccessibleWidget(label, QAccessible::StaticText)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !widget()->accessibleName().isEmpty())
            return QAccessibleWidget::text(t);
        const QString caption = widget()->property(kNamedBy).toString();
        const QString value = static_cast<const QLabel*>(widget())->text();
        return value.isEmpty() ? caption : caption + QStringLiteral(": ") + value;
    }
};

QAccessibleInterface* valueLabelFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("vq::ClickLabel") && object->property(kNamedBy).isValid())
        return new ValueLabelAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

// Names a control after the label beside it: a field gets the label as its buddy and the
// caption as its name (a combo box on X is otherwise named by its text); a value label is read
// with the caption.
void nameByLabel(const FormControls& built, const ControlDef& c)
{
    const QString key = QString::fromUtf8(c.label);
    QWidget* target = built.widget(QString::fromUtf8(c.name), c.index);
    auto* label = built.get<QLabel>(key);
    if (!label)
        label = built.get<QLabel>(key, c.index);
    Q_ASSERT(target && label);
    const QString name = nameFromCaption(label->text());
    if (qobject_cast<QLabel*>(target)) {
        static const bool installed = (QAccessible::installFactory(valueLabelFactory), true);
        Q_UNUSED(installed);
        target->setProperty(kNamedBy, name);
        return;
    }
    label->setBuddy(target);
    target->setAccessibleName(name);
}

} // namespace

FormControls buildForm(QWidget* form, const FormDef& design, std::span<const ControlDef> controls)
{
    FormControls built;
    form->setObjectName(QString::fromUtf8(design.name));
    form->setWindowTitle(QString::fromUtf8(design.caption));
    form->setFont(fontFor(design.font, form->font()));
    const QPalette system = form->palette();
    QPalette base = system;
    if (design.bg != kNoColour) {
        base.setColor(QPalette::Window, rgb(design.bg, system));
        form->setPalette(base);
        form->setAutoFillBackground(true);
    }
    form->setFixedSize(px(design.clientWidth), px(design.clientHeight));

    std::vector<std::pair<int, QWidget*>> tabOrder;
    for (const ControlDef& c : controls) {
        QWidget* parent = c.parent ? built.widget(QString::fromUtf8(c.parent)) : form;
        Q_ASSERT(parent);
        QWidget* w = makeControl(c, parent);
        w->setObjectName(QString::fromUtf8(c.name));
        if (c.index >= 0)
            w->setProperty("index", c.index);
        w->setGeometry(pxRect(c.rect));
        w->setFont(fontFor(c.font, form->font()));
        // Own palette per control, so a frame's caption colour does not leak to its buttons.
        // The text roles are set even without a colour of its own: a palette with nothing
        // resolved would inherit the frame's again.
        QPalette pal = base;
        for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            pal.setColor(role, c.fg != kNoColour ? rgb(c.fg, system) : base.color(role));
        if (c.bg != kNoColour) {
            for (auto role : {QPalette::Window, QPalette::Button, QPalette::Base})
                pal.setColor(role, rgb(c.bg, system));
            w->setAutoFillBackground(true);
        }
        w->setPalette(pal);
        built.add(QString::fromUtf8(c.name), c.index, w);
        if (c.kind == ControlKind::Option)
            built.addOption(QString::fromUtf8(c.parent), static_cast<QAbstractButton*>(w), form);
        if (c.tabIndex >= 0)
            tabOrder.emplace_back(c.tabIndex, w);
    }
    for (const ControlDef& c : controls) {
        if (c.label)
            nameByLabel(built, c);
    }
    std::stable_sort(tabOrder.begin(), tabOrder.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);
    return built;
}

void centreOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const double dpi = screenDpi();
    const QSize outer = window->frameGeometry().size();
    const QSize client = window->size();
    const QSize frame = outer - client; // zero before the window system has framed it
    const QSize screenSize = screen ? screen->size() : QSize(1280, 1024);
    const int leftTw = centredTwips(pixelsToTwips(screenSize.width(), dpi),
                                    pixelsToTwips(client.width() + frame.width(), dpi));
    const int topTw = centredTwips(pixelsToTwips(screenSize.height(), dpi),
                                   pixelsToTwips(client.height() + frame.height(), dpi));
    window->move(px(leftTw), px(topTw));
}

} // namespace vq
