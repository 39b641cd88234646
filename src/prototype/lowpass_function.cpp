#include "prototype/lowpass_function.h"

#include "numeric/errors.h"
#include "prototype/equiripple_delay.h"
#include "prototype/polynomial_roots.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <mutex>
#include <numbers>
#include <utility>

namespace korvan::prototype {
namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

void addConjugates(std::vector<Complex>& poles, Complex p) {
    poles.push_back(p);
    poles.push_back(std::conj(p));
}

// The left-half-plane roots of D(s) D(-s) = K^2 (1 + F(-s^2)), from the
// roots y = s^2 of 1 + F(-y).
std::vector<Complex> polesOfCharacteristic(const Polynomial& f) {
    Polynomial onePlusF = f;
    onePlusF[0] += 1;
    std::vector<Complex> poles;
    for (const Complex& y : roots(negatedArgument(onePlusF), true)) {
        if (y.imag() < 0) continue; // its conjugate's pole is added below
        const Complex s = -std::sqrt(y);
        if (!(s.real() < 0)) throw CalcError("The prototype has a pole on the j axis");
        if (y.imag() == 0)
            poles.emplace_back(s.real(), 0.0L);
        else
            addConjugates(poles, Complex(s.real(), std::fabs(s.imag())));
    }
    return poles;
}

// |D(jw)|^2 as the product of the poles' distances.
long double squaredDistance(const std::vector<Complex>& poles, long double w) {
    long double product = 1;
    for (const Complex& p : poles) product *= std::norm(Complex(0, w) - p);
    return product;
}

// Newton on d/dw ln |D(jw)|^2 = sum 2 (w - b) / (a^2 + (w - b)^2), p = a + jb.
long double settledMinimum(const std::vector<Complex>& poles, long double w) {
    for (int i = 0; i < 20; ++i) {
        long double slope = 0, curvature = 0;
        for (const Complex& p : poles) {
            const long double a2 = p.real() * p.real(), u = w - p.imag(), r = a2 + u * u;
            slope += 2 * u / r;
            curvature += 2 * (a2 - u * u) / (r * r);
        }
        if (!(curvature > 0)) break;
        const long double step = slope / curvature;
        w -= step;
        if (std::fabs(step) <= 4 * std::numeric_limits<long double>::epsilon() * std::fabs(w))
            break;
    }
    return std::fabs(w);
}

LowpassFunction fromCharacteristic(Polynomial f, int zerosAtDc) {
    for (int k = 0; k < zerosAtDc; ++k) f[static_cast<std::size_t>(k)] = 0;
    LowpassFunction fn;
    fn.poles = polesOfCharacteristic(f);
    fn.denominator = fromRoots(fn.poles);
    fn.gainSquared = 1 / f.back();
    fn.characteristic = std::move(f);
    fn.zerosAtDc = zerosAtDc;
    return fn;
}

LowpassFunction butterworth(int n) {
    LowpassFunction fn;
    for (int k = 1; k <= n; ++k) {
        const long double angle = kPi * (2 * k + n - 1) / (2 * n);
        // Exact conjugates (the products over all poles rely on them), the
        // real pole of odd n exactly real.
        if (2 * k - 1 == n)
            fn.poles.emplace_back(std::cos(angle), 0.0L);
        else if (2 * k - 1 < n)
            addConjugates(fn.poles, Complex(std::cos(angle), std::sin(angle)));
    }
    fn.denominator = fromRoots(fn.poles);
    fn.gainSquared = 1;
    fn.zerosAtDc = n; // F = x^n
    return fn;
}

LowpassFunction chebyshev(int n, long double rippleDb) {
    const long double eps2 = std::pow(10.0L, rippleDb / 10) - 1;
    const long double eps = std::sqrt(eps2);
    const long double a = std::asinh(1 / eps) / n;
    // The ripple band edge lies at 1/c of the 3 dB edge.
    const long double c = std::cosh(std::acosh(1 / eps) / n);
    LowpassFunction fn;
    long double product = 1;
    for (int k = 1; k <= n; ++k) {
        const long double angle = kPi * (2 * k - 1) / (2 * n);
        const Complex p(-std::sinh(a) * std::sin(angle) / c, std::cosh(a) * std::cos(angle) / c);
        if (2 * k - 1 == n)
            fn.poles.emplace_back(p.real(), 0.0L);
        else if (2 * k - 1 < n)
            addConjugates(fn.poles, p);
    }
    for (const Complex& p : fn.poles) product *= std::norm(p);
    fn.denominator = fromRoots(fn.poles);
    // |H(0)|^2 = 1/(1 + eps^2 T_n(0)^2).
    fn.gainSquared = n % 2 == 1 ? product : product / (1 + eps2);
    fn.zerosAtDc = n % 2;
    for (int k = 1; k <= n / 2; ++k) {
        const long double w = std::cos(kPi * (2 * k - 1) / (2 * n)) / c;
        fn.doubleZeros.push_back(w * w);
    }
    return fn;
}

// Optimum-L: F = L_n(x), the integral from -1 to 2x-1 of a squared sum of
// Legendre polynomials (times (u+1) for even n), scaled to L_n(1) = 1.
Polynomial legendreCharacteristic(int n) {
    std::vector<Polynomial> legendre{{1.0L}, {0.0L, 1.0L}};
    const int k = (n - 1) / 2;
    for (int i = 1; i < k; ++i) {
        Polynomial next(static_cast<std::size_t>(i) + 2, 0.0L);
        for (std::size_t j = 0; j < legendre[static_cast<std::size_t>(i)].size(); ++j)
            next[j + 1] += (2 * i + 1) * legendre[static_cast<std::size_t>(i)][j] / (i + 1);
        for (std::size_t j = 0; j < legendre[static_cast<std::size_t>(i) - 1].size(); ++j)
            next[j] -= i * legendre[static_cast<std::size_t>(i) - 1][j] / (i + 1);
        legendre.push_back(next);
    }
    Polynomial sum{0.0L};
    const bool odd = n % 2 == 1;
    for (int i = 0; i <= k; ++i) {
        // Odd n: every term; even n: the terms of k's parity.
        if (!odd && (i - k) % 2 != 0) continue;
        const auto& p = legendre[static_cast<std::size_t>(i)];
        sum.resize(std::max(sum.size(), p.size()), 0.0L);
        for (std::size_t j = 0; j < p.size(); ++j) sum[j] += (2 * i + 1) * p[j];
    }
    Polynomial integrand = multiply(sum, sum);
    if (!odd) {
        const long double uPlusOne[] = {1.0L, 1.0L};
        integrand = multiply(integrand, uPlusOne);
    }
    Polynomial antiderivative(integrand.size() + 1, 0.0L);
    for (std::size_t j = 0; j < integrand.size(); ++j)
        antiderivative[j + 1] = integrand[j] / static_cast<long double>(j + 1);
    // Substitute u = 2x - 1 (Horner in polynomials).
    Polynomial inX{0.0L};
    const long double twoXMinusOne[] = {-1.0L, 2.0L};
    for (auto c = antiderivative.rbegin(); c != antiderivative.rend(); ++c) {
        inX = multiply(inX, twoXMinusOne);
        inX[0] += *c;
    }
    inX[0] -= evaluate(antiderivative, -1.0L);
    const long double atOne = evaluate(inX, 1.0L);
    for (auto& c : inX) c /= atOne;
    while (inX.size() > static_cast<std::size_t>(n) + 1) inX.pop_back();
    return inX;
}

// The scale a with F(a) = 1 (F increasing on x >= 0): Newton, bounded.
long double unitPoint(const Polynomial& f) {
    const Polynomial df = derivative(f);
    long double x = 1;
    for (int i = 0; i < 200; ++i) {
        const long double step = (evaluate(f, x) - 1) / evaluate(df, x);
        x -= step;
        if (!(x > 0)) throw CalcError("The 3 dB point of the prototype could not be found");
        if (std::fabs(step) <= 4 * std::numeric_limits<long double>::epsilon() * x) return x;
    }
    throw CalcError("The 3 dB point of the prototype could not be found");
}

LowpassFunction gaussian(int n) {
    // F = the Taylor series of e^(a x) - 1 to the n-th term, 3 dB at x = 1.
    Polynomial f(static_cast<std::size_t>(n) + 1, 0.0L);
    long double term = 1;
    for (int k = 1; k <= n; ++k) f[static_cast<std::size_t>(k)] = term /= k;
    return fromCharacteristic(scaledArgument(f, unitPoint(f)), 1);
}

LowpassFunction fromDenominator(const Polynomial& d) {
    const LowpassFunction raw = fromPoles(roots(d, true));
    const long double w3 = halfPowerFrequency(raw);
    std::vector<Complex> scaled = raw.poles;
    for (auto& p : scaled) p /= w3;
    return fromPoles(std::move(scaled));
}

LowpassFunction bessel(int n) {
    // The reverse Bessel polynomial; its coefficients are exact integers.
    Polynomial d(static_cast<std::size_t>(n) + 1);
    d[static_cast<std::size_t>(n)] = 1;
    for (int k = n; k >= 1; --k)
        d[static_cast<std::size_t>(k) - 1] =
            d[static_cast<std::size_t>(k)] * (2 * n - k + 1) * k / (2 * (n - k + 1));
    return fromDenominator(d);
}

LowpassFunction compute(Family family, int n, double rippleDb) {
    switch (family) {
    case Family::Butterworth:
        return butterworth(n);
    case Family::Chebyshev:
        return chebyshev(n, rippleDb);
    case Family::Bessel:
        return bessel(n);
    case Family::Gaussian:
        return gaussian(n);
    case Family::Legendre:
        return fromCharacteristic(legendreCharacteristic(n), 2 - n % 2);
    case Family::LinearPhase005:
        return fromDenominator(equirippleDelayDenominator(n, 0.05L * kPi / 180));
    case Family::LinearPhase05:
        return fromDenominator(equirippleDelayDenominator(n, 0.5L * kPi / 180));
    }
    throw PrototypeError("unknown response family");
}

} // namespace

long double LowpassFunction::magnitudeSquared(long double w) const {
    return gainSquared / squaredDistance(poles, w);
}

LowpassFunction fromPoles(std::vector<Complex> poles) {
    LowpassFunction fn;
    fn.poles = std::move(poles);
    fn.denominator = fromRoots(fn.poles);
    // |H| peaks where |D(jw)|^2 is least: at 0 (|D|^2 is even in w) or at a
    // dip found on a grid fine against the poles' distance from the axis
    // and at the poles' heights, each settled by Newton.
    long double top = 0, nearest = std::numeric_limits<long double>::infinity();
    std::vector<long double> candidates;
    for (const Complex& p : fn.poles) {
        top = std::max(top, std::abs(p));
        nearest = std::min(nearest, std::fabs(p.real()));
        if (p.imag() > 0) candidates.push_back(p.imag());
    }
    const long double step = std::max(std::min(nearest / 3, top / 200), top / 20000);
    long double before = squaredDistance(fn.poles, 0), here = squaredDistance(fn.poles, step);
    for (long double w = step; w <= 1.5L * top; w += step) {
        const long double after = squaredDistance(fn.poles, w + step);
        if (here <= before && here <= after) candidates.push_back(w);
        before = here, here = after;
    }
    long double best = 0, least = squaredDistance(fn.poles, 0);
    for (const long double start : candidates) {
        // A dip at the origin settles anywhere within rounding of it.
        const long double w = settledMinimum(fn.poles, start);
        const long double value = squaredDistance(fn.poles, w);
        if (w > 1e-6L * top &&
            value < least * (1 - 16 * std::numeric_limits<long double>::epsilon()))
            best = w, least = value;
    }
    fn.gainSquared = least;
    fn.characteristic = squaredMagnitude(fn.denominator);
    for (auto& c : fn.characteristic) c /= least;
    fn.characteristic[0] -= 1;
    if (best == 0) {
        fn.characteristic[0] = 0;
        fn.zerosAtDc = 1;
    } else {
        fn.doubleZeros.push_back(best * best);
    }
    return fn;
}

long double halfPowerFrequency(const LowpassFunction& f) {
    // Down from beyond every pole to where |D|^2 falls below twice its
    // least, then bisected.
    const long double half = 2 * f.gainSquared;
    long double high = 1;
    for (const Complex& p : f.poles) high = std::max(high, 2 * std::abs(p));
    for (int i = 0; i < 64 && squaredDistance(f.poles, high) <= half; ++i) high *= 2;
    const long double step = high / 4000;
    long double low = high - step;
    while (low > 0 && squaredDistance(f.poles, low) > half) high = low, low -= step;
    if (!(low > 0)) throw CalcError("The 3 dB point of the prototype could not be found");
    for (int i = 0; i < 80 && high - low > 4 * std::numeric_limits<long double>::epsilon() * high;
         ++i) {
        const long double mid = (low + high) / 2;
        (squaredDistance(f.poles, mid) > half ? high : low) = mid;
    }
    return (low + high) / 2;
}

LowpassFunction lowpassFunction(Family family, int poles, double rippleDb) {
    // Chebyshev is closed-form and takes any ripple; the others are kept,
    // since the equiripple-delay ones take an iteration.
    if (family == Family::Chebyshev) return chebyshev(poles, rippleDb);
    static std::mutex lock;
    static std::map<std::pair<Family, int>, LowpassFunction> known;
    const std::lock_guard guard(lock);
    const auto key = std::make_pair(family, poles);
    if (const auto it = known.find(key); it != known.end()) return it->second;
    return known.emplace(key, compute(family, poles, rippleDb)).first->second;
}

} // namespace korvan::prototype
