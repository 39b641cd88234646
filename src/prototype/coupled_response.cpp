#include "prototype/coupled_response.h"

#include <cmath>

namespace korvan::prototype {
namespace {

// x = A^-1 e1 and y = A^-1 x for the loop matrix of the resonators,
// A = (s + 1/qo) I + diag(1/qe1, 0, ..., 0, 1/qen) + j K, K holding the
// couplings beside the diagonal; S21 = 2 x_n / sqrt(qe1 qen).
struct Solved {
    Complex xn;
    Complex yn;
};

Solved solve(long double qe1, long double qen, std::span<const long double> k, long double qo,
             long double w, bool withDelay) {
    const std::size_t n = k.size() + 1;
    const Complex s(qo > 0 ? 1 / qo : 0.0L, w);
    std::vector<Complex> diag(n, s), upper(n, 0.0L);
    diag.front() += 1 / qe1;
    diag.back() += 1 / qen;
    // Forward elimination, shared by both right-hand sides.
    std::vector<Complex> pivot(n), factor(n);
    pivot[0] = diag[0];
    for (std::size_t i = 1; i < n; ++i) {
        const Complex off(0, k[i - 1]);
        factor[i] = divided(off, pivot[i - 1]);
        pivot[i] = diag[i] - factor[i] * off;
    }
    const auto back = [&](std::vector<Complex> b) {
        for (std::size_t i = 1; i < n; ++i) b[i] -= factor[i] * b[i - 1];
        b[n - 1] = divided(b[n - 1], pivot[n - 1]);
        for (std::size_t i = n - 1; i-- > 0;)
            b[i] = divided(b[i] - Complex(0, k[i]) * b[i + 1], pivot[i]);
        return b;
    };
    std::vector<Complex> e1(n, 0.0L);
    e1[0] = 1;
    const auto x = back(e1);
    if (!withDelay) return {x[n - 1], 0.0L};
    const auto y = back(x);
    return {x[n - 1], y[n - 1]};
}

} // namespace

Complex transmission(long double qe1, long double qen, std::span<const long double> k,
                     long double qo, long double w) {
    return 2 / std::sqrt(qe1 * qen) * solve(qe1, qen, k, qo, w, false).xn;
}

long double groupDelay(long double qe1, long double qen, std::span<const long double> k,
                       long double qo, long double w) {
    // d/ds A^-1 = -A^-2, so the delay -d arg S21/dw is Re(y_n / x_n).
    const Solved r = solve(qe1, qen, k, qo, w, true);
    return std::real(r.yn / r.xn);
}

ResponseCurve responseCurve(const CoupledResonatorCoefficients& c, double qo, double wMax,
                            int points) {
    const std::vector<long double> k(c.k.begin(), c.k.end());
    ResponseCurve curve;
    for (int i = 0; i < points; ++i) {
        const long double w = -wMax + 2.0L * wMax * i / (points > 1 ? points - 1 : 1);
        const long double s21 = std::abs(transmission(c.qe1, c.qen, k, qo, w));
        curve.w.push_back(static_cast<double>(w));
        curve.s21Db.push_back(static_cast<double>(20 * std::log10(s21)));
        curve.delay.push_back(static_cast<double>(groupDelay(c.qe1, c.qen, k, qo, w)));
    }
    return curve;
}

} // namespace korvan::prototype
