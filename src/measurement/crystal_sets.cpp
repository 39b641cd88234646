#include "measurement/crystal_sets.h"

#include "numeric/number_text.h"

#include <algorithm>
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
            numeric::formatFixed(c.Rm_Ohm, 30, 3, separator)};
}

} // namespace korvan::measurement
