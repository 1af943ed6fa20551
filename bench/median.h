// The median of repeated measurements, with their spread: the quartiles.
// Shared by the native benchmarks and the install's.
#pragma once

#include <algorithm>
#include <vector>

struct Median {
    double median, low, high;  // low and high: the first and third quartiles
};

inline Median MedianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const auto quantile = [&](double q) {
        const double at = q * double(values.size() - 1);
        const size_t below = size_t(at);
        const size_t above = std::min(below + 1, values.size() - 1);
        return values[below] + (at - double(below)) * (values[above] - values[below]);
    };
    return {quantile(0.5), quantile(0.25), quantile(0.75)};
}
