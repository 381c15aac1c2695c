#pragma once

#include <optional>
#include <QByteArray>
#include <QString>

namespace vq::ctl {

// The bytes as text when all of them are UTF-8; a line that is only partly UTF-8 is not.
std::optional<QString> wholeUtf8(QByteArrayView bytes);
// A text as given on the command line or in a profile: UTF-8 where it is whole, each byte a
// Latin-1 character otherwise.
QString textOf(QByteArrayView bytes);

// Text as a terminal or a display may show it: control characters, and bytes that are not
// text, as \xHH.
QString printable(const QString& text);
QString printable(const QByteArray& bytes);

} // namespace vq::ctl
