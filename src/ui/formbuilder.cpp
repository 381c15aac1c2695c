#include "ui/formbuilder.h"

#include "ui/accessibility.h"
#include "ui/looks.h"

#include <algorithm>
#include <QDialog>
#include <QMainWindow>
#include <QPalette>
#include <QRadioButton>

namespace vq {

QString FormControls::key(const QString& name, int index)
{
    return index < 0 ? name : QStringLiteral("%1(%2)").arg(name).arg(index);
}

QWidget* FormControls::find(const QString& name, int index) const
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

void applyTabOrder(std::vector<std::pair<int, QWidget*>> order)
{
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1].second, order[i].second);
}

FormControls buildForm(QWidget* form, const FormDef& design, std::span<const ControlDef> controls)
{
    FormControls built;
    form->setObjectName(QString::fromUtf8(design.name));
    form->setWindowTitle(QString::fromUtf8(design.caption));
    form->setFont(fontFor(design.font, layoutFont()));
    const QString title = spokenName(QString::fromUtf8(design.caption));
    if (title != QString::fromUtf8(design.caption))
        speakAs(form, title);
    // A plain widget standing as a window is read as one.
    if (form->isWindow() && !qobject_cast<QDialog*>(form) && !qobject_cast<QMainWindow*>(form))
        readAsRole(form,
                   form->windowType() == Qt::Dialog ? QAccessible::Dialog : QAccessible::Window);
    // A window that fixes any colour of its own keeps all the colours it was designed with: on
    // a dark desktop the theme's light text would go on its light grey, its dark blue on the
    // theme's dark grey.
    const bool fixed = isFixedColour(design.bg) ||
                       std::any_of(controls.begin(), controls.end(), [](const ControlDef& c) {
                           return isFixedColour(c.fg) || isFixedColour(c.bg);
                       });
    const QPalette system = fixed ? designedPalette() : form->palette();
    QPalette base = system;
    if (design.bg != kNoColour)
        base.setColor(QPalette::Window, colourOf(design.bg, system));
    if (fixed || design.bg != kNoColour) {
        form->setPalette(base);
        form->setAutoFillBackground(true);
    }
    form->setFixedSize(px(design.clientWidth), px(design.clientHeight));

    std::vector<std::pair<int, QWidget*>> tabOrder;
    for (const ControlDef& c : controls) {
        QWidget* parent = c.parent ? built.find(QString::fromUtf8(c.parent)) : form;
        Q_ASSERT(parent);
        QWidget* w = makeControl(c, parent);
        w->setObjectName(QString::fromUtf8(c.name));
        w->setGeometry(pxRect(c.rect));
        w->setFont(fontFor(c.font, form->font()));
        // Own palette per control, so a frame's caption colour does not leak to its buttons.
        // The text roles are set even without a colour of its own: a palette with nothing
        // resolved would inherit the frame's again.
        QPalette pal = base;
        for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            pal.setColor(role, c.fg != kNoColour ? colourOf(c.fg, system) : base.color(role));
        if (c.bg != kNoColour) {
            for (auto role : {QPalette::Window, QPalette::Button, QPalette::Base})
                pal.setColor(role, colourOf(c.bg, system));
            w->setAutoFillBackground(true);
        }
        w->setPalette(pal);
        built.add(QString::fromUtf8(c.name), c.index, w);
        const QString caption = QString::fromUtf8(c.caption);
        const QString spoken = c.spoken                       ? QString::fromUtf8(c.spoken)
                               : c.kind == ControlKind::Label ? nameFromCaption(caption)
                                                              : spokenName(caption);
        if (!spoken.isEmpty() && spoken != plainCaption(caption))
            speakAs(w, spoken);
        if (c.kind == ControlKind::Option)
            built.addOption(QString::fromUtf8(c.parent), static_cast<QAbstractButton*>(w), form);
        if (c.tabIndex >= 0)
            tabOrder.emplace_back(c.tabIndex, w);
    }
    for (const ControlDef& c : controls) {
        if (!c.label)
            continue;
        // "Label4", "Label7(2)" for one member of an array, or an array's name for its member
        // with this row's index.
        const QString key = QString::fromUtf8(c.label);
        auto* label = built.find<QLabel>(key);
        if (!label)
            label = built.find<QLabel>(key, c.index);
        QWidget* target = built.find(QString::fromUtf8(c.name), c.index);
        Q_ASSERT(target && label);
        nameByLabel(target, label);
    }
    applyTabOrder(std::move(tabOrder));
    return built;
}

} // namespace vq
