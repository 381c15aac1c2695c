#pragma once

#include "serial/commport.h"

#include <functional>

namespace vq {

// Waits, the event loop turning so the port can write, until nothing is pending, the time the
// pending bytes need on the line (and a second) has passed, or look() says to stop; look() is
// given the bytes left at each look. What is still pending then is thrown away, so the close
// that follows is quick; returns how many bytes that was.
qint64 drainOrDiscard(CommPort& port, const std::function<bool(qint64 left)>& look = {});

// What the operator is told of the bytes drainOrDiscard threw away.
QString notSentText(qint64 bytes);

} // namespace vq
