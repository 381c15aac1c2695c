#include "serial/portmap.h"

namespace vq {

QByteArray PortMap::deviceFor(int port) const
{
    if (const auto it = devices.constFind(port); it != devices.constEnd())
        return *it;
    return "/dev/ttyS" + QByteArray::number(port - 1);
}

QList<QByteArray> rawOptionValues(const QList<QByteArray>& args, const QByteArray& name)
{
    QList<QByteArray> values;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QByteArray& arg = args[i];
        if (arg == "--")
            break;
        for (const QByteArray& dashes : {QByteArray("--"), QByteArray("-")}) {
            if (arg == dashes + name && i + 1 < args.size())
                values << args[++i];
            else if (arg.startsWith(dashes + name + '='))
                values << arg.mid(dashes.size() + name.size() + 1);
            else
                continue;
            break;
        }
    }
    return values;
}

} // namespace vq
