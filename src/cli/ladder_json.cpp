#include "cli/ladder_json.h"

#include <cmath>
#include <fstream>
#include <sstream>

namespace korvan::cli {

namespace {

using json = nlohmann::json;

const json& member(const json& object, const char* key, const std::string& where) {
    if (!object.is_object() || !object.contains(key))
        throw LadderJsonError(where + " has no \"" + key + "\"");
    return object.at(key);
}

// A finite number; above 0 unless `zeroAllowed`.
double number(const json& object, const char* key, const std::string& where,
              bool zeroAllowed = false) {
    const json& v = member(object, key, where);
    if (!v.is_number()) throw LadderJsonError(where + ": \"" + key + "\" is not a number");
    const double x = v.get<double>();
    if (!std::isfinite(x) || x < 0 || (x == 0 && !zeroAllowed))
        throw LadderJsonError(where + ": \"" + key + "\" must be " +
                              (zeroAllowed ? "0 or above" : "above 0"));
    return x;
}

std::vector<double> capacitors(const json& list, const std::string& where, bool nullAllowed) {
    if (!list.is_array()) throw LadderJsonError(where + " is not a list");
    std::vector<double> out;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const json& v = list[i];
        const std::string at = where + "[" + std::to_string(i) + "]";
        if (v.is_null() && nullAllowed) {
            out.push_back(0);
            continue;
        }
        if (!v.is_number()) throw LadderJsonError(at + " is not a number");
        const double x = v.get<double>();
        if (!std::isfinite(x) || x <= 0) throw LadderJsonError(at + " must be above 0");
        out.push_back(x);
    }
    return out;
}

void checkPoles(std::size_t n) {
    if (n < 2 || n > static_cast<std::size_t>(kMaxPoles))
        throw LadderJsonError("the ladder has " + std::to_string(n) + " positions; 2 to " +
                              std::to_string(kMaxPoles) + " are read");
}

LadderFile fromDesigner(const json& j) {
    LadderFile out;
    out.kind = "ladder designer";
    out.centreHz = number(j, "design_Hz", "the ladder");
    out.ladder.sourceOhm = number(j, "source_Ohm", "the ladder");
    out.ladder.loadOhm = number(j, "load_Ohm", "the ladder");
    const json& positions = member(j, "positions", "the ladder");
    if (!positions.is_array()) throw LadderJsonError("\"positions\" is not a list");
    checkPoles(positions.size());
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const json& p = positions[i];
        const std::string where = "position " + std::to_string(i + 1);
        analysis::Crystal x{number(p, "Lm_H", where), number(p, "Cm_F", where),
                            number(p, "Rm_Ohm", where, true), number(p, "Cp_F", where, true)};
        analysis::SeriesArm arm;
        arm.crystals.push_back(x);
        const json& cs = member(p, "Cs_F", where);
        if (!cs.is_null()) arm.csF = number(p, "Cs_F", where);
        out.ladder.arms.push_back(arm);
    }
    out.ladder.couplingF = capacitors(member(j, "Ck_F", "the ladder"), "\"Ck_F\"", false);
    return out;
}

LadderFile fromMainDesign(const json& j) {
    const json& d = j.at("design");
    if (d.is_null())
        throw LadderJsonError("the file holds no design: its calculation did not run to its end");
    const json& crystal = member(d, "crystal", "the design");
    const json& filter = member(d, "filter", "the design");
    const json& ladder = member(d, "ladder", "the design");
    LadderFile out;
    out.kind = "main design";
    out.centreHz = number(filter, "fm_Hz", "the filter");
    out.ladder.sourceOhm = out.ladder.loadOhm = number(filter, "Zterm_Ohm", "the filter");
    const json& poles = member(filter, "poles", "the filter");
    if (!poles.is_number_integer()) throw LadderJsonError("\"poles\" is not a whole number");
    const auto n = poles.get<long long>();
    checkPoles(n > 0 ? static_cast<std::size_t>(n) : 0);
    const json& type = member(filter, "type", "the filter");
    const bool qer = type.is_string() && type.get<std::string>() == "qer";
    const analysis::Crystal x{number(crystal, "Lm_H", "the crystal"),
                              number(crystal, "Cm_F", "the crystal"),
                              number(crystal, "Rm_Ohm", "the crystal", true),
                              number(crystal, "Cp_F", "the crystal", true)};
    const std::vector<double> cs =
        capacitors(member(ladder, "Cs_F", "the ladder"), "\"Cs_F\"", true);
    if (cs.size() != static_cast<std::size_t>(n))
        throw LadderJsonError("\"Cs_F\" holds " + std::to_string(cs.size()) + " values for " +
                              std::to_string(n) + " poles");
    for (long long i = 0; i < n; ++i) {
        analysis::SeriesArm arm;
        arm.crystals.assign(qer && (i == 0 || i == n - 1) ? 2 : 1, x);
        arm.csF = cs[static_cast<std::size_t>(i)];
        out.ladder.arms.push_back(arm);
    }
    out.ladder.couplingF = capacitors(member(ladder, "Ck_F", "the ladder"), "\"Ck_F\"", false);
    return out;
}

} // namespace

LadderFile ladderFromJson(const json& j) {
    if (!j.is_object()) throw LadderJsonError("the file holds no JSON object");
    LadderFile out;
    if (j.contains("positions"))
        out = fromDesigner(j);
    else if (j.contains("design"))
        out = fromMainDesign(j);
    else
        throw LadderJsonError("neither a ladder (\"positions\") nor a design (\"design\") in it");
    if (out.ladder.couplingF.size() + 1 != out.ladder.arms.size())
        throw LadderJsonError("\"Ck_F\" holds " + std::to_string(out.ladder.couplingF.size()) +
                              " values for " + std::to_string(out.ladder.arms.size()) +
                              " positions");
    return out;
}

LadderFile readLadderJson(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        throw LadderJsonError(std::filesystem::exists(path, ec) ? "is not a plain file"
                                                                : "does not exist");
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) throw LadderJsonError("cannot be read: " + ec.message());
    if (size > kMaxLadderJsonBytes)
        throw LadderJsonError("is larger than " + std::to_string(kMaxLadderJsonBytes >> 20) +
                              " MiB; not a ladder");
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in && !in.eof()) throw LadderJsonError("cannot be read");
    json parsed;
    try {
        parsed = json::parse(text.str());
    } catch (const json::parse_error& e) {
        throw LadderJsonError(std::string("is not JSON: ") + e.what());
    }
    return ladderFromJson(parsed);
}

} // namespace korvan::cli
