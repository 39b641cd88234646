#include "measurement/trace_noise.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace korvan::measurement {

namespace {

// The variance model v = p x + q (x the squared magnitude, p the relative
// part squared, q the floor squared) fitted to squared noise samples e, which
// are exponentially distributed around v: Fisher scoring, a weighted linear
// least squares with weights 1/v^2, kept to p, q >= 0.
struct VarianceModel {
    double p = 0, q = 0;
    double at(double x) const { return p * x + q; }
};

VarianceModel weightedFit(const std::vector<double>& x, const std::vector<double>& e,
                          const VarianceModel& previous, bool winsorize) {
    double sw = 0, swx = 0, swxx = 0, swe = 0, swxe = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double v = previous.at(x[i]);
        const double w = 1 / (v * v);
        // A sample far beyond its variance is a step of the signal, not noise.
        const double ei = winsorize ? std::min(e[i], 30 * v) : e[i];
        sw += w, swx += w * x[i], swxx += w * x[i] * x[i];
        swe += w * ei, swxe += w * x[i] * ei;
    }
    VarianceModel m;
    const double det = swxx * sw - swx * swx;
    if (det > 0) {
        m.p = (swxe * sw - swx * swe) / det;
        m.q = (swxx * swe - swx * swxe) / det;
    }
    if (!(det > 0) || m.p < 0) m = {0, swe / sw};
    if (m.q < 0) m = {swxx > 0 ? swxe / swxx : 0, 0};
    return m;
}

} // namespace

TraceNoise estimateTraceNoise(std::span<const double> f, std::span<const std::complex<double>> r,
                              std::span<const double> magnitude) {
    const std::size_t n = std::min({f.size(), r.size(), magnitude.size()});
    if (n < 3) return {};
    std::vector<double> x, e;
    x.reserve(n - 2), e.reserve(n - 2);
    double largest = 0;
    for (std::size_t i = 0; i < n; ++i) largest = std::max(largest, magnitude[i]);
    for (std::size_t i = 1; i + 1 < n; ++i) {
        // a r[i-1] - r[i] + b r[i+1] vanishes on a straight line at any spacing.
        const double h1 = f[i] - f[i - 1], h2 = f[i + 1] - f[i];
        const double a = h2 / (h1 + h2), b = h1 / (h1 + h2);
        const double c = a * a + 1 + b * b;
        const std::complex<double> d = a * r[i - 1] - r[i] + b * r[i + 1];
        const double m0 = magnitude[i - 1], m1 = magnitude[i], m2 = magnitude[i + 1];
        const double xi = (a * a * m0 * m0 + m1 * m1 + b * b * m2 * m2) / c;
        const double ei = std::norm(d) / c;
        if (std::isfinite(xi) && std::isfinite(ei)) x.push_back(xi), e.push_back(ei);
    }
    if (x.empty()) return {};

    // Lower bounds keep every weight finite on noise-free data: a relative
    // noise of 1e-9 and a floor of 1e-12 of the largest value.
    const double pMin = 1e-18, qMin = 1e-24 * largest * largest;
    double mean = 0;
    for (double ei : e) mean += ei / static_cast<double>(e.size());
    VarianceModel model{pMin, std::max(mean, qMin)};
    for (int iteration = 0; iteration < 60; ++iteration) {
        VarianceModel next = weightedFit(x, e, model, iteration >= 4);
        next.p = std::max(next.p, pMin);
        next.q = std::max(next.q, qMin);
        const bool settled = std::abs(next.p - model.p) <= 1e-9 * next.p &&
                             std::abs(next.q - model.q) <= 1e-9 * next.q;
        model = next;
        if (settled && iteration >= 4) break;
    }
    return {std::sqrt(model.p), std::sqrt(model.q)};
}

} // namespace korvan::measurement
