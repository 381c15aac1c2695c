#pragma once

#include <QAccessible>
#include <QString>

class QLabel;
class QWidget;

namespace vq {

// A control is read with the caption of the label beside it: a field gets the label as its
// buddy and the caption as its name (a combo box and its edit field alike: on X the box is
// otherwise named by its value); a label showing a value is read as "caption: value".
void nameByLabel(QWidget* target, QLabel* label);

// What a screen reader reads for a control or window, where its caption reads badly aloud.
void speakAs(QWidget* widget, const QString& name);

// A window read with this role, where the toolkit would give a plain one ("filler").
void readAsRole(QWidget* window, QAccessible::Role role);

} // namespace vq
