// The ladder as ngspice sees it: the program's own deck, and the exported
// LTspice netlist adapted for ngspice, both analysed by ngspice and compared
// with the program's S-parameters. Skipped where ngspice is not installed.

#include "analysis/ngspice_deck.h"
#include "analysis/response_export.h"
#include "app/main_form.h"
#include "model/clipboard.h"
#include "model/messages.h"
#include "model/text_file.h"
#include "netlist/export.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using namespace korvan;
using namespace korvan::analysis;
namespace fs = std::filesystem;

bool haveNgspice() {
    return std::system("command -v ngspice >/dev/null 2>&1") == 0;
}

struct Design {
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form;
    Design(const fs::path& folder, FilterType type, const char* poles, bool exportFiles)
        : form(messages, clipboard, folder, '.') {
        netlist::createNetlistFolders(folder);
        form.setExportEnabled(exportFiles);
        form.form().setText("AEdit6", poles);
        form.filterTypeClicked(type);
    }
};

struct SpRow {
    double f;
    Complex s11, s21;
};

// Runs ngspice in `folder` and reads the rows that its wrdata line wrote.
std::vector<SpRow> runNgspice(const fs::path& folder, const std::string& deck,
                              const std::string& result) {
    const std::string command =
        "cd '" + folder.string() + "' && ngspice -b '" + deck + "' >ngspice.log 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << "see " << (folder / "ngspice.log");
    std::ifstream in(folder / result);
    std::string line;
    std::getline(in, line); // vector names
    std::vector<SpRow> rows;
    double f, a, b, c, d;
    while (in >> f >> a >> b >> c >> d) {
        rows.push_back({f, {a, b}, {c, d}});
        in.ignore(1000, '\n');
    }
    return rows;
}

TEST(ngspice_test, deck_agrees_with_the_analysis) {
    if (!haveNgspice()) GTEST_SKIP() << "ngspice is not on PATH: deck not checked";
    for (const auto& [type, poles] : {std::pair{FilterType::ChebyshevButterworth, "8"},
                                      {FilterType::Qer, "6"},
                                      {FilterType::Cohn, "5"}}) {
        test::TempDir dir;
        Design d(dir.path(), type, poles, false);
        const LadderModel m = ladderFromDesign(d.form.state(), 20);
        const SweepSpan span = displaySpan(d.form.state(), 201);
        const double ref = 50;
        writeFileAtomically(dir.path() / "deck.cir",
                            ngspiceDeck(m, span, ref, designDescription(d.form.state(), 20),
                                        ngspiceResultName("deck.cir")));
        const auto rows = runNgspice(dir.path(), "deck.cir", "deck_sp.txt");
        ASSERT_EQ(rows.size(), 201u);
        for (const SpRow& row : rows) {
            const SParameters s = analyseLadder(m, row.f, {ref, ref});
            EXPECT_NEAR(magnitudeDb(row.s21), magnitudeDb(s.s21), 1e-4) << row.f;
            EXPECT_NEAR(std::abs(row.s11 - s.s11), 0, 1e-6) << row.f;
        }
    }
}

// The LTspice netlist for ngspice: comments and trailing "* ----" fields
// dropped, the source and load made S-parameter ports of impedance Zterm,
// the .AC card turned into an S-parameter analysis.
struct Adapted {
    std::string deck, result;
    LadderModel asWritten; // the design with the values as the netlist writes them
};

// "33.2pF", "62mH", "20ohm": a number with a SPICE scale letter.
double spiceValue(const std::string& text) {
    std::size_t used = 0;
    const double v = std::stod(text, &used);
    switch (used < text.size() ? text[used] : ' ') {
    case 'f':
        return v * 1e-15;
    case 'p':
        return v * 1e-12;
    case 'n':
        return v * 1e-9;
    case 'u':
        return v * 1e-6;
    case 'm':
        return v * 1e-3;
    default:
        return v;
    }
}

Adapted adaptedForNgspice(const fs::path& ltspice, const LadderModel& design) {
    Adapted adapted;
    adapted.asWritten = design;
    Crystal crystal = design.arms.front().crystals.front();
    std::ifstream in(ltspice, std::ios::binary);
    std::ostringstream out;
    out << "* LTspice ladder adapted for ngspice\n";
    std::string line;
    while (std::getline(in, line)) {
        for (const char cut : {';', '\r'})
            if (const auto at = line.find(cut); at != std::string::npos) line.erase(at);
        if (const auto at = line.find(" *"); at != std::string::npos) line.erase(at);
        line.erase(0, line.find_first_not_of(' '));
        if (line.empty() || line[0] == '*') continue;
        std::istringstream words(line);
        std::string name, a, b, rest;
        words >> name >> a >> b;
        if (name == "VIN") {
            const std::string r = line.substr(line.find("RSER=") + 5);
            adapted.asWritten.sourceOhm = adapted.asWritten.loadOhm = std::stod(r);
            out << "VIN " << a << " 0 dc 0 ac 1 portnum 1 z0 " << r << '\n';
        } else if (name == "RL") {
            words >> rest;
            out << "VOUT " << a << " 0 dc 0 ac 1 portnum 2 z0 " << rest << '\n';
        } else if (name == ".AC") {
            std::string lin, points, start, stop;
            std::istringstream ac(line);
            ac >> name >> lin >> points >> start >> stop;
            adapted.result = "ltspice_sp.txt";
            out << ".control\nset wr_singlescale\nset wr_vecnames\nset numdgt=12\nsp lin " << points
                << ' ' << start << ' ' << stop << "\nwrdata " << adapted.result
                << " S_1_1 S_2_1\nquit\n.endc\n";
        } else if (name == ".NET") {
            continue;
        } else {
            std::string value;
            words >> value;
            auto& m = adapted.asWritten;
            const auto number = [&](std::size_t prefix) {
                return static_cast<std::size_t>(std::stoi(name.substr(prefix))) - 1;
            };
            if (name == "Lm") crystal.lmH = spiceValue(value);
            if (name == "Cm") crystal.cmF = spiceValue(value);
            if (name == "Rm") crystal.rmOhm = spiceValue(value);
            if (name == "Cp") crystal.cpF = spiceValue(value);
            if (name.starts_with("Ck")) m.couplingF.at(number(2)) = spiceValue(value);
            if (name.starts_with("Cs")) m.arms.at(number(2)).csF = spiceValue(value);
            out << line << '\n';
        }
    }
    for (auto& arm : adapted.asWritten.arms)
        for (auto& x : arm.crystals) x = crystal;
    adapted.deck = out.str();
    return adapted;
}

// The netlist writes its values rounded as shown (the coupling capacitors
// of Cohn and QER to 0.1 pF, the termination to 0.1 Ohm): that alone moves
// the pass band by up to about 0.1 dB. So the circuit is checked to 0.02 dB
// against the S-parameter file of the values as written, and the design's
// own file against the netlist to what the rounding leaves.
TEST(ngspice_test, exported_ltspice_ladder_agrees_with_the_touchstone_file) {
    if (!haveNgspice()) GTEST_SKIP() << "ngspice is not on PATH: LTspice ladder not checked";
    const struct {
        FilterType type;
        const char* poles;
        double designTolDb;
    } cases[] = {
        {FilterType::ChebyshevButterworth, "8", 0.02},
        {FilterType::ChebyshevButterworth, "3", 0.05},
        {FilterType::Cohn, "6", 0.02},
        {FilterType::Qer, "8", 0.15},
    };
    for (const auto& c : cases)
        for (const bool asWritten : {true, false}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(c.type)) + ", " + c.poles + " poles" +
                         (asWritten ? ", as written" : ", as designed"));
            test::TempDir dir;
            Design d(dir.path(), c.type, c.poles, true);
            fs::path ltspice;
            for (const auto& p : d.form.exportedFiles())
                if (p.extension() == ".cir" && p.parent_path().filename() == "SPICE_files")
                    ltspice = p;
            ASSERT_FALSE(ltspice.empty());
            const LadderModel design = ladderFromDesign(d.form.state(), 20);
            const Adapted adapted = adaptedForNgspice(ltspice, design);
            writeFileAtomically(dir.path() / "adapted.cir", adapted.deck);
            ASSERT_FALSE(adapted.result.empty());
            const auto rows = runNgspice(dir.path(), "adapted.cir", adapted.result);
            ASSERT_EQ(rows.size(), 1000u);
            const LadderModel& model = asWritten ? adapted.asWritten : design;
            const double tolDb = asWritten ? 0.02 : c.designTolDb;

            // The .s2p of the same frequencies, read back.
            SweepSpan span{rows.front().f, rows.back().f, static_cast<int>(rows.size())};
            std::istringstream in(
                touchstoneText(sweepLadder(model, span), TouchstoneFormat::DB, {}));
            std::string line;
            std::vector<double> lossDb;
            while (std::getline(in, line)) {
                if (line.empty() || line[0] == '!' || line[0] == '#') continue;
                std::istringstream values(line);
                double f, s11db, s11deg, s21db;
                values >> f >> s11db >> s11deg >> s21db;
                lossDb.push_back(-s21db);
            }
            ASSERT_EQ(lossDb.size(), rows.size());
            double il = lossDb.front();
            for (double l : lossDb) il = std::min(il, l);
            int compared = 0;
            for (std::size_t i = 0; i < rows.size(); ++i) {
                if (lossDb[i] > il + 3) continue; // the pass band
                EXPECT_NEAR(-magnitudeDb(rows[i].s21), lossDb[i], tolDb) << rows[i].f;
                ++compared;
            }
            EXPECT_GT(compared, 100);
        }
}

} // namespace
