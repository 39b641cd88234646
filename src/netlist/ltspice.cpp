#include "netlist/ltspice.h"

#include "numeric/number_text.h"

#include <algorithm>

namespace korvan::netlist {
namespace {

using std::to_string;

const std::string kCrLf = "\r\n";

std::string wholeNumber(long double value, char sep) {
    return dot(numeric::formatFixed(value, 10, 0, sep));
}

void head(const DesignState& s, const ValueTexts& t, const std::string& termination,
          std::vector<std::string>& out) {
    const Ladder ladder = ladderOf(s);
    std::string title;
    std::size_t stars = 50;
    if (ladder == Ladder::ChebyshevButterworth) {
        const std::string type = s.PBripple > 0 ? "Chebychev, r=" + dot(t.ripple) + "db,"
                                                : std::string("Butterworth Filter,");
        title = "** " + t.poles + "pole " + type + " b3=" + dot(t.b3) + "kHz **";
        stars = 56;
    } else {
        title = "*** " + t.poles +
                (ladder == Ladder::Cohn ? " pole Cohn Filter" : " pole QER Filter") +
                ", b3=" + dot(t.b3) + "kHz ***";
    }
    const std::string rule = ruler("", stars, title.size());
    out.push_back(rule);
    out.push_back(title);
    out.push_back(rule);
    if (ladder == Ladder::ChebyshevButterworth) {
        out.push_back("*----- LTSpice NetList -----" + kCrLf);
        out.push_back(" .subckt xtal 1  2      ;fs= " + dot(t.fs) + "kHz");
    } else {
        out.push_back("*----- LTSpice Netlist ------" + kCrLf);
        out.push_back(" .subckt xtal 1   2    ;fs= " + dot(t.fs) + "kHz");
    }
    out.push_back("   Lm   1   3  " + dot(t.lm) + "mH");
    out.push_back("   Cm   3   4  " + dot(t.cm) + "fF");
    out.push_back("   Rm   4   2  " + dot(t.rm) + "ohm" + "  ;Xtal Q= " + t.qu);
    out.push_back("   Cp   1   2  " + dot(t.cp) + "pF");
    out.push_back(" .ends xtal");
    out.push_back(" ");
    out.push_back("*Exitation         Input impedance");
    out.push_back("VIN  100   0   AC  RSER=" + termination + kCrLf);
}

void chebyshevLadder(const DesignState& s, const std::string& termination, char sep,
                     std::vector<std::string>& out) {
    const int n = s.Poles;
    const auto ck = [&](int j) { return s.Ck[static_cast<std::size_t>(j)]; };
    const auto cs = [&](int k) { return s.Cs[static_cast<std::size_t>(k)]; };
    // Meshes 2 and n-1 are the reference meshes without a tuning capacitor.
    const auto tuned = [n](int k) { return n == 2 || (k != 2 && k != n - 1); };
    int p = 100;
    for (int k = 1; k <= n; ++k) {
        if (tuned(k) && k < n) {
            out.push_back(name8("Cs" + to_string(k)) + to_string(p) + "  " + to_string(p + 5) +
                          spiceValue(cs(std::min(k, n + 1 - k)), sep));
            p += 5;
        }
        out.push_back(name8("xt_" + to_string(k)) + to_string(p) + "  " + to_string(p + 5) +
                      "    xtal    * ----");
        p += 5;
        if (k < n)
            out.push_back(name8("Ck" + to_string(k)) + to_string(p) + "    0" +
                          spiceValue(ck(std::min(k, n - k)), sep));
    }
    out.push_back(name8("Cs" + to_string(n)) + to_string(p) + "  " + to_string(p + 5) +
                  spiceValue(cs(1), sep) + kCrLf);
    p += 5;
    out.push_back("RL  " + to_string(p) + "   0   " + termination + "   ;Load impedance");
}

void cohnLadder(int n, const std::string& ckValue, const std::string& termination,
                std::vector<std::string>& out) {
    out.push_back("Cs1     100  105   " + ckValue);
    for (int k = 1; k <= n - 1; ++k) {
        out.push_back(name8("xt_" + to_string(k)) + to_string(5 * k + 100) + "  " +
                      to_string(5 * k + 105) + "   xtal  *----");
        out.push_back(name8("Ck" + to_string(k)) + to_string(5 * k + 105) + "    0   " + ckValue);
    }
    out.push_back(name8("xt_" + to_string(n)) + to_string(5 * n + 100) + "  " +
                  to_string(5 * n + 105) + "   xtal  *----");
    out.push_back(name8("Cs" + to_string(n)) + to_string(5 * n + 105) + "  " +
                  to_string(5 * n + 110) + "   " + ckValue + kCrLf);
    out.push_back("RL   " + to_string(5 * n + 110) + "   0   " + termination +
                  "   ;Load Impedance");
}

// The end positions hold two crystals in parallel (xt_1a, xt_na).
void qerLadder(int n, const std::string& ckValue, const std::string& termination,
               std::vector<std::string>& out) {
    out.push_back("xt_1a   100  105   xtal  *----");
    for (int k = 1; k <= n - 1; ++k) {
        out.push_back(name8("xt_" + to_string(k)) + to_string(5 * k + 95) + "  " +
                      to_string(5 * k + 100) + "   xtal  *----");
        out.push_back(name8("Ck" + to_string(k)) + to_string(5 * k + 100) + "    0   " + ckValue);
    }
    const std::string nodes = to_string(5 * n + 95) + "  " + to_string(5 * n + 100);
    out.push_back(name8("xt_" + to_string(n)) + nodes + "   xtal  *----");
    out.push_back(name8("xt_" + to_string(n) + "a") + nodes + "   xtal  *----" + kCrLf);
    out.push_back("RL   " + to_string(5 * n + 100) + "   0   " + termination +
                  "   ;Load Impedance");
}

} // namespace

std::string spiceValue(long double farad, char sep) {
    const long double pf = farad * 1e12L;
    return "    " + dot(numeric::formatFixed(pf, 10, pf < 1000 ? 1 : 0, sep)) + "pF";
}

std::string ltspiceFileName(const DesignState& s, const ValueTexts& t, char sep) {
    const std::string f = wholeNumber(s.fm * 0.001L, sep);
    const std::string b = wholeNumber(s.B3db, sep);
    switch (ladderOf(s)) {
    case Ladder::Cohn:
        return "C_" + t.poles + "p_" + f + "k_" + b + ".cir";
    case Ladder::Qer:
        return "Q_" + t.poles + "p_" + f + "k_" + b + ".cir";
    case Ladder::ChebyshevButterworth:
        break;
    }
    return (s.PBripple > 0 ? "T_" : "B_") + t.poles + "p_" + f + "k_" + dot(t.ripple) + "_" + b +
           ".cir";
}

std::vector<std::string> ltspiceLines(const DesignState& s, const ValueTexts& t, char sep) {
    const Ladder ladder = ladderOf(s);
    const std::string termination = ladder == Ladder::ChebyshevButterworth
                                        ? dot(numeric::formatFixed(s.Zterm, 10, 1, sep))
                                        : dot(t.z);
    std::vector<std::string> out;
    head(s, t, termination, out);
    const std::string ckValue = dot(bare(t.ck[1])) + "pF";
    switch (ladder) {
    case Ladder::ChebyshevButterworth:
        chebyshevLadder(s, termination, sep, out);
        break;
    case Ladder::Cohn:
        cohnLadder(s.Poles, ckValue, termination, out);
        break;
    case Ladder::Qer:
        qerLadder(s.Poles, ckValue, termination, out);
        break;
    }
    // The display span, rounded to whole kHz at both ends.
    const long double fmKHz = s.fm * 0.001L;
    const long double halfSpan = s.Span * 0.5L;
    out.push_back(".AC LIN  1000  " + integerText(1000 * nint(fmKHz - halfSpan)) + "  " +
                  integerText(1000 * nint(fmKHz + halfSpan)));
    out.push_back(".NET I(RL) VIN       ;for S-Parameters");
    out.push_back(".End");
    return out;
}

} // namespace korvan::netlist
