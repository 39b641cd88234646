#include "prototype/equiripple_delay.h"

#include "numeric/errors.h"

#include <Eigen/Dense>

#include <cmath>
#include <map>
#include <mutex>
#include <numbers>
#include <optional>
#include <string>

namespace korvan::prototype {
namespace {

constexpr int kMaxExchanges = 100;
constexpr long double kGridStep = 0.05L; // the extrema lie 0.5 to 1.5 apart
constexpr long double kSettled = 1e-13L;

struct Phase {
    const Polynomial& d;
    Polynomial dd = derivative(d);

    // d/dw arg D(jw) - 1: the error's slope.
    long double slope(long double w) const {
        const Complex s(0, w);
        return std::real(evaluate(std::span<const long double>(dd), s) /
                         evaluate(std::span<const long double>(d), s)) -
               1;
    }
    Complex value(long double w) const {
        return evaluate(std::span<const long double>(d), Complex(0, w));
    }
};

// The error's first n extrema above 0 and the error there, scanning up from
// 0 with the phase unwrapped along the way; nullopt when fewer exist below
// the scan limit.
std::optional<std::vector<long double>> extrema(const Phase& phase, std::size_t n,
                                                long double limit) {
    std::vector<long double> found;
    long double w0 = 0, s0 = phase.slope(0);
    for (long double w1 = kGridStep; w1 <= limit && found.size() < n; w1 += kGridStep) {
        const long double s1 = phase.slope(w1);
        if ((s0 > 0) != (s1 > 0)) {
            // Regula falsi (Illinois) on the slope, bounded.
            long double a = w0, b = w1, fa = s0, fb = s1;
            int side = 0;
            for (int i = 0; i < 100 && b - a > 1e-15L * b; ++i) {
                const long double c = (a * fb - b * fa) / (fb - fa);
                const long double fc = phase.slope(c);
                if ((fc > 0) == (fb > 0)) {
                    b = c, fb = fc;
                    if (side == -1) fa /= 2;
                    side = -1;
                } else {
                    a = c, fa = fc;
                    if (side == 1) fb /= 2;
                    side = 1;
                }
                if (fc == 0) a = b = c;
            }
            found.push_back((a + b) / 2);
        }
        w0 = w1, s0 = s1;
    }
    if (found.size() < n) return std::nullopt;
    return found;
}

// The denominator whose phase error is exactly +-error at the references
// (the sign alternating, + at the last): linear in the coefficients, since
// arg D(jw) = t means Im(D(jw) e^(-jt)) = 0.
Polynomial interpolating(const std::vector<long double>& refs, long double error) {
    const std::size_t n = refs.size();
    const long double scale = refs.back(); // columns scaled by scale^k
    Eigen::Matrix<long double, Eigen::Dynamic, Eigen::Dynamic> a(n, n);
    Eigen::Matrix<long double, Eigen::Dynamic, 1> b(n);
    for (std::size_t i = 0; i < n; ++i) {
        const long double target = refs[i] + ((n - 1 - i) % 2 == 0 ? error : -error);
        const long double u = refs[i] / scale;
        long double power = 1;
        for (std::size_t k = 1; k <= n; ++k) {
            power *= u;
            a(static_cast<Eigen::Index>(i), static_cast<Eigen::Index>(k - 1)) =
                power * std::sin(static_cast<long double>(k) * std::numbers::pi_v<long double> / 2 -
                                 target);
        }
        b(static_cast<Eigen::Index>(i)) = std::sin(target);
    }
    const Eigen::Matrix<long double, Eigen::Dynamic, 1> x = a.fullPivLu().solve(b);
    Polynomial d(n + 1);
    d[0] = 1;
    long double power = 1;
    for (std::size_t k = 1; k <= n; ++k) {
        power *= scale;
        d[k] = x(static_cast<Eigen::Index>(k - 1)) / power;
    }
    return d;
}

struct Solution {
    Polynomial d;
    std::vector<long double> extrema;
};

std::optional<Solution> exchange(std::vector<long double> refs, long double error) {
    for (int round = 0; round < kMaxExchanges; ++round) {
        Polynomial d = interpolating(refs, error);
        for (const long double c : d)
            if (!std::isfinite(c)) return std::nullopt;
        const Phase phase{d};
        const auto next = extrema(phase, refs.size(), 2 * refs.back() + 2);
        if (!next) return std::nullopt;
        long double change = 0;
        for (std::size_t i = 0; i < refs.size(); ++i)
            change = std::max(change, std::fabs((*next)[i] - refs[i]) / refs.back());
        refs = *next;
        if (change < kSettled) return Solution{interpolating(refs, error), refs};
    }
    return std::nullopt;
}

} // namespace

Polynomial equirippleDelayDenominator(int poles, long double phaseErrorRad) {
    // From two poles up, each solution's extrema (stretched, one appended)
    // start the next; a start that loses an extremum is tried wider or
    // narrower. The chain is kept per error, so each count is solved once.
    struct Chain {
        std::vector<Polynomial> denominators; // [n - 2]
        std::vector<long double> nextStart{0.3L, 0.8L};
    };
    static std::mutex lock;
    static std::map<long double, Chain> chains;
    const std::lock_guard guard(lock);
    Chain& chain = chains[phaseErrorRad];
    for (int n = static_cast<int>(chain.denominators.size()) + 2; n <= poles; ++n) {
        std::optional<Solution> solved;
        for (const long double stretch : {1.0L, 1.1L, 0.9L, 1.2L, 0.8L, 1.35L, 0.7L}) {
            std::vector<long double> start = chain.nextStart;
            for (auto& w : start) w *= stretch;
            solved = exchange(start, phaseErrorRad);
            if (solved) break;
        }
        if (!solved)
            throw CalcError("The equiripple-delay prototype of " + std::to_string(n) +
                            " poles could not be found");
        chain.denominators.push_back(std::move(solved->d));
        std::vector<long double> refs = std::move(solved->extrema);
        const long double last = refs.back(), gap = last - refs[refs.size() - 2];
        const long double widen = 1 + 0.6L / static_cast<long double>(n);
        for (auto& w : refs) w *= widen;
        refs.push_back(last * widen + gap);
        chain.nextStart = std::move(refs);
    }
    return chain.denominators[static_cast<std::size_t>(poles) - 2];
}

} // namespace korvan::prototype
