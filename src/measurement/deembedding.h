#pragma once
// A built filter measured through a fixture: what sits between each analyser
// port and the filter's terminal is taken out, so that what remains is the
// filter's own response at its terminals, referred to the terminations the
// fixture presents to it. The analyser's trace noise is carried along as
// weights, so that a fit trusts each point as much as the fixture lets it.

#include "analysis/tolerance_figures.h"
#include "measurement/touchstone_reader.h"

#include <array>
#include <complex>
#include <optional>
#include <string>
#include <vector>

namespace korvan::measurement {

// One port's fixture, seen from the analyser towards the filter.
struct PortFixture {
    enum class Kind {
        Direct,        // the filter at the analyser's port
        SeriesPad,     // a resistor in series
        Transformer,   // ideal, turns ratio analyser : filter = 1 : N
        LowPassMatch,  // the L-C match calculator's low-pass section: L in series from
                       // the analyser, C across the filter's side
        HighPassMatch, // its high-pass section: C in series, L across the filter's side
    };
    Kind kind = Kind::Direct;
    double padOhm = 0;
    double turnsRatio = 1; // the filter sees N^2 times the port's resistance
    double inductanceH = 0;
    double capacitanceF = 0;
};

struct Fixture {
    PortFixture port1, port2; // port 2 mirrored: from the filter towards the analyser
};

inline constexpr double kMaxPadOhm = 100e3;

// Why the fixture cannot be taken out ("the pad at port 1 must lie between 0
// and 100 kOhm", ...), or nullopt.
std::optional<std::string> fixtureProblem(const Fixture& fixture);

// The analyser's noise as the weights assume it, one standard deviation per
// point (the additive floor of S21 is read off the trace itself).
struct AnalyserNoise {
    double magnitudeDb = 0.05;
    double phaseDeg = 0.5;
    // Absolute error of a reflection after calibration (the residual
    // directivity, about -40 dB).
    double reflectionFloor = 0.01;
};

using ChainMatrix = std::array<std::complex<double>, 4>; // A, B, C, D

struct FilterMeasurement {
    std::vector<double> frequencyHz;
    // Referred to the terminations the fixture presents (power waves).
    std::vector<std::complex<double>> s21, s11;
    // 1 / standard deviation of ln S21's real part (nepers) and imaginary
    // part (radians), and of each part of S11; 0 where a point says nothing.
    std::vector<double> s21MagnitudeWeight, s21PhaseWeight, s11Weight;
    bool s11Measured = false;
    double sourceOhm = 0, loadOhm = 0; // the terminations the fixture presents
    // The additive noise floor of the analyser's S21 (per part), read off
    // the trace where it is lowest, and at each point relative to the trace
    // (the same through any fixture).
    double s21Floor = 0;
    std::vector<double> s21FloorShare;
    // The filter's own chain matrix at every point, where the file is a full
    // two-port (S12 and S22 measured too); empty otherwise.
    std::vector<ChainMatrix> chain;
};

// Takes the fixture out of a two-port measurement. The fixture must pass
// fixtureProblem(); `data` must be a two-port.
FilterMeasurement deembed(const TouchstoneData& data, const Fixture& fixture,
                          const AnalyserNoise& noise = {});

// The filter's S11, S21, S12, S22 at every point, referred to z1Ohm and
// z2Ohm: a full two-port only (chain not empty).
std::vector<std::array<std::complex<double>, 4>> renormalised(const FilterMeasurement& m,
                                                              double z1Ohm, double z2Ohm);

// IL, ripple, the 3, 6, 20 and 60 dB bandwidths and the centre of the
// measured |S21| (its samples, interpolated between them); nullopt when
// the 3 dB band does not lie inside the sweep.
std::optional<analysis::ResponseFigures> measuredFigures(const FilterMeasurement& m,
                                                         double nominalCentreHz);

} // namespace korvan::measurement
