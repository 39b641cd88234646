#include "measurement/deembedding.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korvan::measurement {

namespace {

using Complex = std::complex<double>;
constexpr Complex kJ{0, 1};

bool positive(double v) {
    return std::isfinite(v) && v > 0;
}

ChainMatrix product(const ChainMatrix& x, const ChainMatrix& y) {
    return {x[0] * y[0] + x[1] * y[2], x[0] * y[1] + x[1] * y[3], x[2] * y[0] + x[3] * y[2],
            x[2] * y[1] + x[3] * y[3]};
}

ChainMatrix series(Complex z) {
    return {1.0, z, 0.0, 1.0};
}
ChainMatrix shunt(Complex y) {
    return {1.0, 0.0, y, 1.0};
}

// The fixture's chain matrix at omega, from the analyser to the filter
// (port 1) or from the filter to the analyser (port 2). Every one has
// determinant 1.
ChainMatrix fixtureChain(const PortFixture& p, double w, bool port2) {
    using Kind = PortFixture::Kind;
    switch (p.kind) {
    case Kind::Direct:
        break;
    case Kind::SeriesPad:
        return series(p.padOhm);
    case Kind::Transformer:
        return port2 ? ChainMatrix{p.turnsRatio, 0.0, 0.0, 1 / p.turnsRatio}
                     : ChainMatrix{1 / p.turnsRatio, 0.0, 0.0, p.turnsRatio};
    case Kind::LowPassMatch: {
        const ChainMatrix l = series(kJ * w * p.inductanceH), c = shunt(kJ * w * p.capacitanceF);
        return port2 ? product(c, l) : product(l, c);
    }
    case Kind::HighPassMatch: {
        const ChainMatrix c = series(1.0 / (kJ * w * p.capacitanceF));
        const ChainMatrix l = shunt(1.0 / (kJ * w * p.inductanceH));
        return port2 ? product(l, c) : product(c, l);
    }
    }
    return {1.0, 0.0, 0.0, 1.0};
}

std::optional<std::string> portProblem(const PortFixture& p, int port) {
    using Kind = PortFixture::Kind;
    const std::string at = " at port " + std::to_string(port);
    switch (p.kind) {
    case Kind::Direct:
        break;
    case Kind::SeriesPad:
        if (!std::isfinite(p.padOhm) || p.padOhm < 0 || p.padOhm > kMaxPadOhm)
            return "the pad" + at + " must lie between 0 and 100 kOhm";
        break;
    case Kind::Transformer:
        if (!positive(p.turnsRatio) || p.turnsRatio > 1000)
            return "the turns ratio" + at + " must lie above 0 and at most 1000";
        break;
    case Kind::LowPassMatch:
    case Kind::HighPassMatch:
        if (!positive(p.inductanceH) || !positive(p.capacitanceF))
            return "the matching network" + at + " needs an inductance and a capacitance above 0";
        break;
    }
    return std::nullopt;
}

// The analyser's own additive noise per part of S21: where the trace is
// lowest, neighbouring points differ by noise alone (median of a Rayleigh
// spread of scale sqrt(2) sigma is 1.665 sigma). Where the trace never
// reaches the floor, this gives the trace's own point-to-point change, so
// that its lowest points are trusted a little less, never more.
double noiseFloor(const std::vector<Complex>& s) {
    const std::size_t n = s.size();
    if (n < 4) return 0;
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i) order[i] = i;
    const std::size_t lowest = std::max<std::size_t>(5, n / 10);
    std::partial_sort(
        order.begin(), order.begin() + static_cast<std::ptrdiff_t>(std::min(lowest, n)),
        order.end(), [&](std::size_t a, std::size_t b) { return std::abs(s[a]) < std::abs(s[b]); });
    std::vector<double> steps;
    for (std::size_t k = 0; k < std::min(lowest, n); ++k) {
        const std::size_t i = order[k];
        steps.push_back(std::abs(s[i + 1 < n ? i + 1 : i - 1] - s[i]));
    }
    std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2),
                     steps.end());
    double peak = 0;
    for (const Complex& v : s) peak = std::max(peak, std::abs(v));
    return std::max(steps[steps.size() / 2] / 1.665, 1e-12 * peak);
}

// The two-port's chain matrix from S-parameters at real references.
std::optional<ChainMatrix> chainFromS(const std::array<Complex, 4>& s, double z1, double z2) {
    const Complex s11 = s[0], s21 = s[1], s12 = s[2], s22 = s[3];
    if (std::abs(s21) == 0) return std::nullopt;
    const Complex k = 1.0 / (2.0 * s21), x = s12 * s21;
    const double r = std::sqrt(z1 / z2), g = std::sqrt(z1 * z2);
    return ChainMatrix{
        r * ((1.0 + s11) * (1.0 - s22) + x) * k, g * ((1.0 + s11) * (1.0 + s22) - x) * k,
        ((1.0 - s11) * (1.0 - s22) - x) * k / g, ((1.0 - s11) * (1.0 + s22) + x) * k / r};
}

ChainMatrix inverse(const ChainMatrix& m) {
    // Determinant 1.
    return {m[3], -m[1], -m[2], m[0]};
}

} // namespace

std::optional<std::string> fixtureProblem(const Fixture& fixture) {
    if (auto p = portProblem(fixture.port1, 1)) return p;
    return portProblem(fixture.port2, 2);
}

FilterMeasurement deembed(const TouchstoneData& data, const Fixture& fixture,
                          const AnalyserNoise& noise) {
    const std::size_t n = data.frequencyHz.size();
    const double z01 = data.referenceOhm;
    const double z02 = data.port2ReferenceOhm > 0 ? data.port2ReferenceOhm : z01;
    FilterMeasurement m;
    m.frequencyHz = data.frequencyHz;
    m.s21.resize(n);
    m.s11.resize(n);
    m.s21MagnitudeWeight.resize(n);
    m.s21PhaseWeight.resize(n);
    m.s11Weight.resize(n);
    m.s21FloorShare.resize(n);

    std::vector<Complex> rawS21(n);
    bool reverse = false;
    for (std::size_t i = 0; i < n; ++i) {
        rawS21[i] = data.s[i][1];
        m.s11Measured = m.s11Measured || std::abs(data.s[i][0]) != 0;
        reverse = reverse || std::abs(data.s[i][2]) != 0 || std::abs(data.s[i][3]) != 0;
    }
    m.s21Floor = noiseFloor(rawS21);

    // The terminations the filter sees: the fixture's Thevenin impedance
    // towards each analyser port, real for pads and transformers, nearly so
    // across a pass band for the L-C sections (their median real part).
    std::vector<double> sources(n), loads(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double w = 2 * std::numbers::pi * m.frequencyHz[i];
        const ChainMatrix f1 = fixtureChain(fixture.port1, w, false);
        const ChainMatrix f2 = fixtureChain(fixture.port2, w, true);
        sources[i] = ((f1[1] + f1[3] * z01) / (f1[0] + f1[2] * z01)).real();
        loads[i] = ((f2[0] * z02 + f2[1]) / (f2[2] * z02 + f2[3])).real();
    }
    const auto median = [](std::vector<double> v) {
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    m.sourceOhm = n > 0 ? median(sources) : z01;
    m.loadOhm = n > 0 ? median(loads) : z02;
    const double rs = m.sourceOhm, rl = m.loadOhm;

    const double relMagnitude = noise.magnitudeDb * std::log(10.0) / 20;
    const double relPhase = noise.phaseDeg * std::numbers::pi / 180;
    const double relReflection = std::sqrt((relMagnitude * relMagnitude + relPhase * relPhase) / 2);
    for (std::size_t i = 0; i < n; ++i) {
        const double w = 2 * std::numbers::pi * m.frequencyHz[i];
        const ChainMatrix f1 = fixtureChain(fixture.port1, w, false);
        const ChainMatrix f2 = fixtureChain(fixture.port2, w, true);
        const Complex s21m = data.s[i][1], s11m = data.s[i][0];

        // V(filter output) / EMF behind the filter's source: the filter's
        // transfer between the terminations it sees, whatever the fixture.
        const Complex h =
            s21m / 2.0 * std::sqrt(z02 / z01) * (f2[0] + f2[1] / z02) * (f1[0] + f1[2] * z01);
        m.s21[i] = 2.0 * h * std::sqrt(rs / rl);
        // The factor is the same for the signal and its noise: relative
        // noise stays, the floor scales with the trace.
        const double magnitude = std::abs(s21m);
        const double floorShare = magnitude > 0 ? m.s21Floor / magnitude : 1e300;
        m.s21FloorShare[i] = floorShare;
        m.s21MagnitudeWeight[i] = magnitude > 0 ? 1 / std::hypot(relMagnitude, floorShare) : 0.0;
        m.s21PhaseWeight[i] = magnitude > 0 ? 1 / std::hypot(relPhase, floorShare) : 0.0;

        // The filter's input impedance from the analyser's, through the fixture.
        const Complex one = 1.0;
        if (m.s11Measured && std::abs(one - s11m) > 1e-12) {
            const Complex zm = z01 * (one + s11m) / (one - s11m);
            const Complex below = f1[0] - f1[2] * zm;
            const Complex zin = (f1[3] * zm - f1[1]) / below;
            m.s11[i] = (zin - rs) / (zin + rs);
            // d S11(filter) / d S11(analyser), to carry the noise through.
            const Complex slope = 2.0 * rs / ((zin + rs) * (zin + rs)) / (below * below) *
                                  (2.0 * z01 / ((one - s11m) * (one - s11m)));
            const double sigma =
                std::abs(slope) * std::hypot(relReflection * std::abs(s11m), noise.reflectionFloor);
            m.s11Weight[i] = std::isfinite(sigma) && sigma > 0 ? 1 / sigma : 0.0;
            if (!std::isfinite(m.s11[i].real()) || !std::isfinite(m.s11[i].imag())) {
                m.s11[i] = 0;
                m.s11Weight[i] = 0;
            }
        }
    }

    if (reverse) {
        m.chain.reserve(n);
        for (std::size_t i = 0; i < n && m.chain.size() == i; ++i) {
            const auto t = chainFromS(data.s[i], z01, z02);
            if (!t) break;
            const double w = 2 * std::numbers::pi * m.frequencyHz[i];
            m.chain.push_back(product(product(inverse(fixtureChain(fixture.port1, w, false)), *t),
                                      inverse(fixtureChain(fixture.port2, w, true))));
        }
        if (m.chain.size() != n) m.chain.clear(); // a point with no transmission at all
    }
    return m;
}

std::optional<analysis::ResponseFigures> measuredFigures(const FilterMeasurement& m,
                                                         double nominalCentreHz) {
    // The samples' figures of the tolerance analysis: one definition of IL,
    // ripple and bandwidth for every sampled response.
    std::vector<double> loss;
    loss.reserve(m.s21.size());
    for (const Complex& s : m.s21) loss.push_back(-20 * std::log10(std::max(std::abs(s), 1e-300)));
    auto figures = analysis::responseFigures(loss, m.frequencyHz, nominalCentreHz);
    if (!figures || m.s21.empty()) return figures;
    // Near the analyser's floor the noise itself crosses a level: a
    // bandwidth is read only where its level lies 20 dB above the floor
    // (the floor's magnitude at the filter's terminals, its median).
    std::vector<double> floor;
    for (std::size_t i = 0; i < m.s21.size(); ++i)
        floor.push_back(std::sqrt(2.0) * m.s21FloorShare[i] * std::abs(m.s21[i]));
    std::nth_element(floor.begin(), floor.begin() + static_cast<std::ptrdiff_t>(floor.size() / 2),
                     floor.end());
    const double floorDb = -20 * std::log10(std::max(floor[floor.size() / 2], 1e-300));
    const double il = *figures->value[analysis::kIL];
    const std::pair<analysis::Figure, double> levels[] = {
        {analysis::kBw3, 3}, {analysis::kBw6, 6}, {analysis::kBw20, 20}, {analysis::kBw60, 60}};
    for (const auto& [figure, db] : levels)
        if (il + db > floorDb - 20) figures->value[figure].reset();
    return figures;
}

std::vector<std::array<std::complex<double>, 4>> renormalised(const FilterMeasurement& m, double z1,
                                                              double z2) {
    std::vector<std::array<Complex, 4>> out;
    out.reserve(m.chain.size());
    const double root = 2 * std::sqrt(z1 * z2);
    for (const ChainMatrix& t : m.chain) {
        const Complex a = t[0], b = t[1], c = t[2], d = t[3];
        const Complex den = a * z2 + b + c * z1 * z2 + d * z1;
        out.push_back({(a * z2 + b - c * z1 * z2 - d * z1) / den, root / den,
                       root * (a * d - b * c) / den, (-a * z2 + b - c * z1 * z2 + d * z1) / den});
    }
    return out;
}

} // namespace korvan::measurement
