#include "prototype/polynomial_roots.h"

#include "numeric/errors.h"
#include "prototype/quad.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace korvan::prototype {
namespace {

constexpr long double kEps = std::numeric_limits<long double>::epsilon();
constexpr int kMaxSweeps = 500;

// Starting points on a circle of the roots' geometric mean radius, turned
// off the real axis so that no two start symmetric to it.
std::vector<Complex> startingPoints(std::span<const long double> p) {
    const std::size_t n = p.size() - 1;
    const long double radius =
        p[0] != 0 ? std::pow(std::fabs(p[0] / p[n]), 1.0L / static_cast<long double>(n)) : 1.0L;
    std::vector<Complex> z(n);
    for (std::size_t k = 0; k < n; ++k) {
        const long double angle = 2 * std::numbers::pi_v<long double> *
                                      (static_cast<long double>(k) + 0.25L) /
                                      static_cast<long double>(n) +
                                  0.4L;
        z[k] = std::polar(radius, angle);
    }
    return z;
}

// Newton on the undeflated polynomial: the iteration's last digits.
void polish(std::span<const long double> p, Complex& z) {
    const Polynomial dp = derivative(p);
    for (int i = 0; i < 3; ++i) {
        const Complex slope = evaluate(std::span<const long double>(dp), z);
        if (slope == Complex(0)) return;
        const Complex step = divided(evaluate(p, z), slope);
        if (!std::isfinite(step.real()) || !std::isfinite(step.imag())) return;
        z -= step;
        if (std::abs(step) <= kEps * std::abs(z)) return;
    }
}

// Newton with the value in quadruple precision; the slope needs no more.
void exactlyPolish(std::span<const long double> p, Complex& z) {
    const Polynomial dp = derivative(p);
    for (int i = 0; i < 2; ++i) {
        QuadComplex value, at(z);
        for (auto c = p.rbegin(); c != p.rend(); ++c) value = value * at + QuadComplex(Quad(*c));
        const Complex step =
            divided(value.extended(), evaluate(std::span<const long double>(dp), z));
        if (!std::isfinite(step.real()) || !std::isfinite(step.imag())) return;
        z -= step;
    }
}

} // namespace

std::vector<Complex> roots(std::span<const long double> p, bool exactPolish) {
    while (!p.empty() && p.back() == 0) p = p.first(p.size() - 1);
    if (p.size() < 2) return {};
    const std::size_t n = p.size() - 1;
    // Zero roots exactly, then the rest of a polynomial with p[0] != 0.
    std::size_t zeros = 0;
    while (p[zeros] == 0) ++zeros;
    std::vector<Complex> found(zeros, Complex(0));
    const std::span<const long double> q = p.subspan(zeros);
    const std::size_t m = n - zeros;
    if (m == 0) return found;

    const Polynomial dq = derivative(q);
    std::vector<Complex> z = startingPoints(q);
    std::vector<bool> settled(m, false);
    bool all = false;
    for (int sweep = 0; sweep < kMaxSweeps && !all; ++sweep) {
        all = true;
        for (std::size_t k = 0; k < m; ++k) {
            if (settled[k]) continue;
            const Complex value = evaluate(q, z[k]);
            if (value == Complex(0)) {
                settled[k] = true;
                continue;
            }
            const Complex ratio = divided(value, evaluate(std::span<const long double>(dq), z[k]));
            Complex repulsion = 0;
            for (std::size_t j = 0; j < m; ++j)
                if (j != k) repulsion += divided(1.0L, z[k] - z[j]);
            const Complex step = divided(ratio, 1.0L - ratio * repulsion);
            if (!std::isfinite(step.real()) || !std::isfinite(step.imag()))
                throw CalcError("The polynomial root search failed");
            z[k] -= step;
            // Settled when the step is below the last digit, or the value below
            // the rounding noise of its own evaluation (a multiple root).
            long double noise = 0;
            const long double size = std::sqrt(std::norm(z[k]));
            for (auto c = q.rbegin(); c != q.rend(); ++c) noise = noise * size + std::fabs(*c);
            if (std::norm(step) <= 16 * kEps * kEps * size * size ||
                std::norm(value) <= 64 * kEps * kEps * noise * noise)
                settled[k] = true;
            else
                all = false;
        }
    }
    if (!all) throw CalcError("The polynomial root search did not converge");

    for (auto& root : z) {
        polish(q, root);
        if (exactPolish) exactlyPolish(q, root);
    }
    // Pair the conjugates: a root close to the real axis against its own
    // size is real; the others take the conjugate of their mirror image.
    std::sort(z.begin(), z.end(), [](const Complex& a, const Complex& b) {
        return a.real() != b.real() ? a.real() < b.real() : a.imag() < b.imag();
    });
    std::vector<bool> used(m, false);
    for (std::size_t k = 0; k < m; ++k) {
        if (used[k]) continue;
        used[k] = true;
        const long double size = std::abs(z[k]);
        if (std::fabs(z[k].imag()) <= 1e3L * kEps * size) {
            found.emplace_back(z[k].real(), 0.0L);
            continue;
        }
        std::size_t best = m;
        long double distance = std::numeric_limits<long double>::infinity();
        for (std::size_t j = 0; j < m; ++j) {
            if (used[j]) continue;
            const long double d = std::abs(z[j] - std::conj(z[k]));
            if (d < distance) distance = d, best = j;
        }
        if (best == m || distance > 1e-6L * size)
            throw CalcError("The polynomial roots are not conjugate pairs");
        used[best] = true;
        const Complex mean = (z[k] + std::conj(z[best])) / 2.0L;
        found.emplace_back(mean.real(), std::fabs(mean.imag()));
        found.emplace_back(mean.real(), -std::fabs(mean.imag()));
    }
    return found;
}

} // namespace korvan::prototype
