#pragma once
// Real polynomials in extended precision, coefficients lowest power first:
// the transfer functions' denominators and characteristic functions.

#include <complex>
#include <span>
#include <vector>

namespace korvan::prototype {

using Complex = std::complex<long double>;
using Polynomial = std::vector<long double>;

// a / b without the library's care for infinities (the callers check the
// result), several times faster.
inline Complex divided(Complex a, Complex b) {
    const long double d = std::norm(b);
    return {(a.real() * b.real() + a.imag() * b.imag()) / d,
            (a.imag() * b.real() - a.real() * b.imag()) / d};
}

long double evaluate(std::span<const long double> p, long double x);
Complex evaluate(std::span<const long double> p, Complex z);
Polynomial derivative(std::span<const long double> p);
Polynomial multiply(std::span<const long double> a, std::span<const long double> b);

// The monic real polynomial with these roots. Roots off the real axis come
// in conjugate pairs; only the member with positive imaginary part is read.
Polynomial fromRoots(std::span<const Complex> roots);

// |D(jw)|^2 as a polynomial in x = w^2.
Polynomial squaredMagnitude(std::span<const long double> d);

// p(-y): a polynomial in x = w^2 written in y = s^2.
Polynomial negatedArgument(std::span<const long double> p);

// p(a x).
Polynomial scaledArgument(std::span<const long double> p, long double a);

// p / (x - root)^multiplicity, the remainder (a rounding residue) dropped.
Polynomial deflated(std::span<const long double> p, long double root, int multiplicity = 1);

} // namespace korvan::prototype
