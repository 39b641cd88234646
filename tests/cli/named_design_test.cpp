// The named design of the JSON and the parts list: the same numbers as the
// design state, in SI units and by name, and the whole ladder in order.

#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using korvan::test::CliRun;
using korvan::test::runCli;
using korvan::test::TempDir;
using nlohmann::json;

json runJson(std::vector<std::string> args, const char* separator = ".") {
    args.insert(args.begin(), {"--decimal-separator", separator, "--json"});
    TempDir dir;
    const CliRun run = runCli(dir.path(), args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return run.json();
}

// An element array of the state with 0 (no capacitor) as null.
json withNulls(const json& values) {
    json out = json::array();
    for (const auto& v : values) out.push_back(v.get<double>() == 0 ? json(nullptr) : v);
    return out;
}

struct Design {
    const char* name;
    std::vector<std::string> args;
    const char* type;
};

const Design kDesigns[] = {
    {"default", {}, "chebyshev"},
    {"cohn", {"--type", "cohn", "--cm", "20", "--bw", "2.4", "--poles", "6"}, "cohn"},
    {"qer", {"--type", "qer", "--poles", "10", "--bw", "4", "--span", "20"}, "qer"},
    {"butterworth_5", {"--ripple", "0", "--poles", "5"}, "butterworth"},
};

TEST(named_design_test, equals_the_state_in_si_units) {
    for (const auto& d : kDesigns) {
        SCOPED_TRACE(d.name);
        const json j = runJson(d.args);
        const json& s = j["state"];
        const json& c = j["design"]["crystal"];
        const json& f = j["design"]["filter"];
        const json& l = j["design"]["ladder"];
        const json& r = j["design"]["response"];
        EXPECT_EQ(c["Lm_H"], s["Lm"]);
        EXPECT_EQ(c["Cm_F"], s["Cm"]);
        EXPECT_EQ(c["fs_Hz"], s["fs"]);
        EXPECT_EQ(c["fp_Hz"], s["fp"]);
        EXPECT_EQ(c["Cp_F"], s["Cp"]);
        EXPECT_EQ(c["Rm_Ohm"], std::stod(j["fields"]["AEdit8"].get<std::string>()));
        EXPECT_EQ(c["Qu"], s["Qu"]);
        EXPECT_EQ(f["type"], d.type);
        EXPECT_EQ(f["poles"], s["Poles"]);
        EXPECT_EQ(f["ripple_dB"], s["IsCohn"] || s["IsQER"] ? json(nullptr) : s["PBripple"]);
        EXPECT_EQ(f["B3dB_Hz"], s["B3db"]);
        EXPECT_EQ(f["Bmax_Hz"], s["Bmax"]);
        EXPECT_EQ(f["fm_Hz"], s["fm"]);
        EXPECT_EQ(f["fMesh_Hz"], s["fMesh"]);
        EXPECT_EQ(f["Zterm_Ohm"], s["Zterm"]);
        EXPECT_EQ(l["Ck_F"], s["Ck"]);
        EXPECT_EQ(l["Cs_F"], withNulls(s["Cs"]));
        EXPECT_EQ(r["IL_dB"], s["ILmin"]);
        EXPECT_EQ(r["ult_attn_dB"], s["UltAttn"]);
        EXPECT_GT(r["ult_attn_dB"].get<double>(), 0);
        EXPECT_EQ(r["bandwidths_Hz"], s["bandwidths"]);

        // Offsets by mesh: the shown ones on both halves, null where none.
        const int n = s["Poles"];
        const json& offsets = l["offsets_Hz"];
        ASSERT_EQ(offsets.size(), static_cast<std::size_t>(n));
        json firstHalf = json::array();
        for (int m = 0; m < (n + 1) / 2; ++m) {
            EXPECT_EQ(offsets[m], offsets[n - 1 - m]) << m;
            if (!offsets[m].is_null()) firstHalf.push_back(offsets[m]);
        }
        EXPECT_EQ(firstHalf, s["offsets"]);

        // The locale's separator changes the labels, never the design.
        EXPECT_EQ(runJson(d.args, ",")["design"], j["design"]);
    }
}

TEST(named_design_test, none_values_are_null_and_a_stopped_run_has_no_design) {
    const json j = runJson({"--cp", "0", "--rm", ""});
    const json& c = j["design"]["crystal"];
    EXPECT_EQ(c["Cp_F"], 0.0);
    EXPECT_TRUE(c["fp_Hz"].is_null());
    EXPECT_EQ(c["Rm_Ohm"], 0.0);
    EXPECT_TRUE(c["Qu"].is_null());
    EXPECT_TRUE(j["design"]["response"]["ult_attn_dB"].is_null());

    TempDir dir;
    const CliRun stopped = runCli(dir.path(), {"--json", "--bw", "0"});
    EXPECT_EQ(stopped.exitCode, 1);
    EXPECT_TRUE(stopped.json()["design"].is_null());
}

// The parts of mesh m of the list, as (kind, value) pairs.
std::vector<std::pair<std::string, double>> meshParts(const json& parts, int mesh) {
    std::vector<std::pair<std::string, double>> out;
    for (const auto& p : parts)
        if (p["mesh"] == mesh) out.emplace_back(p["kind"], p["value"]);
    std::sort(out.begin(), out.end());
    return out;
}

TEST(named_design_test, parts_list_holds_every_element_once_in_ladder_order) {
    for (const auto& args :
         {std::vector<std::string>{"--poles", "8"}, std::vector<std::string>{"--poles", "5"},
          std::vector<std::string>{"--type", "qer", "--poles", "5"}}) {
        SCOPED_TRACE(args.back());
        const json j = runJson(args);
        const json& s = j["state"];
        const json& parts = j["design"]["parts"];
        const int n = s["Poles"];
        const bool qer = s["IsQER"];

        // Walk the list: source, then per mesh its capacitor and crystal in
        // either order, the coupling to the next mesh, ..., load.
        std::size_t k = 0;
        ASSERT_EQ(parts[k]["kind"], "source termination");
        EXPECT_EQ(parts[k++]["value"], s["Zterm"]);
        for (int m = 1; m <= n; ++m) {
            const double cs = s["Cs"][m - 1];
            const std::size_t size = cs != 0 ? 2 : 1;
            std::set<std::string> names;
            for (std::size_t e = 0; e < size; ++e, ++k) {
                ASSERT_LT(k, parts.size());
                EXPECT_EQ(parts[k]["mesh"], m);
                names.insert(parts[k]["name"].get<std::string>());
                if (parts[k]["kind"] == "crystal") {
                    EXPECT_EQ(parts[k]["value"], s["fs"]);
                    EXPECT_EQ(parts[k]["count"], qer && (m == 1 || m == n) ? 2 : 1);
                } else {
                    EXPECT_EQ(parts[k]["kind"], "series capacitor");
                    EXPECT_EQ(parts[k]["value"], cs);
                }
            }
            std::set<std::string> expected = {"X" + std::to_string(m)};
            if (cs != 0) expected.insert("Cs" + std::to_string(m));
            EXPECT_EQ(names, expected) << m;
            if (m < n) {
                ASSERT_LT(k, parts.size());
                EXPECT_EQ(parts[k]["name"], "Ck" + std::to_string(m) + std::to_string(m + 1));
                EXPECT_EQ(parts[k]["kind"], "shunt capacitor");
                EXPECT_EQ(parts[k++]["value"], s["Ck"][m - 1]);
            }
        }
        ASSERT_EQ(k + 1, parts.size());
        EXPECT_EQ(parts[k]["kind"], "load termination");
        EXPECT_EQ(parts[k]["value"], s["Zterm"]);

        // Symmetric: the list from the load end, mesh by mesh.
        for (int m = 1; m <= n; ++m) EXPECT_EQ(meshParts(parts, m), meshParts(parts, n + 1 - m));
        for (std::size_t i = 0; i < parts.size(); ++i)
            if (parts[i]["mesh"].is_null()) {
                EXPECT_EQ(parts[i]["value"], parts[parts.size() - 1 - i]["value"]) << i;
            }
    }
}

TEST(named_design_test, readable_report_lists_the_same_parts) {
    TempDir dir;
    const CliRun text = runCli(dir.path(), {"--decimal-separator", ".", "--poles", "8"});
    const json parts = runJson({"--poles", "8"})["design"]["parts"];
    const auto start = text.out.find("Parts list, input to output\n");
    ASSERT_NE(start, std::string::npos);
    std::istringstream lines(text.out.substr(start));
    std::string line;
    std::getline(lines, line);
    for (const auto& p : parts) {
        ASSERT_TRUE(std::getline(lines, line));
        std::istringstream words(line);
        std::string name, value;
        words >> name >> value;
        EXPECT_EQ(name, p["name"]);
        if (p["unit"] == "F") {
            EXPECT_NEAR(std::stod(value), p["value"].get<double>() * 1e12, 0.05);
        }
    }
    EXPECT_NE(text.out.find("X2        4998.000 kHz        crystal, mesh 2, no tuning capacitor"),
              std::string::npos);
}

} // namespace
