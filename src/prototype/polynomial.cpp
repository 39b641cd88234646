#include "prototype/polynomial.h"

namespace korvan::prototype {

long double evaluate(std::span<const long double> p, long double x) {
    long double v = 0;
    for (auto c = p.rbegin(); c != p.rend(); ++c) v = v * x + *c;
    return v;
}

Complex evaluate(std::span<const long double> p, Complex z) {
    Complex v = 0;
    for (auto c = p.rbegin(); c != p.rend(); ++c) v = v * z + *c;
    return v;
}

Polynomial derivative(std::span<const long double> p) {
    Polynomial d;
    for (std::size_t k = 1; k < p.size(); ++k) d.push_back(static_cast<long double>(k) * p[k]);
    return d;
}

Polynomial multiply(std::span<const long double> a, std::span<const long double> b) {
    if (a.empty() || b.empty()) return {};
    Polynomial r(a.size() + b.size() - 1, 0.0L);
    for (std::size_t i = 0; i < a.size(); ++i)
        for (std::size_t j = 0; j < b.size(); ++j) r[i + j] += a[i] * b[j];
    return r;
}

Polynomial fromRoots(std::span<const Complex> roots) {
    Polynomial p{1.0L};
    for (const Complex& z : roots) {
        if (z.imag() > 0) {
            const long double quadratic[] = {std::norm(z), -2 * z.real(), 1.0L};
            p = multiply(p, quadratic);
        } else if (z.imag() == 0) {
            const long double linear[] = {-z.real(), 1.0L};
            p = multiply(p, linear);
        }
    }
    return p;
}

Polynomial squaredMagnitude(std::span<const long double> d) {
    // D(s) D(-s) is even in s; its s^(2k) term is (-x)^k.
    const std::size_t n = d.size() - 1;
    Polynomial m(n + 1, 0.0L);
    for (std::size_t k = 0; k <= n; ++k) {
        long double sum = 0;
        for (std::size_t i = 0; i <= 2 * k; ++i) {
            const std::size_t j = 2 * k - i;
            if (i > n || j > n) continue;
            sum += (j % 2 == 0 ? 1 : -1) * d[i] * d[j];
        }
        m[k] = k % 2 == 0 ? sum : -sum;
    }
    return m;
}

Polynomial negatedArgument(std::span<const long double> p) {
    Polynomial r(p.begin(), p.end());
    for (std::size_t k = 1; k < r.size(); k += 2) r[k] = -r[k];
    return r;
}

Polynomial scaledArgument(std::span<const long double> p, long double a) {
    Polynomial r(p.begin(), p.end());
    long double power = 1;
    for (auto& c : r) {
        c *= power;
        power *= a;
    }
    return r;
}

Polynomial deflated(std::span<const long double> p, long double root, int multiplicity) {
    Polynomial q(p.begin(), p.end());
    for (int m = 0; m < multiplicity && q.size() > 1; ++m) {
        // Synthetic division from the top.
        Polynomial next(q.size() - 1);
        long double carry = 0;
        for (std::size_t k = q.size() - 1; k >= 1; --k) {
            carry = q[k] + carry * root;
            next[k - 1] = carry;
        }
        q = std::move(next);
    }
    return q;
}

} // namespace korvan::prototype
