#pragma once

#include "ui/controltable.h"

#include <QLabel>

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

// The widget a row of a control table stands for, with its kind's behaviour; geometry, fonts
// and colours are the builder's.
QWidget* makeControl(const ControlDef& c, QWidget* parent);

} // namespace vq
