#pragma once

#include "ui/controls.h"
#include "ui/controltable.h"
#include "ui/units.h"

#include <optional>
#include <QButtonGroup>
#include <QHash>
#include <QString>
#include <QWidget>
#include <span>
#include <utility>
#include <vector>

namespace vq {

// The frame of a fixed-size dialog: a title and a close box, nothing to resize it with.
inline constexpr Qt::WindowFlags kFixedDialog =
    Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
    Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// The controls of one window, by name and index.
class FormControls {
public:
    QWidget* widget(ControlKey key) const
    {
        return find(QString::fromLatin1(key.name()), key.index());
    }
    template <class T> T* get(ControlKey key) const { return qobject_cast<T*>(widget(key)); }
    // The option buttons of one frame, or of the window itself, numbered from 0 in the order of
    // the control table.
    QButtonGroup* options(ControlKey frame) const
    {
        return findOptions(QString::fromLatin1(frame.name()));
    }
    QButtonGroup* options() const { return findOptions({}); }

    // By name, for what looks at a window from outside, unchecked.
    QWidget* find(const QString& name, int index = -1) const;
    template <class T> T* find(const QString& name, int index = -1) const
    {
        return qobject_cast<T*>(find(name, index));
    }
    QButtonGroup* findOptions(const QString& frame) const { return m_options.value(frame); }

    void add(const QString& name, int index, QWidget* w) { m_byKey.insert(key(name, index), w); }
    void addOption(const QString& frame, QAbstractButton* button, QObject* owner);

private:
    static QString key(const QString& name, int index);
    QHash<QString, QWidget*> m_byKey;
    QHash<QString, QButtonGroup*> m_options;
};

// The checked row of an option group, and checking one; none is no row.
std::optional<int> checkedRow(const QButtonGroup* group);
void checkRow(QButtonGroup* group, std::optional<int> row);

// Tab order by tab index, the table's order among equals.
void applyTabOrder(std::vector<std::pair<int, QWidget*>> order);

// Builds a window's controls from its table: geometry, captions, fonts, colours, tab order and
// what a screen reader reads.
FormControls buildForm(QWidget* form, const FormDef& design, std::span<const ControlDef> controls);

} // namespace vq
