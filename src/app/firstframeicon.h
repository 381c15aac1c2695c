#pragma once

class QWidget;

namespace vq {

// Gives the application its icon once `window`'s first frame is out, or once the window is gone
// if it never drew one: the frame needs none of the icon's six sizes, whose drawing and trip to
// the window system held it back by milliseconds. The window system shows the icon a frame later.
void setIconAfterFirstFrame(QWidget* window);

} // namespace vq
