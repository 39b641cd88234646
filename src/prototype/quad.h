#pragma once
// Quadruple precision for the ladder synthesis: its continued fraction
// needs the reflection zeros consistent with the poles far beyond the
// extended type's last digit.

#include "prototype/polynomial.h"

#include <vector>

namespace korvan::prototype {

#if defined(__SIZEOF_FLOAT128__)
using Quad = __float128;
#else
using Quad = long double; // where long double is already IEEE quadruple
#endif

struct QuadComplex {
    Quad re = 0;
    Quad im = 0;

    QuadComplex() = default;
    QuadComplex(Quad r, Quad i = 0) : re(r), im(i) {}
    explicit QuadComplex(const Complex& z) : re(z.real()), im(z.imag()) {}
    Complex extended() const {
        return {static_cast<long double>(re), static_cast<long double>(im)};
    }
};

inline QuadComplex operator+(QuadComplex a, QuadComplex b) {
    return {a.re + b.re, a.im + b.im};
}
inline QuadComplex operator-(QuadComplex a, QuadComplex b) {
    return {a.re - b.re, a.im - b.im};
}
inline QuadComplex operator-(QuadComplex a) {
    return {-a.re, -a.im};
}
inline QuadComplex operator*(QuadComplex a, QuadComplex b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
inline QuadComplex conj(QuadComplex a) {
    return {a.re, -a.im};
}

using QuadPolynomial = std::vector<Quad>; // lowest power first

// The monic real polynomial of roots closed under conjugation (the member
// with positive imaginary part read, as fromRoots does).
inline QuadPolynomial quadFromRoots(const std::vector<QuadComplex>& roots) {
    QuadPolynomial p{1};
    for (const QuadComplex& z : roots) {
        if (z.im < 0) continue;
        const bool real = z.im == 0;
        QuadPolynomial next(p.size() + (real ? 1 : 2), 0);
        for (std::size_t i = 0; i < p.size(); ++i) {
            if (real) {
                next[i] -= z.re * p[i];
                next[i + 1] += p[i];
            } else {
                next[i] += (z.re * z.re + z.im * z.im) * p[i];
                next[i + 1] -= 2 * z.re * p[i];
                next[i + 2] += p[i];
            }
        }
        p = std::move(next);
    }
    return p;
}

} // namespace korvan::prototype
