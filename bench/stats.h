// Median, minimum and maximum of a benchmark's samples, shared by the bench programs.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace vq::bench {

struct Stats {
    double median = 0, min = 0, max = 0;
};

// By value: sorting must not reorder the caller's samples.
inline Stats stats(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    const double median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    return {median, v.front(), v.back()};
}

} // namespace vq::bench
