#pragma once
// The main window's working values, rewritten by every calculation. The
// precision of each member is part of the design: single precision where the
// values are stored as such, so that the last printed digit comes out right.

#include <array>
#include <cstdint>
#include <string>

namespace korvan {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

namespace colors {
inline constexpr Rgb black{0, 0, 0};
inline constexpr Rgb white{255, 255, 255};
inline constexpr Rgb red{255, 0, 0};
inline constexpr Rgb blue{0, 0, 255};
inline constexpr Rgb maroon{128, 0, 0};
inline constexpr Rgb green{0, 128, 0};
inline constexpr Rgb teal{0, 128, 128};
inline constexpr Rgb navy{0, 0, 128};
} // namespace colors

struct PlotColours {
    Rgb background{255, 255, 224};
    Rgb grid{192, 192, 192};
    Rgb s21{0, 0, 255};
    Rgb s11{255, 0, 0};
    Rgb vswr{192, 96, 48};
    Rgb ultAttn{0, 128, 0};
    Rgb cursor{255, 0, 255};
    friend bool operator==(const PlotColours&, const PlotColours&) = default;
};

inline constexpr int kMaxPoles = 14;
inline constexpr int kArraySize = 15;     // element arrays are indexed 1..15
inline constexpr int kSweepSamples = 501; // samples 0..500 across the span

struct DesignState {
    // Inputs (Hz, F, dB; the span in kHz).
    bool StopCalc = false;
    double fs = 0;
    double Cp = 0;
    double PBripple = 0;
    float B3db = 0;
    int Poles = 0;
    float Span = 0;
    bool IsCohn = false;
    bool IsQER = false;

    // Crystal.
    double Lm = 0;
    double Cm = 0;
    std::string LmText;
    std::string CmText;
    double fp = 0;

    // Chebyshev prototype terms.
    double eps2 = 0;
    double epsInv = 0;
    double sinhTerm = 0;
    double coshTerm = 0;

    // Normalized prototype; index 0 unused.
    double q1inv = 0;
    std::array<double, kArraySize + 1> k{};
    std::array<double, kArraySize + 1> QerK{};
    std::array<double, kArraySize + 1> QerZ{};

    // Position and impedance level.
    float Bmax = 0;
    double fm = 0;
    double xNorm = 0;
    float Zterm = 0;
    float fMesh = 0;

    // Ladder elements in F; index 0 unused, 0 means no capacitor.
    std::array<float, kArraySize + 1> Ck{};
    std::array<float, kArraySize + 1> Cs{};

    // Working values of one ladder analysis.
    double fEval = 0;
    double omega = 0;
    double ZxRe = 0, ZxIm = 0;
    double ZxHalfRe = 0, ZxHalfIm = 0;
    double S11dB = 0;
    float VSWR = 0;
    double S21dB = 0;

    // Results of one sweep.
    std::array<float, kSweepSamples> RespS21{};
    std::array<float, kSweepSamples> RespS11{};
    std::array<float, kSweepSamples> RespVSWR{};
    double Qu = 0; // 1e20 when the crystal is lossless
    double ILmin = 0;
    float UltAttn = 0;
    int UltAttnLineY = 0; // row of the attenuation line in the 10 dB/div scale

    // The values behind the offset labels Label46..51 and the bandwidth
    // labels Label21..26 [Hz], unrounded; index 1..6, valid where the label
    // shows a number.
    std::array<double, 7> OffsetHz{};
    std::array<double, 7> BandwidthHz{};

    // Plot state kept for the whole run.
    PlotColours colours;
    bool Scale10dB = true;
    int CursorX = -1;
};

// The pole count as far as the element arrays reach. A rejected input can
// leave any integer in Poles (values read before the failing one stay), so
// whatever sizes or indexes by it outside the pipeline goes through this.
inline int polesWithinArrays(const DesignState& state) {
    return state.Poles < 0 ? 0 : (state.Poles > kMaxPoles ? kMaxPoles : state.Poles);
}

} // namespace korvan
