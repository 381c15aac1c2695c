#pragma once

#include <QString>

namespace vq {

// What the operator is told of the bytes a wait for them threw away.
QString notSentText(qint64 bytes);

} // namespace vq
