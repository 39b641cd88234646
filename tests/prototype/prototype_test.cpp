// The prototypes checked against physics computed independently of their
// synthesis: the coupled resonators' own response (loop matrix), the
// families' defining formulas, and published rows where their digits are
// known to be right.

#include "numeric/errors.h"
#include "prototype/coupled_response.h"
#include "prototype/equiripple_delay.h"
#include "prototype/lowpass_function.h"
#include "prototype/prototype.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

namespace korvan::prototype {
namespace {

constexpr double kPi = std::numbers::pi;

// |S21|^2 of the coefficients, resonators of the given qo (0: lossless).
double powerGain(const CoupledResonatorCoefficients& c, double qo, double w) {
    const std::vector<long double> k(c.k.begin(), c.k.end());
    return static_cast<double>(std::norm(transmission(c.qe1, c.qen, k, qo, w)));
}

double lossDb(const CoupledResonatorCoefficients& c, double qo, double w) {
    return -10 * std::log10(powerGain(c, qo, w));
}

Request request(Family family, int poles, double rippleDb = 0) {
    Request r;
    r.family = family;
    r.poles = poles;
    r.rippleDb = rippleDb;
    return r;
}

std::string name(const Request& r) {
    return std::string(familyInfo(r.family).name) + " n=" + std::to_string(r.poles) +
           " ripple=" + std::to_string(r.rippleDb) +
           (r.qo ? " qo=" + std::to_string(*r.qo) : std::string());
}

// Every family at every pole count it allows, Chebyshev at a few ripples.
std::vector<Request> everyShape() {
    std::vector<Request> all;
    for (const auto& info : families())
        for (int n = info.minPoles; n <= info.maxPoles; ++n) {
            if (!info.hasRipple)
                all.push_back(request(info.family, n));
            else
                for (const double ripple : {0.001, 0.1, 1.0, 3.0})
                    all.push_back(request(info.family, n, ripple));
        }
    return all;
}

TEST(prototype_test, every_ladder_is_3_db_down_at_the_band_edge) {
    for (const Request& r : everyShape()) {
        SCOPED_TRACE(name(r));
        const auto c = coefficients(r);
        ASSERT_EQ(c.poles(), r.poles);
        EXPECT_NEAR(lossDb(c, 0, 1.0), 10 * std::log10(2.0), 1e-9);
        EXPECT_LE(c.q1, c.qn);
        EXPECT_EQ(c.qe1, c.q1);
        EXPECT_EQ(c.insertionLossDb, 0);
    }
}

TEST(prototype_test, chebyshev_ripple_equals_its_parameter) {
    for (const double ripple : {0.001, 0.01, 0.1, 0.5, 1.0, 3.0})
        for (int n = 2; n <= 14; ++n) {
            SCOPED_TRACE("ripple " + std::to_string(ripple) + " n=" + std::to_string(n));
            const auto c = coefficients(request(Family::Chebyshev, n, ripple));
            // T_n(w/edge) is 0 at the peaks and +-1 at the dips; the ripple
            // band ends at edge = 1/cosh(acosh(1/eps)/n) of the 3 dB edge.
            const double eps = std::sqrt(std::pow(10, ripple / 10) - 1);
            const double edge = 1 / std::cosh(std::acosh(1 / eps) / n);
            for (int i = 1; i <= n; ++i) {
                EXPECT_NEAR(lossDb(c, 0, edge * std::cos((2 * i - 1) * kPi / (2 * n))), 0, 1e-10);
                EXPECT_NEAR(lossDb(c, 0, edge * std::cos(i * kPi / n)), ripple, 1e-9);
            }
            for (int i = 0; i <= 1000; ++i) {
                const double loss = lossDb(c, 0, edge * i / 1000);
                EXPECT_GT(loss, -1e-10);
                EXPECT_LT(loss, ripple + 1e-9);
            }
        }
}

TEST(prototype_test, definitions_of_the_magnitude_families_hold_on_the_ladder) {
    // Legendre: 1/(1 + L_n(w^2)); Gaussian: 1/(sum (a w^2)^k/k!, a so that
    // the sum is 2 at w = 1); Butterworth 1/(1 + w^2n).
    const auto legendre3 = [](double x) { return 3 * x * x * x - 3 * x * x + x; };
    const auto legendre4 = [](double x) { return 6 * std::pow(x, 4) - 8 * x * x * x + 3 * x * x; };
    const auto legendre5 = [](double x) {
        return 20 * std::pow(x, 5) - 40 * std::pow(x, 4) + 28 * std::pow(x, 3) - 8 * x * x + x;
    };
    const auto gaussian = [](int n, double x) {
        double low = 0.1, high = 2; // a: bisection on the increasing sum
        const auto sum = [n](double a, double y) {
            double s = 1, term = 1;
            for (int k = 1; k <= n; ++k) s += term *= a * y / k;
            return s;
        };
        for (int i = 0; i < 200; ++i)
            (sum((low + high) / 2, 1) < 2 ? low : high) = (low + high) / 2;
        return sum(low, x);
    };
    for (const double w : {0.3, 0.7, 1.2, 1.8, 2.5}) {
        SCOPED_TRACE("w=" + std::to_string(w));
        const double x = w * w;
        const auto expect = [&](Family f, int n, double inverse) {
            EXPECT_NEAR(powerGain(coefficients(request(f, n)), 0, w) * inverse, 1, 1e-10)
                << familyInfo(f).name << " n=" << n;
        };
        expect(Family::Legendre, 3, 1 + legendre3(x));
        expect(Family::Legendre, 4, 1 + legendre4(x));
        expect(Family::Legendre, 5, 1 + legendre5(x));
        for (const int n : {2, 6, 14}) {
            expect(Family::Gaussian, n, gaussian(n, x));
            expect(Family::Butterworth, n, 1 + std::pow(x, n));
        }
    }
}

TEST(prototype_test, bessel_delay_is_maximally_flat) {
    for (int n = 2; n <= 14; ++n) {
        SCOPED_TRACE("n=" + std::to_string(n));
        // tau(w) = sum Re 1/(jw - p) = tau0 + sum_m c_m w^m with
        // c_m = -Re sum j^m / p^(m+1): the first 2n-1 terms after tau0 vanish.
        const auto f = lowpassFunction(Family::Bessel, n, 0);
        std::complex<long double> tau0 = 0;
        for (const auto& p : f.poles) tau0 -= 1.0L / p;
        for (int m = 1; m <= 2 * n - 1; ++m) {
            std::complex<long double> c = 0, jm = std::pow(std::complex<long double>(0, 1), m);
            long double scale = 0;
            for (const auto& p : f.poles) {
                c -= jm / std::pow(p, m + 1);
                scale += std::pow(std::abs(p), -(m + 1));
            }
            EXPECT_LT(std::fabs(c.real()), 1e-15L * scale) << "m=" << m;
        }
        // The ladder shows it: its delay departs from the centre's as w^2n.
        const auto c = coefficients(request(Family::Bessel, n));
        const std::vector<long double> k(c.k.begin(), c.k.end());
        const long double centre = groupDelay(c.qe1, c.qen, k, 0, 0);
        EXPECT_NEAR(centre, tau0.real(), 1e-12L * centre);
        if (n <= 6) {
            const long double wide = groupDelay(c.qe1, c.qen, k, 0, 0.2L) - centre;
            const long double narrow = groupDelay(c.qe1, c.qen, k, 0, 0.1L) - centre;
            EXPECT_NEAR(std::log2(wide / narrow), 2 * n, 0.1);
        }
    }
}

TEST(prototype_test, linear_phase_error_swings_n_times_between_its_limits) {
    for (const double degrees : {0.05, 0.5})
        for (int n = 2; n <= 14; ++n) {
            SCOPED_TRACE(std::to_string(degrees) + " deg, n=" + std::to_string(n));
            const long double error = degrees * kPi / 180;
            const Polynomial d = equirippleDelayDenominator(n, error);
            // arg D(jw) - w, unwrapped along a fine grid; its extrema.
            std::vector<long double> extrema;
            long double phase = 0, last = 0, before = 0;
            Complex previous = 1;
            for (int i = 1; i <= 40 * (n + 2) * 20; ++i) {
                const long double w = i / 20.0L / 20;
                const Complex value = evaluate(d, Complex(0, w));
                phase += std::arg(value / previous);
                previous = value;
                const long double e = phase - w;
                if (i > 2 && (e - last) * (last - before) < 0) // parabola through three
                    extrema.push_back(last -
                                      (e - before) * (e - before) / (8 * (e - 2 * last + before)));
                before = last, last = e;
                if (e < -10 * error) break;
            }
            ASSERT_GE(extrema.size(), static_cast<std::size_t>(n));
            for (int i = 0; i < n; ++i)
                EXPECT_NEAR(extrema[i], ((n - 1 - i) % 2 == 0 ? 1 : -1) * error, 1e-6 * error);
        }
}

TEST(prototype_test, agrees_with_published_rows) {
    // Maximally flat delay, 3 dB normalised (Matthaei, Young, Jones,
    // Microwave Filters..., 1964, table 4.07-1): the solution whose S11
    // zeros all lie in one half plane.
    struct BesselRow {
        int n;
        std::vector<double> g;
    };
    for (const BesselRow& row :
         {BesselRow{2, {0.5755, 2.1478}}, BesselRow{3, {0.3374, 0.9705, 2.2034}},
          BesselRow{4, {0.2334, 0.6725, 1.0815, 2.2404}}}) {
        const auto all = solutions(request(Family::Bessel, row.n)).solutions;
        const auto& c = all.back(); // the least balanced
        // g(i+1) = 1 / (k(i,i+1)^2 g(i)), g1 = q1.
        double g = c.q1;
        for (int i = 0; i < row.n; ++i) {
            EXPECT_NEAR(g, row.g[i], 5e-5) << "n=" << row.n << " g" << i + 1;
            if (i + 1 < row.n) g = 1 / (c.k[i] * c.k[i] * g);
        }
        EXPECT_NEAR(c.qn, row.g.back(), 5e-5); // g(n+1) = 1
    }
    // Lossless Gaussian n = 6: printed tables carry qn 2.2588, a typo for
    // the 2.2568 of its transfer function; Legendre n = 4: g4 = 1.5644 (a
    // widely copied table prints 1.5845).
    const auto gaussian = solutions(request(Family::Gaussian, 6)).solutions;
    EXPECT_NEAR(gaussian.back().qn, 2.2568, 5e-5);
    EXPECT_NEAR(coefficients(request(Family::Legendre, 4)).qn, 1.5644, 5e-5);
    // Linear phase 0.05 degrees, n = 2 (Williams & Taylor, Electronic Filter
    // Design Handbook, pole table): -1.0087 +- j0.6680.
    const auto lp = lowpassFunction(Family::LinearPhase005, 2, 0);
    EXPECT_NEAR(static_cast<double>(lp.poles[0].real()), -1.0087, 5e-5);
    EXPECT_NEAR(std::fabs(static_cast<double>(lp.poles[0].imag())), 0.6680, 5e-5);
}

TEST(prototype_test, predistorted_butterworth_matches_the_published_row) {
    // Tabulated at qo = qo_min x 10/3 (printed rounded as 8.71).
    Request r = request(Family::Butterworth, 4);
    r.qo = minimumQo(r) * 10 / 3;
    const auto c = coefficients(r);
    EXPECT_NEAR(c.insertionLossDb, 3.489, 5e-4);
    EXPECT_NEAR(c.q1, 0.5417, 5e-5);
    EXPECT_NEAR(c.qn, 1.8605, 5e-5);
    EXPECT_NEAR(c.qe1, 0.5776, 5e-5);
    EXPECT_NEAR(c.qen, 2.3659, 5e-5);
    ASSERT_EQ(c.k.size(), 3u);
    EXPECT_NEAR(c.k[0], 1.0411, 5e-5);
    EXPECT_NEAR(c.k[1], 0.5373, 5e-5);
    EXPECT_NEAR(c.k[2], 0.6992, 5e-5);
    EXPECT_DOUBLE_EQ(1 / c.q1, 1 / c.qe1 + 1 / *r.qo);
}

TEST(prototype_test, predistorted_ladders_with_lossy_resonators_keep_the_lossless_shape) {
    for (const auto& info : families())
        for (const int n : {2, 3, 5, 8, 11, 14}) {
            Request r = request(info.family, n, info.hasRipple ? 0.5 : 0);
            const auto lossless = coefficients(r);
            const double least = minimumQo(r);
            for (const double factor : {1.05, 2.0, 20.0}) {
                r.qo = least * factor;
                SCOPED_TRACE(name(r));
                const auto lossy = coefficients(r);
                EXPECT_GT(lossy.insertionLossDb, 0);
                for (int i = -60; i <= 60; ++i) {
                    const double w = i / 20.0;
                    const double shape = lossDb(lossless, 0, w);
                    if (shape > 60) continue;
                    EXPECT_NEAR(lossDb(lossy, *r.qo, w) - lossy.insertionLossDb, shape, 0.01)
                        << "w=" << w;
                }
            }
        }
}

TEST(prototype_test, solutions_are_distinct_oriented_and_balanced_first) {
    struct Case {
        Request r;
        std::size_t count; // 0: more than one, any number
    };
    Request lossyButterworth = request(Family::Butterworth, 8);
    lossyButterworth.qo = 20;
    for (const Case& t :
         {Case{request(Family::Butterworth, 6), 1}, Case{request(Family::Chebyshev, 7, 0.2), 1},
          Case{request(Family::Bessel, 4), 2}, Case{request(Family::Gaussian, 6), 4},
          Case{lossyButterworth, 0}, Case{request(Family::LinearPhase05, 9), 0}}) {
        SCOPED_TRACE(name(t.r));
        const auto all = solutions(t.r).solutions;
        if (t.count) {
            EXPECT_EQ(all.size(), t.count);
        } else {
            EXPECT_GT(all.size(), 1u);
        }
        for (std::size_t i = 0; i < all.size(); ++i) {
            const auto& a = all[i];
            EXPECT_LE(a.q1, a.qn);
            if (i > 0) {
                EXPECT_GE(std::fabs(std::log(a.q1 / a.qn)),
                          std::fabs(std::log(all[i - 1].q1 / all[i - 1].qn)) - 1e-12);
            }
            for (const double w : {0.4, 1.1})
                EXPECT_NEAR(powerGain(a, 0, w), powerGain(all.front(), 0, w), 1e-9);
            for (std::size_t j = 0; j < i; ++j) {
                const auto& b = all[j];
                std::vector<double> reversed(b.k.rbegin(), b.k.rend());
                const bool same = std::fabs(a.q1 - b.q1) < 1e-9 && a.k == b.k;
                const bool mirror = std::fabs(a.q1 - b.qn) < 1e-9 && a.k == reversed;
                EXPECT_FALSE(same || mirror) << i << " repeats " << j;
            }
        }
    }
    // Loss spreads Butterworth's reflection zeros off the origin.
    EXPECT_EQ(solutions(request(Family::Butterworth, 8)).solutions.size(), 1u);
    EXPECT_GT(solutions(lossyButterworth).solutions.size(), 1u);
}

TEST(prototype_test, refuses_what_it_cannot_give_and_says_what_it_can) {
    Request lowQo = request(Family::Butterworth, 4);
    lowQo.qo = minimumQo(lowQo); // at the minimum: refused
    Request nanQo = request(Family::Bessel, 5);
    nanQo.qo = std::nan("");
    struct Bad {
        Request r;
        const char* says;
    };
    for (const Bad& bad : {Bad{request(Family::Butterworth, 1), "2 to 14 poles, not 1"},
                           Bad{request(Family::Legendre, 15), "2 to 14 poles, not 15"},
                           Bad{request(Family::Chebyshev, 5, 0), "0.001 to 3 dB, not 0"},
                           Bad{request(Family::Chebyshev, 5, 3.5), "0.001 to 3 dB, not 3.5"},
                           Bad{request(Family::Chebyshev, 5, std::nan("")), "0.001 to 3 dB"},
                           Bad{request(Family::Bessel, 5, 0.1), "only chebyshev takes one"},
                           Bad{lowQo, "qo must exceed 2.61313"}, Bad{nanQo, "qo must exceed"}}) {
        SCOPED_TRACE(bad.says);
        try {
            solutions(bad.r);
            ADD_FAILURE() << "accepted";
        } catch (const PrototypeError& e) {
            EXPECT_NE(std::string(e.what()).find(bad.says), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(parseFamily("linear-phase-0.5"), Family::LinearPhase05);
    try {
        parseFamily("elliptic");
        ADD_FAILURE() << "accepted";
    } catch (const PrototypeError& e) {
        EXPECT_NE(std::string(e.what()).find("'elliptic'; the families are butterworth, "
                                             "chebyshev, bessel"),
                  std::string::npos)
            << e.what();
    }
}

} // namespace
} // namespace korvan::prototype
