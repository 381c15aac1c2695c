#pragma once

#include "serial/commport.h"

#include <functional>

namespace vq {

// Waits, the event loop turning so the port can write, until nothing is pending, the time the
// pending bytes need on the line (and a second) has passed, or look() says to stop; look() is
// given the bytes left at each look. Returns the bytes still pending.
qint64 waitForPending(CommPort& port, const std::function<bool(qint64 left)>& look = {});

} // namespace vq
