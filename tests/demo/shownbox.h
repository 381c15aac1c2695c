#pragma once

#include "scriptedboxes.h"

#include <QTest>

namespace vq::test {

inline char* toString(const ShownBox& b)
{
    return QTest::toString(QStringLiteral("[%1] %2 | %3 | %4")
                               .arg(b.kind)
                               .arg(b.text, QString::number(b.typeCode), b.title));
}

inline const QString kPortNotOpenText =
    QStringLiteral("Port not open...,please open the port first");

inline ShownBox message(const QString& text, const QString& title = QStringLiteral("message"))
{
    return {ShownBox::Message, text, 4, title};
}

} // namespace vq::test

Q_DECLARE_METATYPE(vq::test::ShownBox)
