#pragma once
// Which part of a built ladder is off, from its measurement: the design's
// own ladder model is fitted to the de-embedded S21 (and S11 where
// measured) by weighted least squares. Free are both terminations (a
// resistance with a stray capacitance across it), every coupling capacitor,
// every mesh's tuning and a phase offset of each trace; the crystals are
// taken as measured. Each value comes with its uncertainty from the fit; a
// value the data leave open is said to be so. Plain data in and out, so that
// the command line and a window drive the same code.

#include "analysis/ladder_chain.h"
#include "analysis/ladder_model.h"
#include "measurement/deembedding.h"

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvan::measurement {

// A measurement that cannot be diagnosed against the ladder (it misses the
// pass band, shows another pole count, ...): the message says why.
class DiagnosisError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct DiagnosisOptions {
    bool useReflection = true; // fit S11 too where it was measured
    int maxEvaluations = 600;  // of the model, by the least-squares search
    // Called after each evaluation with the count so far and the limit;
    // returning false stops the fit, which then reports its best state.
    std::function<bool(int done, int limit)> progress;
};

struct FittedValue {
    double value = 0;
    double uncertainty = 0; // one standard deviation, from the fit
    bool determined = true; // false: the data leave it open (the prior decides)
};

// A change that would bring the filter closer to its design.
struct Suggestion {
    enum class Kind {
        Mesh,
        Coupling,
        SourceTermination,
        LoadTermination,
        SourceStray,
        LoadStray,
        Shift
    };
    Kind kind = Kind::Mesh;
    int index = 0;       // mesh or coupling capacitor, 0-based
    double effectDb = 0; // RMS change of |S21| across the design's 3 dB band
};

struct LadderDiagnosis {
    analysis::LadderModel design;
    double designCentreHz = 0;
    std::vector<double> designMeshHz; // each mesh's resonance as designed

    FittedValue sourceOhm, loadOhm, sourceStrayF, loadStrayF;
    std::vector<FittedValue> couplingF;
    // The tuning capacitor as built; nullopt where the design has none, or
    // where the mesh resonates too low for any capacitor to explain.
    std::vector<std::optional<FittedValue>> tuningF;
    // The tuning capacitor that would put each mesh right; nullopt where
    // none can (a mesh without one that resonates high) or where a mesh
    // without one does not need one.
    std::vector<std::optional<double>> correctedTuningF;
    // Each mesh's resonance as built less as designed (the coupling
    // capacitors as designed in both, so that a wrong Ck shows as a wrong
    // Ck and not as detuned meshes).
    std::vector<FittedValue> meshErrorHz;
    // The common part of the mesh errors (their median): the filter's shift
    // as a whole.
    FittedValue shiftHz;
    double s21PhaseOffsetDeg = 0, s11PhaseOffsetDeg = 0;

    // RMS misfit of |S21| in dB over the points within 30 dB of the
    // measured insertion loss that lie 20 dB above the analyser's floor.
    double residualDb = 0;
    std::size_t pointsFitted = 0;
    bool reflectionFitted = false;
    bool converged = false;
    int evaluations = 0;
    std::string status;                  // how the search ended, in words
    std::vector<Suggestion> suggestions; // largest effect first
    std::vector<std::string> notes;      // what the reader should know

    // The ladder as fitted, with the strays as its first and last stage.
    analysis::ChainPlan builtChain;
    // The fitted model's S21 and S11 at the given frequencies, between the
    // fitted terminations.
    struct Response {
        std::vector<std::complex<double>> s21, s11;
    };
    Response builtResponse(const std::vector<double>& frequencyHz) const;
};

// Throws DiagnosisError when the measurement cannot be set against the
// ladder: it misses the pass band, has too few points in it, shows no pass
// band of its own or another pole count. What diagnoseLadder checks first;
// cheap (a few ms), for refusing an overlay before any fit.
void checkMeasurement(const analysis::LadderModel& design, double designCentreHz,
                      const FilterMeasurement& measurement);

// `designCentreHz`: the centre of the design's 3 dB band. Throws
// DiagnosisError when the measurement cannot be diagnosed.
LadderDiagnosis diagnoseLadder(const analysis::LadderModel& design, double designCentreHz,
                               const FilterMeasurement& measurement,
                               const DiagnosisOptions& options = {});

// The suggestions in words ("Mesh 3 resonates 85 Hz low: lower Cs3 from
// 147.7 pF to about 139 pF"), in their order.
std::vector<std::string> suggestionTexts(const LadderDiagnosis& diagnosis, char separator = '.');

} // namespace korvan::measurement
