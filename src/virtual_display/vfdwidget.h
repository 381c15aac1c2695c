#pragma once

#include <QByteArray>
#include <QWidget>

class QTimer;

namespace vq::vdisplay {

// Two rows of twenty cells drawn like a vacuum-fluorescent pole display.
class VfdWidget : public QWidget {
    Q_OBJECT

public:
    explicit VfdWidget(QWidget* parent = nullptr);

    // cells: forty bytes, upper line first.
    void setContents(const QByteArray& cells, int cursor);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QByteArray m_cells;
    int m_cursor = 0;
    bool m_cursorLit = true;
    QTimer* m_blink = nullptr;
};

} // namespace vq::vdisplay
