// Order statistics of per-frame samples for the time demo's report.
#pragma once

#include <algorithm>
#include <vector>

namespace timedemo {

struct Summary {
    size_t count = 0;
    double median = 0.0;
    double p99 = 0.0;
    double max = 0.0;
    double mean = 0.0;
};

// Median (the mean of the two middle samples for an even count), the 99th
// percentile by nearest rank (the smallest sample that at least 99 % of the
// samples do not exceed), the largest sample and the mean. All zero for no
// samples.
inline Summary Summarise(std::vector<double> samples) {
    Summary s;
    s.count = samples.size();
    if (samples.empty()) return s;
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    s.median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2.0;
    // ceil(0.99 n) in integers: no rounding of 0.99 * n can shift the rank.
    const size_t rank = (99 * n + 99) / 100;
    s.p99 = samples[rank - 1];
    s.max = samples.back();
    double sum = 0.0;
    for (double v : samples) sum += v;
    s.mean = sum / static_cast<double>(n);
    return s;
}

}  // namespace timedemo
