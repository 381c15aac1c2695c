#include "serial/commerror.h"

namespace vq {

namespace {

struct Row {
    PortFailure::Kind kind;
    int number;
    const char* name;
};

#define VQ_FAILURE_ROW(kind, number) {PortFailure::kind, number, #kind},
constexpr Row kRows[] = {VQ_PORT_FAILURES(VQ_FAILURE_ROW)};
#undef VQ_FAILURE_ROW

} // namespace

int errorNumber(PortFailure::Kind kind)
{
    return kRows[kind].number;
}

const char* kindName(PortFailure::Kind kind)
{
    return kRows[kind].name;
}

PortFailure::Kind kindOf(int number)
{
    for (const Row& row : kRows) {
        if (row.number == number)
            return row.kind;
    }
    return PortFailure::OpenFailed;
}

CommError::CommError(const PortFailure& failure)
    : m_number(errorNumber(failure.kind)), m_failure(failure)
{
}

CommError::CommError(PortFailure::Kind kind) : m_number(errorNumber(kind))
{
    m_failure.kind = kind;
}

} // namespace vq
