#include "cli/design_json.h"

#include "analysis/ladder_model.h"
#include "cli/json_report.h"
#include "cli/parts_list.h"

#include <algorithm>

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

const char* typeName(const DesignState& s) {
    if (s.IsCohn) return "cohn";
    if (s.IsQER) return "qer";
    return s.PBripple > 0 ? "chebyshev" : "butterworth";
}

// The window's offsets are per tuning label (mesh 1, then meshes 3, 4, ...);
// here they go to their meshes and to the mirror meshes, null where a mesh
// has no offset shown.
json meshOffsets(const DesignState& s, const json& shown) {
    const int n = s.Poles;
    json out = json::array();
    for (int mesh = 1; mesh <= n; ++mesh) {
        const int first = std::min(mesh, n + 1 - mesh); // the mesh in the first half
        int slot = 0;
        if (first == 1)
            slot = 1;
        else if (first >= 3 || n == 2)
            slot = first - 1;
        const bool has = slot >= 1 && static_cast<std::size_t>(slot) <= shown.size();
        out.push_back(has ? shown[static_cast<std::size_t>(slot - 1)] : json(nullptr));
    }
    return out;
}

json partsJson(const std::vector<Part>& parts) {
    json out = json::array();
    for (const auto& p : parts)
        out.push_back({{"name", p.name},
                       {"kind", kindName(p.kind)},
                       {"value", p.value},
                       {"unit", unitName(p.kind)},
                       {"count", p.count},
                       {"mesh", p.mesh ? json(*p.mesh) : json(nullptr)}});
    return out;
}

} // namespace

nlohmann::ordered_json namedDesignJson(const MainForm& form) {
    if (!form.lastCalculationComplete()) return nullptr;
    const DesignState& s = form.state();
    const auto& f = form.form();
    const int n = s.Poles;
    const auto rm = displayedNumber(f.text("AEdit8"), form.separator()).value_or(0);
    const bool noHolder = s.Cp == kNoHolder;

    // The state's own offsets and bandwidths, read from what the window shows.
    const json state = designStateJson(form);

    json ck = json::array(), cs = json::array();
    for (int i = 1; i < n; ++i) ck.push_back(number(s.Ck[static_cast<std::size_t>(i)]));
    for (int i = 1; i <= n; ++i) {
        const float c = s.Cs[static_cast<std::size_t>(i)];
        cs.push_back(c != 0 ? number(c) : json(nullptr));
    }

    const bool ripple = !s.IsCohn && !s.IsQER;
    return json{
        {"crystal",
         {{"Lm_H", s.Lm},
          {"Cm_F", s.Cm},
          {"fs_Hz", s.fs},
          {"fp_Hz", noHolder ? json(nullptr) : json(s.fp)},
          {"Cp_F", noHolder ? 0.0 : s.Cp},
          {"Rm_Ohm", number(rm)},
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
        {"ladder", {{"Ck_F", ck}, {"Cs_F", cs}, {"offsets_Hz", meshOffsets(s, state["offsets"])}}},
        {"response",
         {{"IL_dB", s.ILmin},
          // Without a holder capacitance the attenuation keeps growing: no figure.
          {"ult_attn_dB", s.Cp <= 1e-20 ? json(nullptr) : number(s.UltAttn)},
          {"bandwidths_Hz", state["bandwidths"]}}},
        {"parts",
         partsJson(partsList(analysis::ladderFromDesign(s, static_cast<double>(rm)), s.fs))},
    };
}

} // namespace korvan::cli
