// One libFuzzer executable per entry of kTargets; VQ_FUZZ_TARGET names it.
#include "targets.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const vq::fuzz::Target& target()
{
    for (const vq::fuzz::Target& t : vq::fuzz::kTargets) {
        if (std::strcmp(t.name, VQ_FUZZ_TARGET) == 0)
            return t;
    }
    std::fprintf(stderr, "no fuzz target named %s\n", VQ_FUZZ_TARGET);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const vq::fuzz::Target& run = target();
    if (!run.run(data, size)) {
        std::fprintf(stderr, "invariant broken in %s: %s\n", run.name,
                     vq::fuzz::lastFailure().c_str());
        std::abort();
    }
    return 0;
}
