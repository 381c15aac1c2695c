#pragma once

#include "serial/commport.h"

class QWidget;

namespace vq {

// Before a close: waits for the bytes still on their way, the windows painting meanwhile, for
// as long as the line needs for them and a second more. Past a moment a progress dialog shows
// the bytes left and lets the operator cut it short with "Close now". Whatever did not go is
// thrown away, so the close that follows is quick; returns how many bytes that was.
qint64 drainBeforeClose(CommPort& port, QWidget* parent);

} // namespace vq
