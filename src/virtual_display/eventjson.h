#pragma once

#include "virtual_display/displaydecoder.h"

#include <QByteArray>

namespace vq::vdisplay {

// One event as a single-line JSON object (UTF-8, no trailing newline). Keys come in a
// fixed order: "event", the kind's own fields, "message", "bytes", then the screen afterwards
// from "line1" to "scrolling", so the output can be compared as text as well as parsed.
QByteArray eventToJson(const DisplayEvent& event);

QByteArray jsonString(const QString& text);

} // namespace vq::vdisplay
