#include "measurement/crystal_report.h"

#include <charconv>

namespace korvan::measurement {
namespace {

std::string fixed(double value, int decimals) {
    char text[64];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
    return std::string(text, end);
}

std::string general(double value, int digits) {
    char text[64];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits).ptr;
    return std::string(text, end);
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

} // namespace

std::string crystalsCsv(const Batch& batch, const std::vector<CrystalSet>& sets) {
    std::vector<std::size_t> setOf(batch.crystals.size(), 0);
    for (std::size_t s = 0; s < sets.size(); ++s)
        for (std::size_t m : sets[s].members)
            if (m < setOf.size()) setOf[m] = s + 1;
    std::string out = "file,fs_Hz,fp_Hz,Lm_H,Cm_F,Rm_Ohm,Cp_F,Qu,residual_dB,set,warnings\n";
    for (std::size_t i = 0; i < batch.crystals.size(); ++i) {
        const auto& c = batch.crystals[i];
        const auto& p = c.fit.fitted;
        std::string warnings;
        for (const auto& w : c.fit.warnings) warnings += (warnings.empty() ? "" : "; ") + w;
        out += csvField(c.file) + ',' + fixed(p.fs_Hz(), 3) + ',' + fixed(p.fp_Hz(), 3) + ',' +
               general(p.Lm_H, 9) + ',' + general(p.Cm_F, 9) + ',' + general(p.Rm_Ohm, 6) + ',' +
               general(p.Cp_F, 6) + ',' + fixed(p.Qu(), 0) + ',' +
               fixed(c.fit.quality.residualDb, 4) + ',' +
               (setOf[i] ? std::to_string(setOf[i]) : std::string()) + ',' + csvField(warnings) +
               '\n';
    }
    return out;
}

} // namespace korvan::measurement
