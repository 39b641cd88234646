#include "prototype/darlington.h"

#include "numeric/errors.h"
#include "prototype/coupled_response.h"
#include "prototype/polynomial_roots.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvan::prototype {
namespace {

constexpr int kMaxChoiceBits = 24; // far beyond what 14 poles can have
constexpr long double kEps = std::numeric_limits<long double>::epsilon();

std::vector<QuadComplex> quadPoles(const LowpassFunction& f) {
    std::vector<QuadComplex> poles;
    for (const Complex& p : f.poles) poles.emplace_back(p);
    return poles;
}

// |D(jw)|^2 in quadruple precision, from the product.
Quad squaredDistance(const std::vector<QuadComplex>& poles, Quad w) {
    Quad product = 1;
    for (const QuadComplex& p : poles) product *= p.re * p.re + (w - p.im) * (w - p.im);
    return product;
}

// Where |D(jw)|^2 is least near w: Newton on its logarithmic slope,
// sum 2 (w - b) / (a^2 + (w - b)^2) for the poles a + jb.
// Where |H| peaks on the j axis (found in extended precision by the
// function), to quadruple precision: Newton on the logarithmic slope of
// |D(jw)|^2, sum 2 (w - b) / (a^2 + (w - b)^2) for the poles a + jb, the
// curvature needing no more than extended.
Quad settledPeak(const std::vector<QuadComplex>& poles, long double start) {
    Quad w = start;
    for (int i = 0; i < 4; ++i) {
        Quad slope = 0;
        long double curvature = 0;
        for (const QuadComplex& p : poles) {
            const Quad a2 = p.re * p.re, u = w - p.im, r = a2 + u * u;
            slope += 2 * u / r;
            const long double rl = static_cast<long double>(r), ul = static_cast<long double>(u);
            curvature += 2 * (static_cast<long double>(a2) - ul * ul) / (rl * rl);
        }
        if (!(curvature > 0)) break;
        const long double step = static_cast<long double>(slope) / curvature;
        w -= Quad(step);
        if (std::fabs(step) <= 1e-30L * start) break;
    }
    return w;
}

// Newton on D(s) D(-s) / K^2 - 1 = 0 with D in product form, first in
// extended then in quadruple precision (the value; the slope needs no more
// than extended): the zeros of S11 consistent with the poles to the last
// digit, which the continued fraction needs.
QuadComplex settledZero(const LowpassFunction& f, const std::vector<QuadComplex>& squares,
                        Quad gainSquared, Complex s) {
    // d/ds ln(D(s) D(-s)) = sum 1/(s - p) + 1/(s + p) = sum 2s / (s^2 - p^2)
    const auto slopeAt = [&](Complex z) {
        const Complex z2 = z * z;
        Complex slope = 0;
        for (const Complex& p : f.poles) slope += divided(2.0L * z, z2 - p * p);
        return slope;
    };
    bool settled = false;
    for (int i = 0; i < 10 && !settled; ++i) {
        Complex g = 1.0L / f.gainSquared;
        const Complex s2 = s * s;
        for (const Complex& p : f.poles) g *= p * p - s2; // (s - p)(-s - p)
        const Complex step = divided(g - 1.0L, g * slopeAt(s));
        if (!std::isfinite(step.real()) || !std::isfinite(step.imag())) break;
        s -= step;
        settled = std::norm(step) <= 16 * kEps * kEps * std::norm(s);
    }
    QuadComplex z(s);
    for (int i = 0; i < (settled ? 1 : 3); ++i) {
        const QuadComplex z2 = z * z;
        QuadComplex g(1);
        for (const QuadComplex& p2 : squares) g = g * (p2 - z2);
        const Complex defect(static_cast<long double>((g.re - gainSquared) / gainSquared),
                             static_cast<long double>(g.im / gainSquared));
        const Complex step = divided(defect, slopeAt(z.extended()));
        if (!std::isfinite(step.real()) || !std::isfinite(step.imag())) break;
        z = z - QuadComplex(step);
    }
    return z;
}

long double pairSum(const std::vector<QuadComplex>& pair) {
    long double sum = 0;
    for (const QuadComplex& z : pair) sum += static_cast<long double>(z.re);
    return sum;
}

// The sum of N's zeros: the pair's left member contributes a negative
// real part, its right member the opposite.
long double zeroSum(const ReflectionZeros& zeros, ZeroChoice choice) {
    long double sum = 0;
    for (std::size_t i = 0; i < zeros.pairs.size(); ++i)
        sum += (choice >> i & 1u ? -1 : 1) * pairSum(zeros.pairs[i]);
    return sum;
}

std::vector<QuadComplex> numeratorZeros(const ReflectionZeros& zeros, ZeroChoice choice) {
    std::vector<QuadComplex> all = zeros.fixed;
    for (std::size_t i = 0; i < zeros.pairs.size(); ++i)
        for (const QuadComplex& z : zeros.pairs[i]) all.push_back(choice >> i & 1u ? -z : z);
    return all;
}

// g1 .. g(steps) of Z = num/den = g1 s + 1/(g2 s + 1/(...)), deg num =
// deg den + 1. Each remainder loses its top two terms, which cancel for an
// all-pole function.
std::vector<long double> continuedFraction(QuadPolynomial num, QuadPolynomial den, int steps) {
    std::vector<long double> g;
    for (int i = 0; i < steps && !den.empty(); ++i) {
        const Quad gi = num.back() / den.back();
        g.push_back(static_cast<long double>(gi));
        QuadPolynomial rest(num.size() - 1);
        for (std::size_t j = 0; j < rest.size(); ++j)
            rest[j] = num[j] - (j >= 1 ? gi * den[j - 1] : Quad(0));
        rest.pop_back();
        num = std::move(den);
        den = std::move(rest);
    }
    return g;
}

// The elements from one end inward: Z = (D + N) / (D - N) with N's zeros
// as that end sees them.
std::vector<long double> endElements(const QuadPolynomial& d, const std::vector<QuadComplex>& zeros,
                                     int steps) {
    const QuadPolynomial n = quadFromRoots(zeros);
    QuadPolynomial num(d.size()), den(d.size() - 1);
    for (std::size_t j = 0; j < d.size(); ++j) num[j] = d[j] + n[j];
    for (std::size_t j = 0; j + 1 < d.size(); ++j) den[j] = d[j] - n[j];
    return continuedFraction(std::move(num), std::move(den), steps);
}

} // namespace

ReflectionZeros reflectionZeros(const LowpassFunction& f) {
    const std::vector<QuadComplex> poles = quadPoles(f);
    ReflectionZeros zeros;
    for (int i = 0; i < f.zerosAtDc; ++i) zeros.fixed.emplace_back(0, 0);
    std::vector<Quad> peaks;
    for (const long double x : f.doubleZeros) {
        const Quad w = settledPeak(poles, std::sqrt(x));
        peaks.push_back(w);
        zeros.fixed.emplace_back(0, w);
        zeros.fixed.emplace_back(0, -w);
    }
    // K^2 = |D|^2 where |H| peaks.
    if (f.zerosAtDc > 0)
        zeros.gainSquared = squaredDistance(poles, 0);
    else if (!peaks.empty())
        zeros.gainSquared = squaredDistance(poles, peaks.front());
    else
        zeros.gainSquared = f.gainSquared;

    const int rest = f.order() - f.zerosAtDc - 2 * static_cast<int>(f.doubleZeros.size());
    if (rest == 0) return zeros;
    if (f.characteristic.size() != static_cast<std::size_t>(f.order()) + 1)
        throw CalcError("The prototype's reflection zeros are unknown");
    std::vector<QuadComplex> squares;
    for (const QuadComplex& p : poles) squares.push_back(p * p);
    Polynomial r(f.characteristic.begin() + f.zerosAtDc, f.characteristic.end());
    for (const long double x : f.doubleZeros) r = deflated(r, x, 2);
    // x = w^2 = -s^2: a root x gives the zeros s = +-sqrt(-x).
    std::vector<long double> touching; // x > 0: on the j axis, must be double
    for (const Complex& x : roots(r)) {
        if (x.imag() < 0) continue;
        if (x.imag() == 0 && x.real() > 0) {
            touching.push_back(x.real());
            continue;
        }
        // The left-half-plane member.
        QuadComplex s = settledZero(f, squares, zeros.gainSquared, -std::sqrt(-x));
        if (x.imag() == 0 || s.im == 0) {
            zeros.pairs.push_back({QuadComplex(s.re, 0)});
        } else {
            if (s.im < 0) s = conj(s);
            zeros.pairs.push_back({s, conj(s)});
        }
    }
    // |S21| reaching its peak where the definition did not say: two equal
    // roots split by rounding.
    std::sort(touching.begin(), touching.end());
    for (std::size_t i = 0; i < touching.size(); i += 2) {
        if (i + 1 >= touching.size() ||
            std::fabs(touching[i + 1] - touching[i]) > 1e-6L * touching[i + 1])
            throw CalcError("The prototype's |S21| exceeds its peak");
        const Quad w = settledPeak(poles, std::sqrt((touching[i] + touching[i + 1]) / 2));
        zeros.fixed.emplace_back(0, w);
        zeros.fixed.emplace_back(0, -w);
    }
    if (zeros.pairs.size() > kMaxChoiceBits)
        throw CalcError("The prototype has too many reflection zeros");
    return zeros;
}

std::vector<ZeroChoice> distinctChoices(const LowpassFunction&, const ReflectionZeros& zeros) {
    const std::size_t m = zeros.pairs.size();
    if (m == 0) return {0};
    // Pair 0 fixed to its right-half-plane member: the mirror image flips
    // every pair. q1 = 2/(sum of N's zeros - sum of poles), so q1 <= qn is a
    // non-negative zero sum, and the smallest sum is the most balanced.
    const ZeroChoice all = (ZeroChoice{1} << m) - 1;
    std::vector<std::pair<long double, ZeroChoice>> ranked;
    for (ZeroChoice rest = 0; rest < (ZeroChoice{1} << (m - 1)); ++rest) {
        ZeroChoice choice = rest << 1 | 1u;
        long double sum = zeroSum(zeros, choice);
        if (sum < 0) choice ^= all, sum = -sum;
        ranked.emplace_back(sum, choice);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<ZeroChoice> choices;
    for (const auto& ranking : ranked) choices.push_back(ranking.second);
    return choices;
}

Ladder synthesise(const LowpassFunction& f, const ReflectionZeros& zeros, ZeroChoice choice) {
    const int n = f.order();
    const QuadPolynomial d = quadFromRoots(quadPoles(f));
    // The far end sees the mirror image of the zeros. Half the ladder from
    // each end keeps the cancellation of a long continued fraction out.
    const ZeroChoice mirrored = choice ^ ((ZeroChoice{1} << zeros.pairs.size()) - 1);
    const int fromInput = (n + 1) / 2;
    const int fromOutput = n - fromInput + 1;
    const auto gIn = endElements(d, numeratorZeros(zeros, choice), fromInput);
    const auto gOut = endElements(d, numeratorZeros(zeros, mirrored), fromOutput);
    if (static_cast<int>(gIn.size()) != fromInput || static_cast<int>(gOut.size()) != fromOutput)
        throw CalcError("The ladder synthesis ended early");

    Ladder ladder;
    ladder.q1 = gIn[0];
    ladder.qn = gOut[0];
    ladder.k.resize(static_cast<std::size_t>(n) - 1);
    for (std::size_t i = 0; i + 1 < gIn.size(); ++i)
        ladder.k[i] = 1 / std::sqrt(gIn[i] * gIn[i + 1]);
    for (std::size_t j = 0; j + 1 < gOut.size(); ++j)
        ladder.k[static_cast<std::size_t>(n) - 2 - j] = 1 / std::sqrt(gOut[j] * gOut[j + 1]);

    bool sound =
        ladder.q1 > 0 && ladder.qn > 0 && std::isfinite(ladder.q1) && std::isfinite(ladder.qn);
    for (const long double k : ladder.k) sound = sound && k > 0 && std::isfinite(k);
    if (!sound) throw CalcError("The ladder synthesis gave a negative or infinite element");

    // The coupled resonators must give |H| back, where the shape changes.
    for (const long double w : {0.0L, 0.5L, 0.9L, 1.0L, 1.3L, 2.0L}) {
        const long double expected = f.magnitudeSquared(w);
        const long double got = std::norm(transmission(ladder.q1, ladder.qn, ladder.k, 0, w));
        if (!(std::fabs(got - expected) <= 1e-7L * std::max(expected, 1e-6L)))
            throw CalcError("The ladder synthesis lost its accuracy");
    }
    return ladder;
}

} // namespace korvan::prototype
