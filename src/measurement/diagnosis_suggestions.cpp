// What to change on a built ladder, from its diagnosis: every deviation
// that the data establish (three standard deviations) and that matters (it
// moves |S21| across the design's pass band by 0.05 dB RMS or more), the
// largest effect first, and the same in words.

#include "measurement/diagnosis_model.h"
#include "measurement/ladder_diagnosis.h"
#include "numeric/number_text.h"

#include <algorithm>
#include <cmath>

namespace korvan::measurement {

namespace detail {

namespace {

constexpr double kSignificance = 3;   // standard deviations
constexpr double kMinEffectDb = 0.02; // RMS across the design's 3 dB band
constexpr int kEffectPoints = 101;

bool established(const FittedValue& v, double deviation) {
    return v.determined && std::abs(deviation) > kSignificance * v.uncertainty;
}

} // namespace

std::vector<Suggestion> findSuggestions(const DiagnosisModel& model, const Eigen::VectorXd& x,
                                        const LadderDiagnosis& d, double lowHz, double highHz) {
    std::vector<double> f;
    for (int k = 0; k < kEffectPoints; ++k)
        f.push_back(lowHz + (highHz - lowHz) * k / (kEffectPoints - 1));
    const analysis::ChainGrid grid(f);
    analysis::ChainPlan plan = model.designPlan();
    std::vector<std::complex<double>> s21(f.size()), s11(f.size());
    const auto responseDb = [&](const Eigen::VectorXd& at) {
        model.apply(at, plan);
        analysis::chainTransmission(plan, grid, model.sourceOhm(at), model.loadOhm(at), s21, s11);
        std::vector<double> db;
        for (const auto& s : s21) db.push_back(20 * std::log10(std::abs(s)));
        return db;
    };
    const std::vector<double> built = responseDb(x);
    // How far putting this deviation right moves the response.
    const auto effect = [&](const Eigen::VectorXd& corrected) {
        const std::vector<double> db = responseDb(corrected);
        double sum = 0;
        for (std::size_t i = 0; i < db.size(); ++i) sum += (db[i] - built[i]) * (db[i] - built[i]);
        const double rms = std::sqrt(sum / static_cast<double>(db.size()));
        return std::isfinite(rms) ? rms : 0.0;
    };

    std::vector<Suggestion> out;
    const auto consider = [&](Suggestion::Kind kind, int index, std::size_t parameter) {
        Eigen::VectorXd corrected = x;
        corrected[static_cast<Eigen::Index>(parameter)] = 0;
        const double e = effect(corrected);
        if (e >= kMinEffectDb) out.push_back({kind, index, e});
    };
    const auto& design = model.design();
    if (established(d.sourceOhm, d.sourceOhm.value - design.sourceOhm))
        consider(Suggestion::Kind::SourceTermination, 0, DiagnosisModel::kSourceOhm);
    if (established(d.loadOhm, d.loadOhm.value - design.loadOhm))
        consider(Suggestion::Kind::LoadTermination, 0, DiagnosisModel::kLoadOhm);
    if (established(d.sourceStrayF, d.sourceStrayF.value))
        consider(Suggestion::Kind::SourceStray, 0, DiagnosisModel::kSourceStray);
    if (established(d.loadStrayF, d.loadStrayF.value))
        consider(Suggestion::Kind::LoadStray, 0, DiagnosisModel::kLoadStray);
    for (std::size_t i = 0; i < d.couplingF.size(); ++i)
        if (established(d.couplingF[i], d.couplingF[i].value - design.couplingF[i]))
            consider(Suggestion::Kind::Coupling, static_cast<int>(i), model.coupling(i));
    for (std::size_t i = 0; i < d.meshErrorHz.size(); ++i)
        if (established(d.meshErrorHz[i], d.meshErrorHz[i].value))
            consider(Suggestion::Kind::Mesh, static_cast<int>(i), model.mesh(i));
    if (established(d.shiftHz, d.shiftHz.value)) {
        Eigen::VectorXd corrected = x;
        for (std::size_t i = 0; i < model.poles(); ++i)
            corrected[static_cast<Eigen::Index>(model.mesh(i))] -=
                d.shiftHz.value / model.meshScaleHz();
        const double e = effect(corrected);
        if (e >= kMinEffectDb) out.push_back({Suggestion::Kind::Shift, 0, e});
    }
    std::stable_sort(out.begin(), out.end(), [](const Suggestion& a, const Suggestion& b) {
        return a.effectDb > b.effectDb;
    });
    return out;
}

} // namespace detail

namespace {

// Three significant digits for a value to aim at, one decimal for a value
// as designed.
std::string aimPf(double farad, char sep) {
    const double pF = farad * 1e12;
    const int decimals = pF >= 100 ? 0 : pF >= 10 ? 1 : 2;
    return numeric::formatFixed(pF, 12, decimals, sep) + " pF";
}
std::string designPf(double farad, char sep) {
    return numeric::formatFixed(farad * 1e12, 12, 1, sep) + " pF";
}
std::string ohm(double v, char sep) {
    return numeric::formatFixed(v, 12, 0, sep) + " Ohm";
}
std::string hz(double v, char sep) {
    return numeric::formatFixed(std::abs(v), 12, 0, sep) + " Hz";
}

std::string meshText(const LadderDiagnosis& d, int i, char sep) {
    const std::string mesh = std::to_string(i + 1);
    const double error = d.meshErrorHz[static_cast<std::size_t>(i)].value;
    const std::string how =
        "Mesh " + mesh + " resonates " + hz(error, sep) + (error < 0 ? " low" : " high");
    const double cs = d.design.arms[static_cast<std::size_t>(i)].csF;
    const auto& corrected = d.correctedTuningF[static_cast<std::size_t>(i)];
    if (cs > 0) {
        if (!corrected)
            return how + ", more than Cs" + mesh + " can take back: its crystal resonates too high";
        return how + ": " + (*corrected < cs ? "lower" : "raise") + " Cs" + mesh + " from " +
               designPf(cs, sep) + " to about " + aimPf(*corrected, sep);
    }
    if (corrected)
        return how + " and has no Cs: add one of about " + aimPf(*corrected, sep) + " in series";
    return how + " and has no Cs to lower it: use a crystal about " + hz(error, sep) +
           " lower there, or raise the other meshes by " + hz(error, sep);
}

std::string couplingText(const LadderDiagnosis& d, int i, char sep) {
    const double designed = d.design.couplingF[static_cast<std::size_t>(i)];
    const double fitted = d.couplingF[static_cast<std::size_t>(i)].value;
    const double percent = 100 * (fitted / designed - 1);
    const int decimals = std::abs(percent) >= 2 ? 0 : 1;
    return analysis::couplingName(i + 1) + " is " +
           numeric::formatFixed(std::abs(percent), 6, decimals, sep) + " % " +
           (percent < 0 ? "low" : "high") + " (" + designPf(fitted, sep) + " instead of " +
           designPf(designed, sep) + ")";
}

} // namespace

std::vector<std::string> suggestionTexts(const LadderDiagnosis& d, char sep) {
    std::vector<std::string> out;
    for (const Suggestion& s : d.suggestions) {
        switch (s.kind) {
        case Suggestion::Kind::Mesh:
            out.push_back(meshText(d, s.index, sep));
            break;
        case Suggestion::Kind::Coupling:
            out.push_back(couplingText(d, s.index, sep));
            break;
        case Suggestion::Kind::SourceTermination:
            out.push_back("The source wants " + ohm(d.design.sourceOhm, sep) +
                          "; the filter sees " + ohm(d.sourceOhm.value, sep));
            break;
        case Suggestion::Kind::LoadTermination:
            out.push_back("The load wants " + ohm(d.design.loadOhm, sep) + "; the filter sees " +
                          ohm(d.loadOhm.value, sep));
            break;
        case Suggestion::Kind::SourceStray:
        case Suggestion::Kind::LoadStray: {
            const bool source = s.kind == Suggestion::Kind::SourceStray;
            const double c = (source ? d.sourceStrayF : d.loadStrayF).value;
            out.push_back(std::string("The ") + (source ? "source" : "load") + " end carries " +
                          numeric::formatFixed(c * 1e12, 12, 1, sep) +
                          " pF of stray capacitance across its termination; it retunes mesh " +
                          std::to_string(source ? 1 : d.design.poles()));
            break;
        }
        case Suggestion::Kind::Shift:
            out.push_back("The whole filter sits " + hz(d.shiftHz.value, sep) +
                          (d.shiftHz.value < 0 ? " low" : " high") +
                          ": every mesh alike (the crystals as a set, or the analyser's "
                          "frequency reference)");
            break;
        }
    }
    return out;
}

} // namespace korvan::measurement
