#pragma once

#include "ui/controltable.h"

#include <optional>
#include <QButtonGroup>
#include <QHash>
#include <QLabel>
#include <QRect>
#include <QString>
#include <QWidget>
#include <span>

namespace vq {

// A label that reports clicks, for labels that act as buttons.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The controls of one window, by name and index.
class FormControls {
public:
    QWidget* widget(const QString& name, int index = -1) const;
    template <class T> T* get(const QString& name, int index = -1) const
    {
        return qobject_cast<T*>(widget(name, index));
    }
    void add(const QString& name, int index, QWidget* w) { m_byKey.insert(key(name, index), w); }

    // The option buttons of one frame (or of the window itself, for an empty name), numbered
    // from 0 in the order of the control table.
    QButtonGroup* options(const QString& frame = {}) const { return m_options.value(frame); }
    void addOption(const QString& frame, QAbstractButton* button, QObject* owner);

private:
    static QString key(const QString& name, int index);
    QHash<QString, QWidget*> m_byKey;
    QHash<QString, QButtonGroup*> m_options;
};

// The checked row of an option group, and checking one; none is no row.
std::optional<int> checkedRow(const QButtonGroup* group);
void checkRow(QButtonGroup* group, std::optional<int> row);

// The screen's logical DPI, read once; the only place twips meet pixels.
double screenDpi();
int px(double twips);
QRect pxRect(const TwipsRect& r);
QFont fontFor(const FontDef& want, const QFont& base);

// Builds a window's controls from its table: geometry, captions, fonts, colours, tab order.
FormControls buildForm(QWidget* form, const FormDef& design, std::span<const ControlDef> controls);

// Moves a window so its outer frame is centred on its screen, by the twips rule.
void centreOnScreen(QWidget* window);

// Known Windows faces mapped to the metric-compatible ones installed here.
void installFontSubstitutes();

} // namespace vq
