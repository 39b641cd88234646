#include "analysis/ladder_chain.h"

#include "analysis/ladder_analysis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

// The lane helpers below take and return vectors wider than the baseline
// target's registers; they are always inlined, so no call ever crosses an
// ABI boundary with them.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace korvan::analysis {

namespace {

// Four frequencies side by side: GCC and Clang vector types, which run on
// whatever SIMD width the target offers (two SSE2 registers on plain x86-64).
using Lanes = double __attribute__((vector_size(4 * sizeof(double))));
constexpr std::size_t kLanes = 4;

struct CL {
    Lanes re, im;
};

#define KORVAN_LANE_INLINE __attribute__((always_inline)) inline

KORVAN_LANE_INLINE CL operator+(CL a, CL b) {
    return {a.re + b.re, a.im + b.im};
}
KORVAN_LANE_INLINE CL operator-(CL a, CL b) {
    return {a.re - b.re, a.im - b.im};
}
KORVAN_LANE_INLINE CL operator*(CL a, CL b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
KORVAN_LANE_INLINE CL scaled(CL a, double s) {
    return {a.re * s, a.im * s};
}
// conj/norm: the ladder's impedances stay far inside double range, so the
// library's guarded complex division is not needed.
KORVAN_LANE_INLINE CL reciprocal(CL a) {
    const Lanes n = 1.0 / (a.re * a.re + a.im * a.im);
    return {a.re * n, -a.im * n};
}
KORVAN_LANE_INLINE CL real(double x) {
    const Lanes zero{};
    return {zero + x, zero};
}
KORVAN_LANE_INLINE CL imaginary(Lanes x) {
    return {x - x, x};
}
KORVAN_LANE_INLINE Lanes load(const double* p) {
    Lanes v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}
KORVAN_LANE_INLINE std::complex<double> lane(CL a, std::size_t i) {
    return {a.re[i], a.im[i]};
}

// What stageValue gives besides the value: nothing, its derivative with
// respect to omega, or (series stages) with respect to an elastance added
// to every crystal's motional arm (a shift of the crystals' fs).
enum class Also { Nothing, OmegaDerivative, MotionalDerivative };

// A stage's impedance (series) or admittance (shunt), and the derivative
// `also` asks for.
template <Also also>
KORVAN_LANE_INLINE void stageValue(const ChainPlan& plan, const ChainStage& stage, Lanes w,
                                   Lanes iw, CL& value, CL& derivative) {
    constexpr bool delay = also == Also::OmegaDerivative;
    constexpr bool motional = also == Also::MotionalDerivative;
    const Lanes zero{}, one = zero + 1;
    if (!stage.series) {
        value = imaginary(w * stage.capacitanceF);
        if constexpr (delay) derivative = imaginary(zero + stage.capacitanceF);
        if constexpr (motional) derivative = real(0.0);
        return;
    }
    const ChainCrystal* first = plan.crystals.data() + stage.firstCrystal;
    CL z, dz;
    if (stage.crystalCount == 1) {
        // Z = Zm / (1 + j omega Cp Zm): the motional arm and the holder in
        // parallel with one division; dZ/dZm = 1 / (1 + j omega Cp Zm)^2.
        const ChainCrystal& x = *first;
        const CL zm{zero + x.rOhm, w * x.lH - iw * x.invCmF};
        const CL u = reciprocal(CL{one - w * x.cpF * zm.im, w * x.cpF * zm.re});
        z = zm * u;
        if constexpr (delay) {
            const CL dzm = imaginary(x.lH + iw * iw * x.invCmF);
            dz = (dzm - imaginary(zero + x.cpF) * zm * zm) * u * u;
        }
        if constexpr (motional) dz = imaginary(zero - iw) * u * u;
    } else {
        CL y = real(0.0), dy = real(0.0);
        for (std::uint32_t j = 0; j < stage.crystalCount; ++j) {
            const ChainCrystal& x = first[j];
            const CL zm{zero + x.rOhm, w * x.lH - iw * x.invCmF};
            const CL ym = reciprocal(zm);
            y = y + ym + imaginary(w * x.cpF);
            if constexpr (delay)
                dy = dy - imaginary(x.lH + iw * iw * x.invCmF) * ym * ym + imaginary(zero + x.cpF);
            if constexpr (motional) dy = dy + imaginary(iw) * ym * ym;
        }
        z = reciprocal(y);
        if constexpr (delay || motional) dz = real(0.0) - dy * z * z;
    }
    if (stage.elastance != 0) {
        z = z - imaginary(iw * stage.elastance);
        if constexpr (delay) dz = dz + imaginary(iw * iw * stage.elastance);
    }
    value = z;
    if constexpr (delay || motional) derivative = dz;
}

// The row vectors p = [1 z1] M and q = [1 -z1] M of the chain matrix M,
// carried from the source to the load (with `Delay` also dp/domega):
// den = p [z2 1]' is the denominator of every S-parameter.
template <bool Delay>
KORVAN_LANE_INLINE void sParameterBlock(const ChainPlan& plan, const double* omega,
                                        const double* invOmega, double z1, double z2,
                                        SParameters* out, std::size_t count) {
    const Lanes w = load(omega), iw = load(invOmega);
    CL p0 = real(1.0), p1 = real(z1), q0 = real(1.0), q1 = real(-z1);
    CL d0 = real(0.0), d1 = real(0.0);
    for (const ChainStage& stage : plan.stages) {
        CL e, de;
        stageValue<Delay ? Also::OmegaDerivative : Also::Nothing>(plan, stage, w, iw, e, de);
        if (stage.series) {
            if constexpr (Delay) d1 = d1 + d0 * e + p0 * de;
            p1 = p1 + p0 * e;
            q1 = q1 + q0 * e;
        } else {
            if constexpr (Delay) d0 = d0 + d1 * e + p1 * de;
            p0 = p0 + p1 * e;
            q0 = q0 + q1 * e;
        }
    }
    const CL den = scaled(p0, z2) + p1;
    const CL inverse = reciprocal(den);
    const CL s21 = scaled(inverse, 2 * std::sqrt(z1 * z2));
    const CL s11 = (scaled(q0, z2) + q1) * inverse;
    const CL s22 = (p1 - scaled(p0, z2)) * inverse;
    CL delay{};
    if constexpr (Delay) delay = (scaled(d0, z2) + d1) * inverse;
    for (std::size_t i = 0; i < count; ++i) {
        SParameters& s = out[i];
        s.s21 = lane(s21, i);
        // Every series and shunt factor of the chain has determinant 1, so
        // S12 = S21 (forming ad - bc would cancel in the stop band).
        s.s12 = s.s21;
        s.s11 = lane(s11, i);
        s.s22 = lane(s22, i);
        s.groupDelayS = Delay ? delay.im[i] : 0.0;
    }
}

KORVAN_LANE_INLINE void transmissionBlock(const ChainPlan& plan, const double* omega,
                                          const double* invOmega, double z1, double z2,
                                          std::complex<double>* s21Out,
                                          std::complex<double>* s11Out, std::size_t count) {
    const Lanes w = load(omega), iw = load(invOmega);
    CL p0 = real(1.0), p1 = real(z1), q0 = real(1.0), q1 = real(-z1);
    for (const ChainStage& stage : plan.stages) {
        CL e, unused;
        stageValue<Also::Nothing>(plan, stage, w, iw, e, unused);
        if (stage.series) {
            p1 = p1 + p0 * e;
            q1 = q1 + q0 * e;
        } else {
            p0 = p0 + p1 * e;
            q0 = q0 + q1 * e;
        }
    }
    const CL inverse = reciprocal(scaled(p0, z2) + p1);
    const CL s21 = scaled(inverse, 2 * std::sqrt(z1 * z2));
    const CL s11 = (scaled(q0, z2) + q1) * inverse;
    for (std::size_t i = 0; i < count; ++i) {
        s21Out[i] = lane(s21, i);
        s11Out[i] = lane(s11, i);
    }
}

// Lanes kept in memory between passes, as plain doubles: a vector type's
// alignment differs between the baseline and the AVX2 build of the same
// code, so the heap holds none.
struct StoredLanes {
    double re[kLanes], im[kLanes];
};
KORVAN_LANE_INLINE void store(StoredLanes& to, CL from) {
    __builtin_memcpy(to.re, &from.re, sizeof to.re);
    __builtin_memcpy(to.im, &from.im, sizeof to.im);
}
KORVAN_LANE_INLINE CL fetch(const StoredLanes& from) {
    return {load(from.re), load(from.im)};
}

// Scratch of one sensitivity pass: per stage its value and its derivative by
// a motional elastance, the column vector r = (the chain after it) [z2 1]',
// then the sensitivities of den and of the S11 numerator in its place.
struct StageScratch {
    StoredLanes value, motional, r0, r1;
};

KORVAN_LANE_INLINE void sensitivityBlock(const ChainPlan& plan, const double* omega,
                                         const double* invOmega, double z1, double z2,
                                         StageScratch* scratch, ChainSensitivities& out,
                                         std::size_t first, std::size_t count) {
    const Lanes w = load(omega), iw = load(invOmega);
    const std::size_t stages = plan.stages.size();
    for (std::size_t k = 0; k < stages; ++k) {
        CL value, motional;
        stageValue<Also::MotionalDerivative>(plan, plan.stages[k], w, iw, value, motional);
        store(scratch[k].value, value);
        store(scratch[k].motional, motional);
    }
    // From the load back: den = [1 z1] (M [z2 1]') and d den/d E_k = p_k E_k' r_k.
    CL v0 = real(z2), v1 = real(1.0);
    for (std::size_t k = stages; k-- > 0;) {
        store(scratch[k].r0, v0);
        store(scratch[k].r1, v1);
        const CL e = fetch(scratch[k].value);
        if (plan.stages[k].series)
            v0 = v0 + e * v1;
        else
            v1 = v1 + e * v0;
    }
    CL p0 = real(1.0), p1 = real(z1), q0 = real(1.0), q1 = real(-z1);
    const std::size_t n = out.size;
    // The sensitivities go to `out` once den is known: first kept in r0/r1.
    for (std::size_t k = 0; k < stages; ++k) {
        StageScratch& s = scratch[k];
        const CL e = fetch(s.value);
        if (plan.stages[k].series) {
            const CL r1 = fetch(s.r1);
            store(s.r0, p0 * r1);
            store(s.r1, q0 * r1);
            p1 = p1 + p0 * e;
            q1 = q1 + q0 * e;
        } else {
            const CL r0 = fetch(s.r0);
            store(s.r0, p1 * r0);
            store(s.r1, q1 * r0);
            p0 = p0 + p1 * e;
            q0 = q0 + q1 * e;
        }
    }
    const CL den = scaled(p0, z2) + p1;
    const CL inverse = reciprocal(den);
    const CL s21 = scaled(inverse, 2 * std::sqrt(z1 * z2));
    const CL s11 = (scaled(q0, z2) + q1) * inverse;
    const CL half = real(0.5);
    const CL lnZ1 = half - scaled(v1 * inverse, z1);
    const CL lnZ2 = half - scaled(p0 * inverse, z2);
    const CL s11Z1 = real(0.0) - scaled(v1 * (real(1.0) + s11) * inverse, z1);
    const CL s11Z2 = scaled((q0 - s11 * p0) * inverse, z2);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = first + i;
        out.s21[at] = lane(s21, i);
        out.s11[at] = lane(s11, i);
        out.dLnS21dLnZ1[at] = lane(lnZ1, i);
        out.dLnS21dLnZ2[at] = lane(lnZ2, i);
        out.dS11dLnZ1[at] = lane(s11Z1, i);
        out.dS11dLnZ2[at] = lane(s11Z2, i);
    }
    for (std::size_t k = 0; k < stages; ++k) {
        const CL sp = fetch(scratch[k].r0), sq = fetch(scratch[k].r1);
        const CL dLnS21 = real(0.0) - sp * inverse;
        const CL dS11 = (sq - s11 * sp) * inverse;
        const StoredLanes& motional = scratch[k].motional;
        for (std::size_t i = 0; i < count; ++i) {
            out.dLnS21[k * n + first + i] = lane(dLnS21, i);
            out.dS11[k * n + first + i] = lane(dS11, i);
            out.dMotional[k * n + first + i] = {motional.re[i], motional.im[i]};
        }
    }
}

// Every block of the grid; the body is built for AVX2 and for the baseline
// and chosen once at run time (not by an ifunc, which sanitizer runtimes
// cannot take). Nothing is contracted, so both give the same bits.
struct SParameterJob {
    const ChainPlan& plan;
    const ChainGrid& grid;
    double z1, z2;
    SParameters* out;
};
struct TransmissionJob {
    const ChainPlan& plan;
    const ChainGrid& grid;
    double z1, z2;
    std::complex<double>*s21, *s11;
};
struct SensitivityJob {
    const ChainPlan& plan;
    const ChainGrid& grid;
    double z1, z2;
    StageScratch* scratch;
    ChainSensitivities& out;
};

KORVAN_LANE_INLINE void runBody(const SParameterJob& job) {
    const std::size_t n = job.grid.size();
    for (std::size_t k = 0; k < n; k += kLanes) {
        sParameterBlock<true>(job.plan, job.grid.omega() + k, job.grid.invOmega() + k, job.z1,
                              job.z2, job.out + k, std::min(kLanes, n - k));
    }
}
KORVAN_LANE_INLINE void runBody(const TransmissionJob& job) {
    const std::size_t n = job.grid.size();
    for (std::size_t k = 0; k < n; k += kLanes)
        transmissionBlock(job.plan, job.grid.omega() + k, job.grid.invOmega() + k, job.z1, job.z2,
                          job.s21 + k, job.s11 + k, std::min(kLanes, n - k));
}
KORVAN_LANE_INLINE void runBody(const SensitivityJob& job) {
    const std::size_t n = job.grid.size();
    for (std::size_t k = 0; k < n; k += kLanes)
        sensitivityBlock(job.plan, job.grid.omega() + k, job.grid.invOmega() + k, job.z1, job.z2,
                         job.scratch, job.out, k, std::min(kLanes, n - k));
}

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) void runAvx2(const SParameterJob& job) {
    runBody(job);
}
__attribute__((target("avx2"))) void runAvx2(const TransmissionJob& job) {
    runBody(job);
}
__attribute__((target("avx2"))) void runAvx2(const SensitivityJob& job) {
    runBody(job);
}
#endif
void runBaseline(const SParameterJob& job) {
    runBody(job);
}
void runBaseline(const TransmissionJob& job) {
    runBody(job);
}
void runBaseline(const SensitivityJob& job) {
    runBody(job);
}

template <typename Job> void run(const Job& job) {
#if defined(__x86_64__) || defined(__i386__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) return runAvx2(job);
#endif
    runBaseline(job);
}

} // namespace

ChainPlan chainPlan(const LadderModel& model) {
    ChainPlan plan;
    const std::size_t n = model.arms.size();
    plan.stages.reserve(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        const SeriesArm& arm = model.arms[i];
        ChainStage series;
        series.firstCrystal = static_cast<std::uint32_t>(plan.crystals.size());
        series.crystalCount = static_cast<std::uint32_t>(arm.crystals.size());
        series.elastance = arm.csF != 0 ? 1 / arm.csF : 0;
        for (const Crystal& x : arm.crystals)
            plan.crystals.push_back({x.rmOhm, x.lmH, 1 / x.cmF, x.cpF});
        plan.stages.push_back(series);
        if (i + 1 < n && i < model.couplingF.size()) {
            ChainStage shunt;
            shunt.series = false;
            shunt.capacitanceF = model.couplingF[i];
            plan.stages.push_back(shunt);
        }
    }
    return plan;
}

ChainGrid::ChainGrid(std::span<const double> f) : size_(f.size()) {
    const std::size_t padded = (size_ + kLanes - 1) / kLanes * kLanes;
    omega_.resize(padded);
    invOmega_.resize(padded);
    for (std::size_t k = 0; k < padded; ++k) {
        // The padding repeats the last frequency; its results are not used.
        omega_[k] = 2 * std::numbers::pi * (size_ > 0 ? f[std::min(k, size_ - 1)] : 1.0);
        invOmega_[k] = 1 / omega_[k];
    }
}

void chainSParameters(const ChainPlan& plan, const ChainGrid& grid, double z1, double z2,
                      std::span<SParameters> out) {
    run(SParameterJob{plan, grid, z1, z2, out.data()});
}

void chainTransmission(const ChainPlan& plan, const ChainGrid& grid, double z1, double z2,
                       std::span<std::complex<double>> s21, std::span<std::complex<double>> s11) {
    run(TransmissionJob{plan, grid, z1, z2, s21.data(), s11.data()});
}

void chainSensitivities(const ChainPlan& plan, const ChainGrid& grid, double z1, double z2,
                        ChainSensitivities& out) {
    const std::size_t n = grid.size(), stages = plan.stages.size();
    out.size = n;
    out.s21.resize(n);
    out.s11.resize(n);
    out.dLnS21dLnZ1.resize(n);
    out.dLnS21dLnZ2.resize(n);
    out.dS11dLnZ1.resize(n);
    out.dS11dLnZ2.resize(n);
    out.dLnS21.resize(stages * n);
    out.dS11.resize(stages * n);
    out.dMotional.resize(stages * n);
    std::vector<StageScratch> scratch(stages);
    run(SensitivityJob{plan, grid, z1, z2, scratch.data(), out});
}

} // namespace korvan::analysis
