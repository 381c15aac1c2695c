#include "ui/accessibility.h"

#include "ui/controltable.h"

#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace vq {

namespace {

constexpr char kNamedBy[] = "vqNamedBy";
constexpr char kRole[] = "vqRole";

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

// A combo box named by its label, its text as its value.
class NamedComboAccessible : public QAccessibleWidget {
public:
    explicit NamedComboAccessible(QWidget* combo) : QAccessibleWidget(combo, QAccessible::ComboBox)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return static_cast<const QComboBox*>(widget())->currentText();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    if (const QVariant role = widget->property(kRole); role.isValid())
        return new QAccessibleWidget(widget, QAccessible::Role(role.toInt()));
    if (className == QLatin1String("vq::ClickLabel") && widget->property(kNamedBy).isValid())
        return new ValueLabelAccessible(widget);
    if (className == QLatin1String("QComboBox") && !widget->accessibleName().isEmpty())
        return new NamedComboAccessible(widget);
    return nullptr;
}

void install()
{
    static const bool installed = (QAccessible::installFactory(factory), true);
    Q_UNUSED(installed);
}

} // namespace

void nameByLabel(QWidget* target, QLabel* label)
{
    install();
    const QString name = nameFromCaption(label->text());
    if (qobject_cast<QLabel*>(target)) {
        target->setProperty(kNamedBy, name);
        return;
    }
    label->setBuddy(target);
    target->setAccessibleName(name);
    if (auto* combo = qobject_cast<QComboBox*>(target); combo && combo->lineEdit())
        combo->lineEdit()->setAccessibleName(name);
}

void speakAs(QWidget* widget, const QString& name)
{
    widget->setAccessibleName(name);
}

void readAsRole(QWidget* window, QAccessible::Role role)
{
    install();
    window->setProperty(kRole, int(role));
}

} // namespace vq
