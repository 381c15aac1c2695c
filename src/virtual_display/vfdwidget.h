#pragma once

#include "virtual_display/screenmodel.h"

#include <QWidget>

class QTimer;

namespace vq::vdisplay {

// Two rows of twenty cells drawn like a vacuum-fluorescent pole display: dimmer at lower
// brightness, blinking where the display blinks, a scrolling message moving through the upper
// row, and an underline cursor only where the display shows one.
class VfdWidget : public QWidget {
    Q_OBJECT

public:
    // How often the glass is redrawn while something moves; the display's own blink steps.
    static constexpr int TickMs = 50;

    explicit VfdWidget(QWidget* parent = nullptr);

    void setContents(const ScreenModel& screen);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The glyph at a cell as the glass shows it now, a scrolling message moved on.
    unsigned char shownCode(int cell) const;

    ScreenModel m_screen;
    int m_ticks = 0; // since the contents changed
    QTimer* m_timer = nullptr;
};

} // namespace vq::vdisplay
