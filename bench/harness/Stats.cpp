// SPDX-License-Identifier: GPL-3.0-or-later
#include "Stats.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace navicella::bench {

double median(std::vector<double> samples)
{
    if (samples.empty())
        return std::numeric_limits<double>::quiet_NaN();
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    return n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2.0;
}

double percentile(std::vector<double> samples, double p)
{
    if (samples.empty() || !(p > 0.0) || p > 100.0)
        return std::numeric_limits<double>::quiet_NaN();
    std::sort(samples.begin(), samples.end());
    // Rank counted from 1; a small tolerance keeps 99 % of 100 at rank 99
    // despite the rounding of p / 100 * n.
    const double exact = p / 100.0 * static_cast<double>(samples.size());
    const auto rank = static_cast<std::size_t>(std::ceil(exact - 1e-9));
    return samples[std::max<std::size_t>(rank, 1) - 1];
}

}  // namespace navicella::bench
