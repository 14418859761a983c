// SPDX-License-Identifier: GPL-3.0-or-later
// The summaries the benchmarks report: median and nearest-rank percentiles
// of a set of samples.
#pragma once

#include <vector>

namespace navicella::bench {

// The middle sample, or the mean of the two middle ones; NaN when empty.
double median(std::vector<double> samples);

// The nearest-rank percentile (0 < p <= 100): the smallest sample with at
// least p % of the samples at or below it; NaN when empty. The 99th
// percentile of 100 samples is the second largest.
double percentile(std::vector<double> samples, double p);

}  // namespace navicella::bench
