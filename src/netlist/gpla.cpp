#include "netlist/gpla.h"

#include "numeric/number_text.h"

#include <algorithm>

namespace korvan::netlist {
namespace {

const std::string kSeriesCap = "cap\rser\r";
const std::string kShuntCap = "cap\rpar\r";
const std::string kCrystal = "xtl\rser\r0";
const std::string kLoad = "rlb";

struct Sweep {
    const char* start;
    const char* stop;
    const char* step;
};

// The thresholds are tested in order; a later match overrides an earlier one.
Sweep sweepFor(Ladder ladder, float b3db) {
    Sweep s{"-4000", "6000", "1000"};
    if (b3db > 3500) s = {"-9000", "11000", "2000"};
    if (ladder == Ladder::ChebyshevButterworth) {
        if (b3db < 1500) s = {"-2000", "3000", s.step};
        if (b3db < 600) s = {"-1500", "2000", "500"};
    } else {
        if (b3db < 2000) s = {"-2000", "3000", s.step};
        if (b3db < 1000) s = {"-1000", "2000", "500"};
    }
    return s;
}

// A label's number multiplied, formatted again with the system separator.
std::string scaledText(const std::string& text, long double factor, int precision, int decimals,
                       char separator) {
    return numeric::formatFixed(numeric::toNumber(text, separator) * factor, precision, decimals,
                                separator);
}

void chebyshevChain(int n, const ValueTexts& t, std::vector<std::string>& out) {
    const auto ck = [&](int m) { return t.ck[static_cast<std::size_t>(m)]; };
    const auto cs = [&](int m) { return t.cs[static_cast<std::size_t>(m)]; };
    for (int k = 1; k <= n - 1; ++k) {
        std::string tuning;
        if (k == 1)
            tuning = cs(1);
        else if (k == 2 || k == n - 1)
            tuning = "1e6"; // no tuning capacitor in this mesh
        else
            tuning = cs(std::min(k, n + 1 - k));
        out.push_back(kSeriesCap + tuning);
        out.push_back(kCrystal);
        out.push_back(kShuntCap + ck(std::min(k, n - k)));
    }
    out.push_back(kCrystal);
    out.push_back(kSeriesCap + cs(1));
}

void cohnChain(int n, const ValueTexts& t, std::vector<std::string>& out) {
    const std::string& ck = t.ck[1];
    out.push_back(kSeriesCap + ck);
    for (int k = 1; k <= n - 1; ++k) {
        out.push_back(kCrystal);
        out.push_back(kShuntCap + ck);
    }
    out.push_back(kCrystal);
    out.push_back(kSeriesCap + ck);
}

// Single crystals at the ends and two in series inside, with half the
// coupling: the parallel pairs of the QER ladder in a form GPLA can chain.
void qerChain(int n, const std::string& halfCk, std::vector<std::string>& out) {
    out.push_back(kCrystal);
    out.push_back(kShuntCap + halfCk);
    for (int k = 1; k <= n - 2; ++k) {
        out.push_back(kCrystal);
        out.push_back(kCrystal);
        out.push_back(kShuntCap + halfCk);
    }
    out.push_back(kCrystal);
}

} // namespace

std::vector<std::string> gplaLines(const DesignState& state, const ValueTexts& t, char sep) {
    const Ladder ladder = ladderOf(state);
    const int n = state.Poles;
    std::vector<std::string> out;

    int records = 3 * n;
    std::string z = t.z;
    const char* level = "-100";
    if (ladder == Ladder::Cohn) {
        records = 2 * n + 2;
        level = "100";
    } else if (ladder == Ladder::Qer) {
        records = 3 * n - 2;
        z = scaledText(t.z, 2, 7, 1, sep);
        level = "100";
    }
    const Sweep sweep = sweepFor(ladder, state.B3db);

    out.push_back(std::to_string(records));
    out.push_back("333");
    out.push_back(z);
    out.push_back(z);
    out.push_back("1");
    out.push_back(numeric::formatGeneral(static_cast<long double>(state.fs) * 1e-6L, sep));
    out.push_back(numeric::formatGeneral(state.Lm, sep));
    out.push_back(t.cp);
    out.push_back(t.qu);
    out.push_back(sweep.start);
    out.push_back(sweep.stop);
    out.push_back("1");
    out.push_back(sweep.step);
    out.push_back(level);
    out.push_back("10");

    switch (ladder) {
    case Ladder::ChebyshevButterworth:
        chebyshevChain(n, t, out);
        break;
    case Ladder::Cohn:
        cohnChain(n, t, out);
        break;
    case Ladder::Qer:
        qerChain(n, scaledText(t.ck[1], 0.5L, 6, 2, sep), out);
        break;
    }
    out.push_back(kLoad);
    return out;
}

} // namespace korvan::netlist
