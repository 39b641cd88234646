#include "analysis/ngspice_deck.h"

#include "analysis/response_export.h"
#include "model/text_file.h"

#include <cctype>
#include <filesystem>

namespace korvan::analysis {

namespace {

// SPICE has no resistor of 0 Ohm; a lossless crystal gets a loss far below
// anything that shows in the response.
constexpr double kSmallestLossOhm = 1e-6;

std::string safeName(const std::string& name) {
    std::string out;
    for (const char c : name)
        out += std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.'
                   ? c
                   : '_';
    return out.empty() ? "korvan_sp.txt" : out;
}

std::string crystalInstance(const std::string& name, const std::string& a, const std::string& b,
                            const Crystal& x) {
    const double rm = x.rmOhm > 0 ? x.rmOhm : kSmallestLossOhm;
    return name + " " + a + " " + b + " xtal lm=" + exactNumber(x.lmH) +
           " cm=" + exactNumber(x.cmF) + " rm=" + exactNumber(rm) + " cp=" + exactNumber(x.cpF);
}

} // namespace

std::string ngspiceResultName(const std::string& deckFile) {
    return safeName(std::filesystem::path(deckFile).stem().string() + "_sp.txt");
}

std::string ngspiceDeck(const LadderModel& model, const SweepSpan& span, double ref,
                        const std::vector<std::string>& comments, const std::string& resultFile) {
    std::vector<std::string> lines;
    for (const auto& c : comments) lines.push_back("* " + c);
    lines.push_back("* ngspice deck: ngspice -b <this file> writes " + safeName(resultFile));
    lines.push_back(".subckt xtal a b lm=1 cm=1 rm=1 cp=1");
    lines.push_back("Lm a m1 {lm}");
    lines.push_back("Cm m1 m2 {cm}");
    lines.push_back("Rm m2 b {rm}");
    lines.push_back("Cp a b {cp}");
    lines.push_back(".ends xtal");
    const std::string z0 = exactNumber(ref);
    lines.push_back("* port 1 at the source end, port 2 at the load end, both " + z0 + " Ohm");
    lines.push_back("V1 p1 0 dc 0 ac 1 portnum 1 z0 " + z0);

    std::string node = "p1";
    const std::size_t n = model.arms.size();
    for (std::size_t i = 0; i < n; ++i) {
        const SeriesArm& arm = model.arms[i];
        const std::string k = std::to_string(i + 1);
        const std::string end = i + 1 == n ? "p2" : "n" + k;
        const std::string mid = arm.csF != 0 ? "m" + k : end;
        for (std::size_t c = 0; c < arm.crystals.size(); ++c)
            lines.push_back(crystalInstance("X" + k + std::string(1, static_cast<char>('a' + c)),
                                            node, mid, arm.crystals[c]));
        if (arm.csF != 0)
            lines.push_back("Cs" + k + " " + mid + " " + end + " " + exactNumber(arm.csF));
        if (i + 1 < n && i < model.couplingF.size())
            lines.push_back("Ck" + k + " " + end + " 0 " + exactNumber(model.couplingF[i]));
        node = end;
    }
    lines.push_back("V2 p2 0 dc 0 ac 1 portnum 2 z0 " + z0);
    lines.push_back(".control");
    lines.push_back("set wr_singlescale");
    lines.push_back("set wr_vecnames");
    lines.push_back("set numdgt=12");
    lines.push_back("sp lin " + std::to_string(span.points) + " " + exactNumber(span.startHz) +
                    " " + exactNumber(span.stopHz));
    lines.push_back("wrdata " + safeName(resultFile) + " S_1_1 S_2_1 S_1_2 S_2_2");
    lines.push_back("quit");
    lines.push_back(".endc");
    lines.push_back(".end");
    return joinCrLf(lines);
}

} // namespace korvan::analysis
