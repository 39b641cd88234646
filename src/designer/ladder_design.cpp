#include "designer/ladder_design.h"

#include "designer/crystal_reactance.h"
#include "designer/fixed_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace korvan::designer {

namespace {

std::string hz(double value) {
    return fixedText(value, 1) + " Hz";
}

void validate(const DesignRequest& r) {
    const int n = static_cast<int>(r.crystals.size());
    if (n < 2 || n > 14)
        throw DesignError("a ladder needs 2 to 14 crystals, not " + std::to_string(n));
    if (!std::isfinite(r.bandwidthHz) || !(r.bandwidthHz > 0))
        throw DesignError("the bandwidth must be above 0 Hz");
    for (const auto& c : r.crystals)
        if (const auto problem = crystalProblem(c)) throw DesignError(*problem);
}

SynthesisInput inputFor(const prototype::CoupledResonatorCoefficients& q,
                        const std::vector<analysis::Crystal>& xs, double bandwidthHz,
                        int reference) {
    return {xs, &q, bandwidthHz, reference};
}

int referenceIndex(const DesignRequest& r, const std::vector<analysis::Crystal>& xs,
                   const prototype::CoupledResonatorCoefficients& lossless) {
    const int n = static_cast<int>(xs.size());
    switch (r.reference.kind) {
    case ReferenceRule::Kind::Position:
        if (r.reference.position < 1 || r.reference.position > n)
            throw DesignError("the reference position must be 1 to " + std::to_string(n) +
                              ", not " + std::to_string(r.reference.position));
        return r.reference.position - 1;
    case ReferenceRule::Kind::Middle:
        return (n - 1) / 2;
    case ReferenceRule::Kind::Lowest:
        break;
    }
    double lowest = seriesResonanceHz(xs.front());
    for (const auto& x : xs) lowest = std::min(lowest, seriesResonanceHz(x));
    std::vector<int> tied;
    for (int i = 0; i < n; ++i)
        if (seriesResonanceHz(xs[static_cast<std::size_t>(i)]) <= lowest * (1 + 1e-12))
            tied.push_back(i);
    // Equal crystals: the one whose mesh the couplings pull furthest, so
    // that every other mesh can be tuned up to it.
    std::optional<int> tooWide;
    for (int i : tied) {
        const auto e =
            synthesiseShape(r.shape, lossless, r.compensation, xs, r.bandwidthHz, i).elements;
        if (e && e->unreachable().empty()) return i;
        if (!e && !tooWide) tooWide = i;
    }
    // None works: where the bandwidth is the reason, say so.
    return tooWide.value_or(tied.front());
}

// The mesh frequency of position i with only its coupling capacitors.
double unpulledMeshHz(const LadderElements& e, const analysis::Crystal& c, int i) {
    return loopResonanceHz(c, 1 / e.couplingElastance(i));
}

// The reference mesh's resonance.
double meshFrequencyHz(const LadderElements& e, const std::vector<analysis::Crystal>& xs, int ref) {
    const auto i = static_cast<std::size_t>(ref);
    return loopResonanceHz(xs[i], 1 / e.loopElastance[i]);
}

[[noreturn]] void refuseUnreachable(const DesignRequest& r,
                                    const std::vector<analysis::Crystal>& xs,
                                    const LadderElements& e, int ref, int bad) {
    const double meshHz = meshFrequencyHz(e, xs, ref);
    const double ownHz = unpulledMeshHz(e, xs[static_cast<std::size_t>(bad)], bad);
    const std::string name = r.crystals[static_cast<std::size_t>(bad)].name;
    const std::string why = "without a capacitor the mesh of crystal '" + name + "' at position " +
                            std::to_string(bad + 1) + " already resonates at " + hz(ownHz) + ", " +
                            hz(ownHz - meshHz) + " above the mesh frequency " + hz(meshHz) +
                            " of position " + std::to_string(ref + 1) +
                            " (a series capacitor only raises a mesh)";
    if (r.reference.kind == ReferenceRule::Kind::Position)
        throw DesignError("position " + std::to_string(ref + 1) +
                          " cannot be the mesh without a capacitor: " + why);
    throw DesignError("crystal '" + name + "' cannot reach the mesh frequency: " + why +
                      "; place it elsewhere or choose another reference");
}

// Meshes just above the mesh frequency go without a capacitor (none can
// lower them), and so do meshes just below it: a Cs of many nanofarads
// for a few hertz would be no part anyone fits, nor one a trimmer tunes.
void acceptNearMeshes(LadderElements& e, const std::vector<analysis::Crystal>& xs, int ref,
                      double bandwidthHz) {
    const double meshHz = meshFrequencyHz(e, xs, ref);
    for (std::size_t i = 0; i < xs.size(); ++i) {
        if (static_cast<int>(i) == ref || e.tuningElastance[i] == 0) continue;
        const double ownHz = unpulledMeshHz(e, xs[i], static_cast<int>(i));
        if (std::fabs(ownHz - meshHz) <= kMeshTolerance * bandwidthHz) e.tuningElastance[i] = 0;
    }
}

// The widest bandwidth for which the reference mesh can go without a
// capacitor (the synthesis finds a band position), by bisection.
double widestBandwidthHz(const prototype::CoupledResonatorCoefficients& q,
                         const std::vector<analysis::Crystal>& xs, int ref, double above) {
    double lo = 0, hi = above;
    for (int i = 0; i < 60 && hi - lo > 1e-4 * hi; ++i) {
        const double mid = 0.5 * (lo + hi);
        if (synthesise(inputFor(q, xs, mid, ref), Linearisation::BandEdge))
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}

} // namespace

std::string referenceText(const ReferenceRule& rule) {
    switch (rule.kind) {
    case ReferenceRule::Kind::Lowest:
        return "lowest";
    case ReferenceRule::Kind::Middle:
        return "middle";
    case ReferenceRule::Kind::Position:
        break;
    }
    return std::to_string(rule.position);
}

std::optional<double> bandCentreHz(const analysis::ExactFigures& figures) {
    const auto& l = figures.levels[0];
    if (!l.lowHz || !l.highHz) return std::nullopt;
    return 0.5 * (*l.lowHz + *l.highHz);
}

analysis::LadderModel LadderDesign::ladder(bool withLoss) const {
    std::vector<analysis::Crystal> xs;
    for (const auto& p : positions) xs.push_back(p.crystal.model);
    return elements.ladder(xs, withLoss);
}

LadderDesign designLadder(const DesignRequest& r) {
    validate(r);
    const std::vector<analysis::Crystal> xs = models(r.crystals);
    const int n = static_cast<int>(xs.size());
    const auto lossless = shapeCoefficients(r.shape, n);
    const int ref = referenceIndex(r, xs, lossless);
    const double wanted = r.bandwidthHz;
    const bool lossy = r.compensation != Compensation::None;

    LadderDesign out;
    out.compensation = r.compensation;
    out.shape = r.shape;
    out.wantedBandwidthHz = wanted;
    out.referencePosition = ref + 1;

    // Secant steps on the design bandwidth; the first design is usually
    // within a few parts in a thousand when lossless.
    double designBw = wanted, prevDesignBw = 0, prevBw = 0;
    ShapedSynthesis synthesised;
    std::optional<LadderElements> e;
    std::optional<analysis::ExactFigures> figures;
    for (int step = 1;; ++step) {
        synthesised = synthesiseShape(r.shape, lossless, r.compensation, xs, designBw, ref);
        e = synthesised.elements;
        if (!e) {
            const double widest = widestBandwidthHz(lossless, xs, ref, designBw);
            if (step == 1)
                throw DesignError("a 3 dB bandwidth of " + hz(wanted) +
                                  " is wider than these crystals allow with position " +
                                  std::to_string(ref + 1) + " as the mesh without a capacitor" +
                                  " (at most about " + hz(widest) + ")");
            throw DesignError("with the crystals' Rm the 3 dB bandwidth cannot reach " +
                              hz(wanted) + ": the lossless design would have to be wider than " +
                              "the crystals allow (about " + hz(widest) +
                              "); ask for less or leave the loss uncompensated");
        }
        acceptNearMeshes(*e, xs, ref, wanted);
        if (const auto bad = e->unreachable(); !bad.empty())
            refuseUnreachable(r, xs, *e, ref, bad.front());
        figures = analysis::exactFigures(e->ladder(xs, lossy), e->designHz);
        const auto bw = figures ? figures->levels[0].bandwidthHz() : std::nullopt;
        if (!bw)
            throw DesignError("the designed ladder shows no 3 dB band near " + hz(e->designHz) +
                              (lossy ? " with the crystals' Rm" : ""));
        out.refineSteps = step;
        out.designBandwidthHz = designBw;
        if (std::fabs(*bw - wanted) <= kRefineTolerance * wanted) break;
        if (step >= kMaxRefineSteps) {
            if (std::fabs(*bw - wanted) <= kPromisedBandwidth * wanted) break;
            throw DesignError("the refinement did not reach the 3 dB bandwidth " + hz(wanted) +
                              " (" + hz(*bw) + " after " + std::to_string(step) +
                              " exact analyses)" + (lossy ? " with the crystals' Rm" : ""));
        }
        double next = designBw * wanted / *bw;
        if (step > 1 && *bw != prevBw)
            next = designBw + (wanted - *bw) * (designBw - prevDesignBw) / (*bw - prevBw);
        next = std::clamp(next, 0.5 * designBw, 2 * designBw);
        prevDesignBw = designBw;
        prevBw = *bw;
        designBw = next;
    }

    out.elements = *e;
    out.coefficients = synthesised.coefficients;
    out.predistortion = synthesised.predistortion;
    out.aimed = *figures;
    out.designHz = *bandCentreHz(*figures);
    out.sourceOhm = e->sourceOhm;
    out.loadOhm = e->loadOhm;
    out.couplingF = e->couplingF;
    if (lossy) {
        out.asBuilt = *figures;
    } else if (const auto built = analysis::exactFigures(e->ladder(xs, true), e->designHz)) {
        out.asBuilt = *built;
    } else {
        throw DesignError("the designed ladder with the crystals' Rm has no finite response");
    }
    for (std::size_t i = 0; i < xs.size(); ++i) {
        PositionDesign p;
        p.crystal = r.crystals[i];
        p.slopeH = e->slopeH[i];
        p.meshHz = loopResonanceHz(xs[i], 1 / e->loopElastance[i]);
        if (e->tuningElastance[i] > 0) {
            p.csF = 1 / e->tuningElastance[i];
            p.meshOffsetHz = p.meshHz - unpulledMeshHz(*e, xs[i], static_cast<int>(i));
        } else {
            // Without a Cs the loop is the coupling capacitors alone.
            p.meshHz = unpulledMeshHz(*e, xs[i], static_cast<int>(i));
            // Rounding leaves the reference a hair off its own frequency.
            const double off = p.meshHz - meshFrequencyHz(*e, xs, ref);
            if (static_cast<int>(i) != ref && std::fabs(off) > 1e-9 * p.meshHz) p.leftOffHz = off;
        }
        out.positions.push_back(std::move(p));
    }
    if (auto slope = synthesise(inputFor(lossless, xs, wanted, ref), Linearisation::Slope))
        out.slope = std::move(*slope);
    return out;
}

std::optional<std::string> predistortionNote(const LadderDesign& d, char separator) {
    const auto& band = d.asBuilt.levels[0];
    if (!d.predistortion || !band.lowHz || !band.highHz || !d.asBuilt.rippleDb ||
        d.positions.empty())
        return std::nullopt;
    const double familyRipple = d.shape.hasRipple() ? d.shape.rippleDb : 0;
    if (*d.asBuilt.rippleDb <= familyRipple + kPromisedRippleDb) return std::nullopt;
    double rise = 0;
    for (const auto& p : d.positions)
        rise += seriesResistanceOhm(p.crystal.model, *band.highHz) /
                    seriesResistanceOhm(p.crystal.model, *band.lowHz) -
                1;
    rise /= static_cast<double>(d.positions.size());
    return "The pass band shows " + fixedText(*d.asBuilt.rippleDb, 2, separator) +
           " dB of ripple where the family has " + fixedText(familyRipple, 2, separator) +
           " dB: predistortion evens out a loss that is the same across the band, and the "
           "crystals' loss rises by " +
           fixedText(100 * rise, 0, separator) +
           " % from the lower to the upper 3 dB edge (their holder capacitance raises it "
           "towards fp), which tilts the pass band.";
}

} // namespace korvan::designer
