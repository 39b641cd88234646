#include "netlist/ard.h"

#include "numeric/number_text.h"

#include <algorithm>

namespace korvan::netlist {
namespace {

using std::to_string;

const std::string kXtalGap = "             ;---"; // 13 blanks

struct SweepTexts {
    std::string start, stop, step;
};

SweepTexts sweepTexts(const DesignState& s, char sep) {
    const long double halfSpanHz = 500.0L * s.Span;
    const long double startMHz = (s.fm - halfSpanHz) * 1e-6L;
    const long double stopMHz = (s.fm + halfSpanHz) * 1e-6L;
    SweepTexts t;
    t.start = numeric::formatFixed(startMHz, 12, 3, sep) + "MHz ";
    t.stop = numeric::formatFixed(stopMHz, 12, 3, sep) + "MHz ";
    // A step that would give fewer points than the stop frequency in MHz is
    // replaced by one just above the centre frequency in MHz.
    long double step = 2 * nint(s.Span);
    if (step < stopMHz) step = nint(s.fm * 1e-6L) + 1;
    t.step = integerText(step) + "Hz";
    return t;
}

// The lines shared by the three ladders: the crystal block and the opening
// of the ladder block.
void crystalBlock(const ValueTexts& t, const char* transformer, std::vector<std::string>& out) {
    out.push_back("srx 10 20 r=" + dot(t.rm) + "oh L=" + dot(t.lm) + "mH C=" + dot(t.cm) + "fF");
    out.push_back("cap 10 20 c=" + dot(t.cp) + "pF");
    out.push_back("xtal: 2por 10 20      ;fs= " + dot(t.fs) + "kHz");
    out.push_back("end");
    out.push_back(" ");
    out.push_back("blk");
    out.push_back(transformer);
}

void sweepBlock(const DesignState& s, char sep, std::vector<std::string>& out) {
    const SweepTexts sw = sweepTexts(s, sep);
    out.push_back("end");
    out.push_back(" ");
    out.push_back("freq");
    out.push_back("Step " + dot(sw.start) + dot(sw.stop) + " " + sw.step);
    out.push_back("end");
}

void heading(const std::string& title, std::size_t stars, std::vector<std::string>& out) {
    const std::string rule = ruler(";", stars, title.size());
    out.push_back(rule);
    out.push_back(title);
    out.push_back(rule);
    out.push_back(" ");
}

std::string xtalLine(int a, int b, const std::string& label) {
    return "xtal " + to_string(a) + " " + to_string(b) + " " + kXtalGap + label;
}

void chebyshev(const DesignState& s, const ValueTexts& t, char sep, std::vector<std::string>& out) {
    const int n = s.Poles;
    const int h = (n + 1) / 2;
    const bool ripple = s.PBripple > 0;
    const std::string type =
        ripple ? "Chebychev, r=" + dot(t.ripple) + "db" : std::string("Butterworth Filter");
    heading(";*** " + t.poles + " pole " + type + ", b3=" + dot(t.b3) + "kHz ***", 53, out);
    out.push_back("imp: " + dot(t.z) + "oh   ;filter termination");
    for (int m = 1; m <= n / 2; ++m)
        out.push_back("Ck" + to_string(11 * m + 1) + ": " +
                      dot(bare(t.ck[static_cast<std::size_t>(m)])) + "pF");
    out.push_back(" ");
    out.push_back("Cs1: " + dot(bare(t.cs[1])) + "pF");
    out.push_back(n > 2 ? "Cs2: 999999pF   ;for tuning only" : " ");
    for (int m = 3; m <= h; ++m)
        out.push_back("Cs" + to_string(m) + ": " + dot(bare(t.cs[static_cast<std::size_t>(m)])) +
                      "pF");
    out.push_back(" ");
    out.push_back("blk             ;Xtal Q= " + t.qu);
    crystalBlock(t, "TRF  100 120 r1=50 r2=imp", out);

    // Second-half elements take the names of their mirror images.
    for (int k = 1; k <= n - 1; ++k) {
        const int a = 20 * k + 100, b = a + 10, c = a + 20;
        const int m = std::min(k, n - k);
        out.push_back(xtalLine(a, b, to_string(k)));
        out.push_back("cap  " + to_string(b) + " " + to_string(c) + " c=Cs" +
                      to_string(std::min(k, n + 1 - k)));
        out.push_back("cap  " + to_string(c) + "   0 c=Ck" + to_string(m) + to_string(m + 1));
    }
    out.push_back(xtalLine(20 * n + 100, 20 * n + 110, to_string(n)));
    out.push_back("cap  " + to_string(20 * n + 110) + " " + to_string(20 * n + 120) + " c=Cs1");
    out.push_back("TRF  " + to_string(20 * n + 120) + " " + to_string(20 * n + 140) +
                  " r1=imp r2=50");
    out.push_back((ripple ? "Tchby" : "Buttw") + to_string(n) + "p: 2por 100 " +
                  to_string(20 * n + 140));
    sweepBlock(s, sep, out);
}

void cohn(const DesignState& s, const ValueTexts& t, char sep, std::vector<std::string>& out) {
    const int n = s.Poles;
    // The bandwidth keeps the system separator in this title.
    heading(";*** " + t.poles + " pole Cohn Filter; b3=" + t.b3 + "kHz ***", 45, out);
    out.push_back("imp: " + dot(t.z) + "oh    ;filter termination");
    out.push_back("Ck: " + dot(bare(t.ck[1])) + "pF");
    out.push_back(" ");
    out.push_back("blk             ;Xtal Q= " + t.qu);
    crystalBlock(t, "TRF  100 110 r1=50 r2=imp", out);
    out.push_back("cap  110 120 c=Ck   ;Cs = Ck");
    for (int k = 1; k <= n - 1; ++k) {
        const int a = 10 * k + 110, b = a + 10;
        out.push_back(xtalLine(a, b, to_string(k)));
        out.push_back("cap  " + to_string(b) + "   0 c=Ck");
    }
    out.push_back(xtalLine(10 * n + 110, 10 * n + 120, to_string(n)));
    out.push_back("cap  " + to_string(10 * n + 120) + " " + to_string(10 * n + 130) +
                  " c=Ck   ;Cs = Ck");
    out.push_back("TRF  " + to_string(10 * n + 130) + " " + to_string(10 * n + 140) +
                  " r1=imp r2=50");
    out.push_back("Cohn" + to_string(n) + "p: 2por 100 " + to_string(10 * n + 140));
    sweepBlock(s, sep, out);
}

void qer(const DesignState& s, const ValueTexts& t, char sep, std::vector<std::string>& out) {
    const int n = s.Poles;
    heading(";*** " + t.poles + " pole QER Filter, b3=" + dot(t.b3) + "kHz ***", 50, out);
    out.push_back("imp: " + dot(t.z) + "oh    ;filter termination");
    out.push_back("Ck:  " + dot(bare(t.ck[1])) + "pF");
    out.push_back(" ");
    out.push_back("blk            ;Xtal Q= " + t.qu);
    crystalBlock(t, "TRF  100 110 r1=50 r2=imp", out);
    out.push_back(xtalLine(110, 120, "1a")); // the second crystal of the input pair
    for (int k = 1; k <= n - 1; ++k) {
        const int a = 10 * k + 100, b = a + 10;
        out.push_back(xtalLine(a, b, to_string(k)));
        out.push_back("cap  " + to_string(b) + "   0 c=Ck");
    }
    out.push_back(xtalLine(10 * n + 100, 10 * n + 110, to_string(n)));
    out.push_back(xtalLine(10 * n + 100, 10 * n + 110, to_string(n) + "a"));
    out.push_back("TRF  " + to_string(10 * n + 110) + " " + to_string(10 * n + 120) +
                  " r1=imp r2=50");
    out.push_back("QER" + to_string(n) + "p: 2por 100 " + to_string(10 * n + 120));
    sweepBlock(s, sep, out);
}

} // namespace

std::string freqCode(double fm, char separator) {
    std::string code = numeric::formatFixed(fm * 1e-5L, 3, 0, separator);
    if (fm < 950000) code = "0" + code;
    if (fm < 9950000) code = "0" + code;
    return code;
}

std::string ardFileName(const DesignState& state, char separator) {
    char letter = 'T';
    switch (ladderOf(state)) {
    case Ladder::ChebyshevButterworth:
        letter = state.PBripple > 0 ? 'T' : 'B';
        break;
    case Ladder::Cohn:
        letter = 'C';
        break;
    case Ladder::Qer:
        letter = 'Q';
        break;
    }
    return letter + dot(freqCode(state.fm, separator)) + "_p" + to_string(state.Poles) + ".ckt";
}

std::vector<std::string> ardLines(const DesignState& state, const ValueTexts& texts,
                                  char separator) {
    std::vector<std::string> out;
    switch (ladderOf(state)) {
    case Ladder::ChebyshevButterworth:
        chebyshev(state, texts, separator, out);
        break;
    case Ladder::Cohn:
        cohn(state, texts, separator, out);
        break;
    case Ladder::Qer:
        qer(state, texts, separator, out);
        break;
    }
    return out;
}

} // namespace korvan::netlist
