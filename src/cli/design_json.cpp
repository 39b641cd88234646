#include "cli/design_json.h"

#include <string>

namespace korvan::cli {

namespace {

using json = nlohmann::ordered_json;

// The stand-ins the calculation uses for "none": a holder capacitance of 0
// is carried as 1e-30 F, a lossless crystal's Qu as 1e20.
constexpr double kNoHolder = 1e-30;
constexpr double kLosslessQu = 1e20;

json number(long double v) {
    return json(static_cast<double>(v));
}

json optionalNumber(const std::optional<double>& v) {
    return v ? json(*v) : json(nullptr);
}

const char* typeName(const DesignState& s) {
    if (s.IsCohn) return "cohn";
    if (s.IsQER) return "qer";
    return s.PBripple > 0 ? "chebyshev" : "butterworth";
}

json partsJson(const std::vector<analysis::Part>& parts) {
    json out = json::array();
    for (const auto& p : parts)
        out.push_back({{"name", p.name},
                       {"kind", analysis::kindName(p.kind)},
                       {"value", p.value},
                       {"unit", analysis::unitName(p.kind)},
                       {"count", p.count},
                       {"mesh", p.mesh ? json(*p.mesh) : json(nullptr)}});
    return out;
}

} // namespace

nlohmann::ordered_json labelBandwidthsJson(const analysis::LabelValues& bandwidthsHz) {
    json out = json::object();
    for (std::size_t i = 0; i < bandwidthsHz.size(); ++i)
        out[std::to_string(analysis::kLabelLevelsDb[i])] = optionalNumber(bandwidthsHz[i]);
    return out;
}

nlohmann::ordered_json namedDesignJson(const analysis::DesignOutcome* outcome) {
    if (!outcome) return nullptr;
    const DesignState& s = outcome->state();
    const int n = s.Poles;
    const bool noHolder = s.Cp == kNoHolder;

    json ck = json::array(), cs = json::array(), offsets = json::array();
    for (int i = 1; i < n; ++i) ck.push_back(number(s.Ck[static_cast<std::size_t>(i)]));
    for (int i = 1; i <= n; ++i) {
        const float c = s.Cs[static_cast<std::size_t>(i)];
        cs.push_back(c != 0 ? number(c) : json(nullptr));
    }
    for (const auto& offset : outcome->meshOffsetsHz()) offsets.push_back(optionalNumber(offset));

    const bool ripple = !s.IsCohn && !s.IsQER;
    return json{
        {"crystal",
         {{"Lm_H", s.Lm},
          {"Cm_F", s.Cm},
          {"fs_Hz", s.fs},
          {"fp_Hz", noHolder ? json(nullptr) : json(s.fp)},
          {"Cp_F", noHolder ? 0.0 : s.Cp},
          {"Rm_Ohm", outcome->rmOhm()},
          {"Qu", s.Qu >= kLosslessQu ? json(nullptr) : json(s.Qu)}}},
        {"filter",
         {{"type", typeName(s)},
          {"poles", n},
          {"ripple_dB", ripple ? json(s.PBripple) : json(nullptr)},
          {"B3dB_Hz", number(s.B3db)},
          {"Bmax_Hz", number(s.Bmax)},
          {"fm_Hz", s.fm},
          {"fMesh_Hz", number(s.fMesh)},
          {"Zterm_Ohm", number(s.Zterm)}}},
        {"ladder", {{"Ck_F", ck}, {"Cs_F", cs}, {"offsets_Hz", offsets}}},
        {"response",
         {{"IL_dB", s.ILmin},
          // Without a holder capacitance the attenuation keeps growing: no figure.
          {"ult_attn_dB", s.Cp <= 1e-20 ? json(nullptr) : number(s.UltAttn)},
          {"bandwidths_Hz", labelBandwidthsJson(outcome->labelBandwidthsHz())}}},
        {"parts", partsJson(outcome->parts())},
    };
}

} // namespace korvan::cli
