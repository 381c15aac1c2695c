#include "ui/formbuilder.h"

#include <algorithm>
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
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
    if (!group)
        group = new QButtonGroup(owner);
    group->addButton(button, int(group->buttons().size()));
}

std::optional<int> checkedRow(const QButtonGroup* group)
{
    const int id = group->checkedId();
    return id < 0 ? std::nullopt : std::optional<int>(id);
}

void checkRow(QButtonGroup* group, std::optional<int> row)
{
    if (row)
        group->button(*row)->setChecked(true);
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

QFont fontFor(const FontSpec& want, const QFont& base)
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

QWidget* makeControl(const ControlSpec& c, QWidget* parent)
{
    const QString caption = QString::fromUtf8(c.caption);
    switch (c.kind) {
    case ControlKind::Label: {
        auto* label = new ClickLabel(caption, parent);
        label->setAlignment((c.flags & Centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
        label->setWordWrap(c.flags & Wrapped);
        if (c.flags & Bordered)
            label->setFrameStyle(QFrame::Box | QFrame::Plain);
        return label;
    }
    case ControlKind::Button: {
        auto* button = new QPushButton(caption, parent);
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

} // namespace

FormControls buildForm(QWidget* form, const FormSpec& design, std::span<const ControlSpec> controls)
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
    for (const ControlSpec& c : controls) {
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
