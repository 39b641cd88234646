#include "measurement/crystal_sets.h"

#include "model/design_state.h"
#include "numeric/number_text.h"
#include "synthesis/coupling.h"
#include "synthesis/termination.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <numeric>

namespace korvan::measurement {

std::vector<CrystalSet> matchSets(std::span<const double> fsHz, std::size_t size) {
    std::vector<CrystalSet> sets;
    if (size == 0) return sets;
    std::vector<std::size_t> pool(fsHz.size());
    std::iota(pool.begin(), pool.end(), std::size_t{0});
    std::stable_sort(pool.begin(), pool.end(),
                     [&](std::size_t a, std::size_t b) { return fsHz[a] < fsHz[b]; });
    while (pool.size() >= size) {
        std::size_t best = 0;
        double bestSpread = fsHz[pool[size - 1]] - fsHz[pool[0]];
        for (std::size_t i = 1; i + size <= pool.size(); ++i) {
            const double spread = fsHz[pool[i + size - 1]] - fsHz[pool[i]];
            if (spread < bestSpread) best = i, bestSpread = spread;
        }
        CrystalSet set;
        set.members.assign(pool.begin() + static_cast<std::ptrdiff_t>(best),
                           pool.begin() + static_cast<std::ptrdiff_t>(best + size));
        set.spreadHz = bestSpread;
        pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(best),
                   pool.begin() + static_cast<std::ptrdiff_t>(best + size));
        sets.push_back(std::move(set));
    }
    return sets;
}

double cohnMaximumBandwidthHz(const CrystalParameters& crystal, std::size_t poles) {
    DesignState design;
    design.IsCohn = true;
    design.Poles = static_cast<int>(poles);
    const long double D = static_cast<long double>(crystal.fp_Hz()) - crystal.fs_Hz();
    return static_cast<double>(
        synthesis::maximumBandwidth(synthesis::equalCoupling(design), D, true));
}

namespace {

std::string hertz(double value) {
    char text[48];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1).ptr;
    return std::string(text, end) + " Hz";
}

double median(std::vector<double> values) {
    const std::size_t half = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(half),
                     values.end());
    const double upper = values[half];
    if (values.size() % 2) return upper;
    return (*std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(half)) +
            upper) /
           2;
}

} // namespace

void judgeSets(std::vector<CrystalSet>& sets, const std::vector<MeasuredCrystal>& crystals,
               std::optional<double> bandwidthHz) {
    for (auto& set : sets) {
        set.outliers.clear();
        set.warnings.clear();
        std::vector<CrystalParameters> members;
        std::vector<double> fs;
        for (std::size_t m : set.members) {
            members.push_back(crystals.at(m).fit.fitted);
            fs.push_back(members.back().fs_Hz());
        }
        if (members.empty()) continue;
        const std::string poles = std::to_string(members.size());
        std::string reference;
        if (bandwidthHz) {
            set.referenceBandwidthHz = *bandwidthHz;
            reference = "the " + hertz(*bandwidthHz) + " asked";
        } else {
            set.referenceBandwidthHz = cohnMaximumBandwidthHz(meanCrystal(members), members.size());
            reference = "the " + hertz(set.referenceBandwidthHz) +
                        " these crystals allow (a Cohn ladder of " + poles + ")";
        }
        const double b = set.referenceBandwidthHz;
        if (!(b > 0) || !std::isfinite(b))
            set.warnings.push_back("these crystals allow no bandwidth (fp at or below fs)");
        else if (set.spreadHz > b / 10)
            set.warnings.push_back("spread " + hertz(set.spreadHz) + " is more than a tenth of " +
                                   reference);

        const double centre = median(fs);
        std::vector<double> deviations;
        for (double f : fs) deviations.push_back(std::abs(f - centre));
        const double limit = std::max(5 * 1.4826 * median(deviations), b / 100);
        for (std::size_t i = 0; i < fs.size(); ++i)
            if (std::abs(fs[i] - centre) > limit && std::isfinite(limit)) {
                set.outliers.push_back(set.members[i]);
                set.warnings.push_back("outlier " + crystals[set.members[i]].file + ": fs " +
                                       hertz(fs[i] - centre) + " from the set's median");
            }
    }
}

CrystalParameters meanCrystal(std::span<const CrystalParameters> crystals) {
    if (crystals.empty()) return {};
    double lm = 0, fs = 0, rm = 0, cp = 0;
    for (const auto& c : crystals) {
        lm += c.Lm_H;
        fs += c.fs_Hz();
        rm += c.Rm_Ohm;
        cp += c.Cp_F;
    }
    const double n = static_cast<double>(crystals.size());
    lm /= n, fs /= n, rm /= n, cp /= n;
    const double w = 2 * std::numbers::pi * fs;
    return {lm, 1 / (w * w * lm), rm, cp};
}

namespace {

// About seven significant digits, never an exponent (the field takes none).
std::string fieldText(double value, char separator) {
    const int magnitude = value > 0 ? static_cast<int>(std::floor(std::log10(value))) : 0;
    const int decimals = std::clamp(6 - magnitude, 0, 12);
    return numeric::formatFixed(value, 30, decimals, separator);
}

} // namespace

CrystalFieldTexts crystalFieldTexts(const CrystalParameters& c, char separator) {
    return {fieldText(c.Lm_H * 1e3, separator),
            numeric::formatFixed(c.fs_Hz() / 1e3, 30, 4, separator),
            numeric::formatFixed(c.Cp_F * 1e12, 30, 4, separator),
            numeric::formatFixed(c.Rm_Ohm, 30, 3, separator),
            {}};
}

} // namespace korvan::measurement
