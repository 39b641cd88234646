// The three netlist texts, built from hand-made designs and checked line by
// line against the formats.

#include "hand_design.h"
#include "netlist/ard.h"
#include "netlist/gpla.h"
#include "netlist/ltspice.h"
#include "netlist/value_texts.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace korvan;
using namespace korvan::netlist;
using korvan::test::chebyshev8;
using korvan::test::chebyshevDesign;
using korvan::test::equalCapacitorDesign;
using korvan::test::HandDesign;

using Lines = std::vector<std::string>;

std::vector<std::string> ard(const HandDesign& d, char sep = '.') {
    return ardLines(d.state, d.texts(), sep);
}
std::vector<std::string> gpla(const HandDesign& d, char sep = '.') {
    return gplaLines(d.state, d.texts(), sep);
}
std::vector<std::string> spice(const HandDesign& d, char sep = '.') {
    return ltspiceLines(d.state, d.texts(), sep);
}

// The lines from the first one equal to `from` up to, not including, `to`.
Lines section(const Lines& all, const std::string& from, const std::string& to) {
    auto b = std::find(all.begin(), all.end(), from);
    auto e = std::find(b, all.end(), to);
    return Lines(b, e);
}

HandDesign chebyshev2() {
    return chebyshevDesign(2, {20.5f}, {20.5f}, {"20.5 "}, {"20.5 "});
}
HandDesign chebyshev3() {
    return chebyshevDesign(3, {25.1f}, {25.1f}, {"25.1 "}, {"25.1 "});
}
HandDesign chebyshev7() {
    return chebyshevDesign(7, {27.9f, 33.0f, 34.0f}, {33.0f, 150.1f, 120.2f},
                           {"27.9 ", "33.0 ", "34.0 "}, {"33.0 ", "150.1 ", "120.2 "});
}

// ------------------------------------------------------------ text rules

TEST(netlist_test, text_rules) {
    EXPECT_EQ(dot("4998,5"), "4998.5");
    EXPECT_EQ(dot("1,2,3"), "1.2,3");
    EXPECT_EQ(dot("62"), "62");
    EXPECT_EQ(dot(""), "");
    EXPECT_EQ(strReplace("abcabc", "bc", "X"), "aXabc");
    EXPECT_EQ(strReplace("abc", "z", "X"), "abc");
    EXPECT_EQ(bare("27.8 "), "27.8");
    EXPECT_EQ(bare("27.8"), "27.8");
    EXPECT_EQ(bare("27.8  "), "27.8 ");
    EXPECT_EQ(bare(""), "");

    const struct {
        long double x, expected;
    } halves[] = {{0.5L, 0},    {1.5L, 2},       {2.5L, 2},          {3.5L, 4},
                  {-0.5L, 0},   {-1.5L, -2},     {-2.5L, -2},        {2.4999L, 2},
                  {2.5001L, 3}, {4991.4L, 4991}, {4994.8654L, 4995}, {-7.6L, -8}};
    for (const auto& c : halves) EXPECT_EQ(nint(c.x), c.expected) << static_cast<double>(c.x);
    EXPECT_EQ(integerText(1000 * nint(4994.5L)), "4994000");
    EXPECT_EQ(integerText(-0.0L), "0");

    EXPECT_EQ(name8("Cs1"), "Cs1     ");
    EXPECT_EQ(name8("Cs10"), "Cs10    ");
    EXPECT_EQ(name8("xt_10"), "xt_10   ");
    EXPECT_EQ(name8("xt_14a"), "xt_14a  ");
    EXPECT_EQ(name8("abcdefgh"), "abcdefgh");
    EXPECT_EQ(name8("abcdefghij"), "abcdefgh");

    EXPECT_EQ(ruler(";", 53, 10), ";*********");
    EXPECT_EQ(ruler(";", 53, 80), ";" + std::string(53, '*'));
    EXPECT_EQ(ruler("", 56, 37), std::string(37, '*'));
}

TEST(netlist_test, frequency_code) {
    const struct {
        double fm;
        const char* code;
    } cases[] = {
        {4996400, "050"}, {4999865.4, "050"}, {10.7e6, "107"},  {900e3, "009"},
        {9950001, "100"}, {9949999, "099"},   {950001, "010"},  {949999, "009"},
        {45e6, "450"},    {99.94e6, "999"},   {99.96e6, "1E3"}, {21.4e6, "214"},
    };
    for (const auto& c : cases) EXPECT_EQ(freqCode(c.fm, '.'), c.code) << c.fm;
}

TEST(netlist_test, file_names) {
    auto t = chebyshev8();
    EXPECT_EQ(ardFileName(t.state, '.'), "T050_p8.ckt");
    EXPECT_EQ(ltspiceFileName(t.state, t.texts(), '.'), "T_8p_5000k_1_3000.cir");
    t.state.fm = 4996400;
    EXPECT_EQ(ltspiceFileName(t.state, t.texts(), '.'), "T_8p_4996k_1_3000.cir");

    auto b = chebyshev8();
    b.state.PBripple = 0;
    b.form.setText("AEdit5", "0");
    EXPECT_EQ(ardFileName(b.state, '.'), "B050_p8.ckt");
    EXPECT_EQ(ltspiceFileName(b.state, b.texts(), '.'), "B_8p_5000k_0_3000.cir");

    // The ripple as typed, with a point.
    auto r = chebyshev8();
    r.form.setText("AEdit5", "0,5");
    r.state.PBripple = 0.5;
    r.state.B3db = 2400;
    EXPECT_EQ(ltspiceFileName(r.state, r.texts(), ','), "T_8p_5000k_0.5_2400.cir");

    auto c = equalCapacitorDesign(false, 6);
    EXPECT_EQ(ardFileName(c.state, '.'), "C050_p6.ckt");
    EXPECT_EQ(ltspiceFileName(c.state, c.texts(), '.'), "C_6p_5000k_3000.cir");
    c.state.fm = 10.7e6;
    EXPECT_EQ(ardFileName(c.state, '.'), "C107_p6.ckt");

    auto q = equalCapacitorDesign(true, 14);
    q.state.fm = 900e3;
    q.state.B3db = 1234.5f;
    EXPECT_EQ(ardFileName(q.state, '.'), "Q009_p14.ckt");
    EXPECT_EQ(ltspiceFileName(q.state, q.texts(), '.'), "Q_14p_900k_1235.cir");
}

// ------------------------------------------------------------------ ARD

TEST(netlist_test, ard_chebyshev_8_poles) {
    const std::string rule = ";" + std::string(40, '*');
    const Lines expected = {
        rule,
        ";*** 8 pole Chebychev, r=1db, b3=3kHz ***",
        rule,
        " ",
        "imp: 820.5oh   ;filter termination",
        "Ck12: 27.8pF",
        "Ck23: 33.2pF",
        "Ck34: 34.2pF",
        "Ck45: 34.4pF",
        " ",
        "Cs1: 33.2pF",
        "Cs2: 999999pF   ;for tuning only",
        "Cs3: 147.7pF",
        "Cs4: 127.8pF",
        " ",
        "blk             ;Xtal Q= 97350",
        "srx 10 20 r=20oh L=62mH C=16.35521fF",
        "cap 10 20 c=4pF",
        "xtal: 2por 10 20      ;fs= 4998kHz",
        "end",
        " ",
        "blk",
        "TRF  100 120 r1=50 r2=imp",
        "xtal 120 130              ;---1",
        "cap  130 140 c=Cs1",
        "cap  140   0 c=Ck12",
        "xtal 140 150              ;---2",
        "cap  150 160 c=Cs2",
        "cap  160   0 c=Ck23",
        "xtal 160 170              ;---3",
        "cap  170 180 c=Cs3",
        "cap  180   0 c=Ck34",
        "xtal 180 190              ;---4",
        "cap  190 200 c=Cs4",
        "cap  200   0 c=Ck45",
        "xtal 200 210              ;---5",
        "cap  210 220 c=Cs4",
        "cap  220   0 c=Ck34",
        "xtal 220 230              ;---6",
        "cap  230 240 c=Cs3",
        "cap  240   0 c=Ck23",
        "xtal 240 250              ;---7",
        "cap  250 260 c=Cs2",
        "cap  260   0 c=Ck12",
        "xtal 260 270              ;---8",
        "cap  270 280 c=Cs1",
        "TRF  280 300 r1=imp r2=50",
        "Tchby8p: 2por 100 300",
        "end",
        " ",
        "freq",
        "Step 4.995MHz 5.005MHz  20Hz",
        "end",
    };
    EXPECT_EQ(ard(chebyshev8()), expected);
}

TEST(netlist_test, ard_small_and_odd_ladders) {
    const Lines two = {
        "TRF  100 120 r1=50 r2=imp", "xtal 120 130              ;---1", "cap  130 140 c=Cs1",
        "cap  140   0 c=Ck12",       "xtal 140 150              ;---2", "cap  150 160 c=Cs1",
        "TRF  160 180 r1=imp r2=50", "Tchby2p: 2por 100 180",
    };
    const auto a2 = ard(chebyshev2());
    EXPECT_EQ(section(a2, "TRF  100 120 r1=50 r2=imp", "end"), two);
    // No Cs2 entry: the line after Cs1 is a blank one.
    EXPECT_EQ(section(a2, "Ck12: 20.5pF", "blk             ;Xtal Q= 97350"),
              (Lines{"Ck12: 20.5pF", " ", "Cs1: 20.5pF", " ", " "}));

    const Lines three = {
        "TRF  100 120 r1=50 r2=imp", "xtal 120 130              ;---1", "cap  130 140 c=Cs1",
        "cap  140   0 c=Ck12",       "xtal 140 150              ;---2", "cap  150 160 c=Cs2",
        "cap  160   0 c=Ck12",       "xtal 160 170              ;---3", "cap  170 180 c=Cs1",
        "TRF  180 200 r1=imp r2=50", "Tchby3p: 2por 100 200",
    };
    const auto a3 = ard(chebyshev3());
    EXPECT_EQ(section(a3, "TRF  100 120 r1=50 r2=imp", "end"), three);
    EXPECT_EQ(section(a3, "Ck12: 25.1pF", "blk             ;Xtal Q= 97350"),
              (Lines{"Ck12: 25.1pF", " ", "Cs1: 25.1pF", "Cs2: 999999pF   ;for tuning only", " "}));

    // Seven poles: the middle crystal has its own Cs4, Ck34 on both sides.
    const auto a7 = ard(chebyshev7());
    EXPECT_EQ(section(a7, "Ck12: 27.9pF", "blk             ;Xtal Q= 97350"),
              (Lines{"Ck12: 27.9pF", "Ck23: 33.0pF", "Ck34: 34.0pF", " ", "Cs1: 33.0pF",
                     "Cs2: 999999pF   ;for tuning only", "Cs3: 150.1pF", "Cs4: 120.2pF", " "}));
    const Lines names = {"c=Cs1",  "c=Ck12", "c=Cs2",  "c=Ck23", "c=Cs3",  "c=Ck34", "c=Cs4",
                         "c=Ck34", "c=Cs3",  "c=Ck23", "c=Cs2",  "c=Ck12", "c=Cs1"};
    Lines got;
    for (const auto& line : a7)
        if (line.starts_with("cap  ")) got.push_back(line.substr(line.find("c=")));
    EXPECT_EQ(got, names);
    EXPECT_EQ(a7[a7.size() - 6], "Tchby7p: 2por 100 280");
}

TEST(netlist_test, ard_butterworth_title_and_two_port) {
    auto d = chebyshev8();
    d.state.PBripple = 0;
    d.form.setText("AEdit5", "0");
    const auto a = ard(d);
    EXPECT_EQ(a[1], ";*** 8 pole Butterworth Filter, b3=3kHz ***");
    EXPECT_EQ(a[0], ";" + std::string(42, '*'));
    EXPECT_NE(std::find(a.begin(), a.end(), "Buttw8p: 2por 100 300"), a.end());
}

TEST(netlist_test, ard_sweep_step_rule) {
    const struct {
        float span;
        double fm;
        const char* line;
    } cases[] = {
        {10, 4999865.4, "Step 4.995MHz 5.005MHz  20Hz"},
        // 2 x 2 = 4 is below the stop frequency in MHz: nint(4.99987) + 1.
        {2, 4999865.4, "Step 4.999MHz 5.001MHz  6Hz"},
        {2.5f, 4999865.4, "Step 4.999MHz 5.001MHz  6Hz"}, // nint(2.5) = 2
        {3.5f, 4999865.4, "Step 4.998MHz 5.002MHz  8Hz"}, // nint(3.5) = 4
        {5, 10.7001e6, "Step 10.698MHz 10.703MHz  12Hz"}, // 10 < 10.7026
        {6, 10.7001e6, "Step 10.697MHz 10.703MHz  12Hz"}, // 12 is not below 10.7031
        {400, 4999865.4, "Step 4.800MHz 5.200MHz  800Hz"},
    };
    for (const auto& c : cases) {
        auto d = chebyshev8();
        d.state.Span = c.span;
        d.state.fm = c.fm;
        const auto a = ard(d);
        EXPECT_EQ(a[a.size() - 2], c.line) << c.span;
    }
}

TEST(netlist_test, ard_cohn_and_qer) {
    const auto c = ard(equalCapacitorDesign(false, 4));
    const std::string cohnRule = ";" + std::string(35, '*');
    const Lines cohn = {
        cohnRule,
        ";*** 4 pole Cohn Filter; b3=3kHz ***",
        cohnRule,
        " ",
        "imp: 945.9oh    ;filter termination",
        "Ck: 33.7pF",
        " ",
        "blk             ;Xtal Q= 97350",
        "srx 10 20 r=20oh L=62mH C=16.35521fF",
        "cap 10 20 c=4pF",
        "xtal: 2por 10 20      ;fs= 4998kHz",
        "end",
        " ",
        "blk",
        "TRF  100 110 r1=50 r2=imp",
        "cap  110 120 c=Ck   ;Cs = Ck",
        "xtal 120 130              ;---1",
        "cap  130   0 c=Ck",
        "xtal 130 140              ;---2",
        "cap  140   0 c=Ck",
        "xtal 140 150              ;---3",
        "cap  150   0 c=Ck",
        "xtal 150 160              ;---4",
        "cap  160 170 c=Ck   ;Cs = Ck",
        "TRF  170 180 r1=imp r2=50",
        "Cohn4p: 2por 100 180",
        "end",
        " ",
        "freq",
        "Step 4.995MHz 5.005MHz  20Hz",
        "end",
    };
    EXPECT_EQ(c, cohn);

    const auto q = ard(equalCapacitorDesign(true, 4));
    const std::string qerRule = ";" + std::string(34, '*');
    EXPECT_EQ(q[0], qerRule);
    EXPECT_EQ(q[1], ";*** 4 pole QER Filter, b3=3kHz ***");
    EXPECT_EQ(q[4], "imp: 679.4oh    ;filter termination");
    EXPECT_EQ(q[5], "Ck:  33.7pF");
    EXPECT_EQ(q[7], "blk            ;Xtal Q= 97350");
    const Lines qerLadder = {
        "TRF  100 110 r1=50 r2=imp",       "xtal 110 120              ;---1a",
        "xtal 110 120              ;---1", "cap  120   0 c=Ck",
        "xtal 120 130              ;---2", "cap  130   0 c=Ck",
        "xtal 130 140              ;---3", "cap  140   0 c=Ck",
        "xtal 140 150              ;---4", "xtal 140 150              ;---4a",
        "TRF  150 160 r1=imp r2=50",       "QER4p: 2por 100 160",
    };
    EXPECT_EQ(section(q, "TRF  100 110 r1=50 r2=imp", "end"), qerLadder);
}

// ----------------------------------------------------------------- GPLA

TEST(netlist_test, gpla_chebyshev_8_poles) {
    const Lines expected = {
        "24",
        "333",
        "820.5",
        "820.5",
        "1",
        "4.998",
        "0.062",
        "4",
        "97350",
        "-4000",
        "6000",
        "1",
        "1000",
        "-100",
        "10",
        // k = 1 .. 7: series, crystal, shunt
        "cap\rser\r33.2 ",
        "xtl\rser\r0",
        "cap\rpar\r27.8 ",
        "cap\rser\r1e6",
        "xtl\rser\r0",
        "cap\rpar\r33.2 ",
        "cap\rser\r147.7 ",
        "xtl\rser\r0",
        "cap\rpar\r34.2 ",
        "cap\rser\r127.8 ",
        "xtl\rser\r0",
        "cap\rpar\r34.4 ",
        "cap\rser\r127.8 ",
        "xtl\rser\r0",
        "cap\rpar\r34.2 ",
        "cap\rser\r147.7 ",
        "xtl\rser\r0",
        "cap\rpar\r33.2 ",
        "cap\rser\r1e6",
        "xtl\rser\r0",
        "cap\rpar\r27.8 ",
        "xtl\rser\r0",
        "cap\rser\r33.2 ",
        "rlb",
    };
    EXPECT_EQ(gpla(chebyshev8()), expected);
}

TEST(netlist_test, gpla_record_chains) {
    const auto g2 = gpla(chebyshev2());
    EXPECT_EQ(g2[0], "6");
    EXPECT_EQ(Lines(g2.begin() + 15, g2.end()),
              (Lines{"cap\rser\r20.5 ", "xtl\rser\r0", "cap\rpar\r20.5 ", "xtl\rser\r0",
                     "cap\rser\r20.5 ", "rlb"}));

    const auto g3 = gpla(chebyshev3());
    EXPECT_EQ(g3[0], "9");
    EXPECT_EQ(Lines(g3.begin() + 15, g3.end()),
              (Lines{"cap\rser\r25.1 ", "xtl\rser\r0", "cap\rpar\r25.1 ", "cap\rser\r1e6",
                     "xtl\rser\r0", "cap\rpar\r25.1 ", "xtl\rser\r0", "cap\rser\r25.1 ", "rlb"}));

    const auto c = gpla(equalCapacitorDesign(false, 3));
    EXPECT_EQ(c[0], "8");
    EXPECT_EQ(c[2], "945.9");
    EXPECT_EQ(c[13], "100");
    EXPECT_EQ(Lines(c.begin() + 15, c.end()),
              (Lines{"cap\rser\r33.7 ", "xtl\rser\r0", "cap\rpar\r33.7 ", "xtl\rser\r0",
                     "cap\rpar\r33.7 ", "xtl\rser\r0", "cap\rser\r33.7 ", "rlb"}));

    // QER: twice the termination, half the coupling, two crystals in series
    // at the inner positions.
    const auto q = gpla(equalCapacitorDesign(true, 4));
    EXPECT_EQ(q[0], "10");
    EXPECT_EQ(q[2], "1358.8");
    EXPECT_EQ(q[3], "1358.8");
    EXPECT_EQ(q[13], "100");
    EXPECT_EQ(
        Lines(q.begin() + 15, q.end()),
        (Lines{"xtl\rser\r0", "cap\rpar\r16.85", "xtl\rser\r0", "xtl\rser\r0", "cap\rpar\r16.85",
               "xtl\rser\r0", "xtl\rser\r0", "cap\rpar\r16.85", "xtl\rser\r0", "rlb"}));
    EXPECT_EQ(std::count(q.begin() + 15, q.end(), "xtl\rser\r0"), 6);
}

TEST(netlist_test, gpla_sweep_thresholds) {
    const struct {
        bool equalCaps;
        float b3db;
        Lines values; // header lines 10, 11, 13
    } cases[] = {
        {false, 3000, {"-4000", "6000", "1000"}},  {false, 3500, {"-4000", "6000", "1000"}},
        {false, 3501, {"-9000", "11000", "2000"}}, {false, 1500, {"-4000", "6000", "1000"}},
        {false, 1000, {"-2000", "3000", "1000"}},  {false, 600, {"-2000", "3000", "1000"}},
        {false, 599, {"-1500", "2000", "500"}},    {true, 3500, {"-4000", "6000", "1000"}},
        {true, 3600, {"-9000", "11000", "2000"}},  {true, 2000, {"-4000", "6000", "1000"}},
        {true, 1999, {"-2000", "3000", "1000"}},   {true, 1000, {"-2000", "3000", "1000"}},
        {true, 999, {"-1000", "2000", "500"}},
    };
    for (const auto& c : cases) {
        for (bool qer : {false, true}) {
            if (!c.equalCaps && qer) continue;
            auto d = c.equalCaps ? equalCapacitorDesign(qer, 4) : chebyshev8();
            d.state.B3db = c.b3db;
            const auto g = gpla(d);
            EXPECT_EQ((Lines{g[9], g[10], g[12]}), c.values) << c.b3db << " " << qer;
        }
    }
}

TEST(netlist_test, gpla_general_format_header) {
    auto d = chebyshev8();
    d.state.fs = 10700123.5;
    d.state.Lm = 0.050701141234567891;
    const auto g = gpla(d, ',');
    EXPECT_EQ(g[5], "10,7001235");
    EXPECT_EQ(g[6], "0,0507011412345679");
}

// -------------------------------------------------------------- LTspice

TEST(netlist_test, ltspice_chebyshev_8_poles) {
    const std::string rule(37, '*');
    const Lines expected = {
        rule,
        "** 8pole Chebychev, r=1db, b3=3kHz **",
        rule,
        "*----- LTSpice NetList -----\r\n",
        " .subckt xtal 1  2      ;fs= 4998kHz",
        "   Lm   1   3  62mH",
        "   Cm   3   4  16.35521fF",
        "   Rm   4   2  20ohm  ;Xtal Q= 97350",
        "   Cp   1   2  4pF",
        " .ends xtal",
        " ",
        "*Exitation         Input impedance",
        "VIN  100   0   AC  RSER=820.5\r\n",
        "Cs1     100  105    33.2pF",
        "xt_1    105  110    xtal    * ----",
        "Ck1     110    0    27.8pF",
        "xt_2    110  115    xtal    * ----",
        "Ck2     115    0    33.2pF",
        "Cs3     115  120    147.7pF",
        "xt_3    120  125    xtal    * ----",
        "Ck3     125    0    34.2pF",
        "Cs4     125  130    127.8pF",
        "xt_4    130  135    xtal    * ----",
        "Ck4     135    0    34.4pF",
        "Cs5     135  140    127.8pF",
        "xt_5    140  145    xtal    * ----",
        "Ck5     145    0    34.2pF",
        "Cs6     145  150    147.7pF",
        "xt_6    150  155    xtal    * ----",
        "Ck6     155    0    33.2pF",
        "xt_7    155  160    xtal    * ----",
        "Ck7     160    0    27.8pF",
        "xt_8    160  165    xtal    * ----",
        "Cs8     165  170    33.2pF\r\n",
        "RL  170   0   820.5   ;Load impedance",
        ".AC LIN  1000  4995000  5005000",
        ".NET I(RL) VIN       ;for S-Parameters",
        ".End",
    };
    EXPECT_EQ(spice(chebyshev8()), expected);
}

TEST(netlist_test, ltspice_small_ladders) {
    const auto s2 = spice(chebyshev2());
    EXPECT_EQ(section(s2, "Cs1     100  105    20.5pF", ".AC LIN  1000  4995000  5005000"),
              (Lines{"Cs1     100  105    20.5pF", "xt_1    105  110    xtal    * ----",
                     "Ck1     110    0    20.5pF", "xt_2    110  115    xtal    * ----",
                     "Cs2     115  120    20.5pF\r\n", "RL  120   0   820.5   ;Load impedance"}));

    const auto s3 = spice(chebyshev3());
    EXPECT_EQ(section(s3, "Cs1     100  105    25.1pF", ".AC LIN  1000  4995000  5005000"),
              (Lines{"Cs1     100  105    25.1pF", "xt_1    105  110    xtal    * ----",
                     "Ck1     110    0    25.1pF", "xt_2    110  115    xtal    * ----",
                     "Ck2     115    0    25.1pF", "xt_3    115  120    xtal    * ----",
                     "Cs3     120  125    25.1pF\r\n", "RL  125   0   820.5   ;Load impedance"}));
}

TEST(netlist_test, ltspice_long_names_and_values) {
    auto d = chebyshevDesign(14, {27.8f, 33.2f, 34.2f, 34.4f, 34.5f, 34.6f, 1000.3f},
                             {33.2f, 147.7f, 127.8f, 120.0f, 118.0f, 2500.0f},
                             {"27.8 ", "33.2 ", "34.2 ", "34.4 ", "34.5 ", "34.6 ", "1000 "},
                             {"33.2 ", "147.7 ", "127.8 ", "120.0 ", "118.0 ", "2500 "});
    const auto s = spice(d);
    const auto has = [&](const std::string& line) {
        return std::find(s.begin(), s.end(), line) != s.end();
    };
    // Above 1000 pF no decimals; meshes 7 and 8 share Cs7 = 2500 pF.
    EXPECT_TRUE(has("Ck7     165    0    1000pF"));
    EXPECT_TRUE(has("Cs7     155  160    2500pF"));
    EXPECT_TRUE(has("Cs8     165  170    2500pF"));
    EXPECT_TRUE(has("Cs10    185  190    120.0pF"));
    EXPECT_TRUE(has("xt_10   190  195    xtal    * ----"));
    EXPECT_TRUE(has("Cs12    205  210    147.7pF"));
    EXPECT_TRUE(has("xt_13   215  220    xtal    * ----"));
    EXPECT_TRUE(has("Ck13    220    0    27.8pF"));
    EXPECT_TRUE(has("xt_14   220  225    xtal    * ----"));
    EXPECT_TRUE(has("Cs14    225  230    33.2pF\r\n"));
    EXPECT_TRUE(has("RL  230   0   820.5   ;Load impedance"));
    EXPECT_EQ(
        std::count_if(s.begin(), s.end(), [](const std::string& l) { return l.starts_with("Cs"); }),
        12);
    // The number of decimals follows the value, not its rounded text.
    EXPECT_EQ(spiceValue(999.94e-12L, '.'), "    999.9pF");
    EXPECT_EQ(spiceValue(999.97e-12L, '.'), "    1000.0pF");
    EXPECT_EQ(spiceValue(1000.4e-12L, '.'), "    1000pF");
    EXPECT_EQ(spiceValue(1234.6e-12L, ','), "    1235pF");
    EXPECT_EQ(spiceValue(0.0L, '.'), "    0.0pF");

    // The second-half ARD names mirror the first half (Cs7, Ck78).
    const auto a = ard(d);
    EXPECT_TRUE(std::find(a.begin(), a.end(), "Ck78: 1000pF") != a.end());
    EXPECT_TRUE(std::find(a.begin(), a.end(), "Cs7: 2500pF") != a.end());
    EXPECT_TRUE(std::find(a.begin(), a.end(), "cap  260   0 c=Ck78") != a.end());
    EXPECT_TRUE(std::find(a.begin(), a.end(), "cap  270 280 c=Cs7") != a.end());
}

TEST(netlist_test, ltspice_cohn_and_qer_ladders) {
    const auto c = spice(equalCapacitorDesign(false, 4));
    EXPECT_EQ(c[0], std::string(35, '*'));
    EXPECT_EQ(c[1], "*** 4 pole Cohn Filter, b3=3kHz ***");
    EXPECT_EQ(c[3], "*----- LTSpice Netlist ------\r\n");
    EXPECT_EQ(c[4], " .subckt xtal 1   2    ;fs= 4998kHz");
    EXPECT_EQ(c[12], "VIN  100   0   AC  RSER=945.9\r\n");
    EXPECT_EQ(Lines(c.begin() + 13, c.end()),
              (Lines{"Cs1     100  105   33.7pF", "xt_1    105  110   xtal  *----",
                     "Ck1     110    0   33.7pF", "xt_2    110  115   xtal  *----",
                     "Ck2     115    0   33.7pF", "xt_3    115  120   xtal  *----",
                     "Ck3     120    0   33.7pF", "xt_4    120  125   xtal  *----",
                     "Cs4     125  130   33.7pF\r\n", "RL   130   0   945.9   ;Load Impedance",
                     ".AC LIN  1000  4995000  5005000", ".NET I(RL) VIN       ;for S-Parameters",
                     ".End"}));

    const auto q = spice(equalCapacitorDesign(true, 4));
    EXPECT_EQ(q[1], "*** 4 pole QER Filter, b3=3kHz ***");
    EXPECT_EQ(q[0], std::string(34, '*'));
    EXPECT_EQ(
        Lines(q.begin() + 13, q.end() - 3),
        (Lines{"xt_1a   100  105   xtal  *----", "xt_1    100  105   xtal  *----",
               "Ck1     105    0   33.7pF", "xt_2    105  110   xtal  *----",
               "Ck2     110    0   33.7pF", "xt_3    110  115   xtal  *----",
               "Ck3     115    0   33.7pF", "xt_4    115  120   xtal  *----",
               "xt_4a   115  120   xtal  *----\r\n", "RL   120   0   679.4   ;Load Impedance"}));
}

TEST(netlist_test, ltspice_sweep_and_empty_lines) {
    auto d = chebyshev8();
    d.state.fm = 4996400;
    const auto s = spice(d);
    EXPECT_EQ(s[s.size() - 3], ".AC LIN  1000  4991000  5001000");
    for (const auto& design : {chebyshev8(), chebyshev2(), equalCapacitorDesign(false, 5),
                               equalCapacitorDesign(true, 9)}) {
        const auto lines = spice(design);
        const auto withCrLf = std::count_if(
            lines.begin(), lines.end(), [](const std::string& l) { return l.ends_with("\r\n"); });
        EXPECT_EQ(withCrLf, 3);
    }
    // A Butterworth title.
    auto b = chebyshev8();
    b.state.PBripple = 0;
    b.form.setText("AEdit5", "0");
    EXPECT_EQ(spice(b)[1], "** 8pole Butterworth Filter, b3=3kHz **");
}

// --------------------------------------------------- decimal separator

TEST(netlist_test, comma_separator) {
    auto d = chebyshev8();
    auto& f = d.form;
    f.setText("AEdit2", "4998,25");
    f.setText("AEdit3", "4,5");
    f.setText("AEdit4", "2,4");
    f.setText("AEdit5", "0,5");
    f.setText("AEdit8", "12,5");
    f.setText("Label20", "820,5");
    f.setText("Label33", "27,8 ");
    f.setText("Label40", "33,2 ");
    d.state.CmText = "16,35521";
    d.state.LmText = "62,1";
    d.state.Span = 2.5f;

    const auto g = gpla(d, ',');
    EXPECT_EQ(g[2], "820,5");
    EXPECT_EQ(g[7], "4,5");
    EXPECT_EQ(g[15], "cap\rser\r33,2 ");
    EXPECT_EQ(g[17], "cap\rpar\r27,8 ");

    const auto a = ard(d, ',');
    EXPECT_EQ(a[1], ";*** 8 pole Chebychev, r=0.5db, b3=2.4kHz ***");
    EXPECT_EQ(a[4], "imp: 820.5oh   ;filter termination");
    EXPECT_EQ(a[5], "Ck12: 27.8pF");
    EXPECT_EQ(a[10], "Cs1: 33.2pF");
    EXPECT_EQ(a[16], "srx 10 20 r=12.5oh L=62.1mH C=16.35521fF");
    EXPECT_EQ(a[17], "cap 10 20 c=4.5pF");
    EXPECT_EQ(a[18], "xtal: 2por 10 20      ;fs= 4998.25kHz");
    EXPECT_EQ(a[a.size() - 2], "Step 4.999MHz 5.001MHz  6Hz");

    const auto s = spice(d, ',');
    EXPECT_EQ(s[1], "** 8pole Chebychev, r=0.5db, b3=2.4kHz **");
    EXPECT_EQ(s[4], " .subckt xtal 1  2      ;fs= 4998.25kHz");
    EXPECT_EQ(s[5], "   Lm   1   3  62.1mH");
    EXPECT_EQ(s[6], "   Cm   3   4  16.35521fF");
    EXPECT_EQ(s[7], "   Rm   4   2  12.5ohm  ;Xtal Q= 97350");
    EXPECT_EQ(s[8], "   Cp   1   2  4.5pF");
    EXPECT_EQ(s[12], "VIN  100   0   AC  RSER=820.5\r\n");
    EXPECT_EQ(s[13], "Cs1     100  105    33.2pF");

    // The Cohn ARD title keeps the bandwidth as typed; QER's does not.
    auto c = equalCapacitorDesign(false, 4);
    c.form.setText("AEdit4", "2,4");
    c.form.setText("Label20", "945,9");
    c.form.setText("Label33", "33,7 ");
    EXPECT_EQ(ard(c, ',')[1], ";*** 4 pole Cohn Filter; b3=2,4kHz ***");
    EXPECT_EQ(spice(c, ',')[1], "*** 4 pole Cohn Filter, b3=2.4kHz ***");
    EXPECT_EQ(spice(c, ',')[12], "VIN  100   0   AC  RSER=945.9\r\n");
    auto q = equalCapacitorDesign(true, 4);
    q.form.setText("AEdit4", "2,4");
    q.form.setText("Label20", "679,4");
    q.form.setText("Label33", "33,7 ");
    EXPECT_EQ(ard(q, ',')[1], ";*** 4 pole QER Filter, b3=2.4kHz ***");
    const auto qg = gpla(q, ',');
    EXPECT_EQ(qg[2], "1358,8");
    EXPECT_EQ(qg[16], "cap\rpar\r16,85");
}

} // namespace
