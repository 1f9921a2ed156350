#pragma once
// The figures every benchmark prints from its timed runs.

#include <algorithm>
#include <vector>

namespace q32::bench {

// 0 when there were no runs.
template <class Runs> double Median(const Runs& runs) {
    std::vector<double> v(runs.begin(), runs.end());
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    if (n == 0)
        return 0;
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

template <class Runs> double Worst(const Runs& runs) {
    return runs.begin() == runs.end() ? 0 : *std::max_element(runs.begin(), runs.end());
}

} // namespace q32::bench
