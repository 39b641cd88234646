#include "analysis/response_export.h"

#include "model/text_file.h"
#include "numeric/number_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace korvan::analysis {

namespace {

constexpr const char* kProgram = "KORVAN Vers. 3.0.2.3";

std::string typeText(const DesignState& s) {
    if (s.IsQER) return "QER";
    if (s.IsCohn) return "Cohn";
    if (s.PBripple > 0) return "Chebyshev, ripple " + exactNumber(s.PBripple) + " dB";
    return "Butterworth";
}

// A reflection of exactly 0 would be -inf dB; -400 dB reads as "none" in
// every tool and stays a number.
double boundedDb(Complex x) {
    return std::max(magnitudeDb(x), -400.0);
}

void appendPair(std::string& line, Complex x, TouchstoneFormat format) {
    double first = 0, second = 0;
    switch (format) {
    case TouchstoneFormat::DB:
        first = boundedDb(x);
        second = phaseDeg(x);
        break;
    case TouchstoneFormat::MA:
        first = std::abs(x);
        second = phaseDeg(x);
        break;
    case TouchstoneFormat::RI:
        first = x.real();
        second = x.imag();
        break;
    }
    line += ' ';
    line += exactNumber(first);
    line += ' ';
    line += exactNumber(second);
}

} // namespace

std::string exactNumber(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string exactNumber(float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::optional<TouchstoneFormat> parseTouchstoneFormat(std::string_view text) {
    std::string lower;
    for (const char c : text)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "db") return TouchstoneFormat::DB;
    if (lower == "ma") return TouchstoneFormat::MA;
    if (lower == "ri") return TouchstoneFormat::RI;
    return std::nullopt;
}

std::vector<std::string> designDescription(const DesignState& s, double rmOhm) {
    return {
        std::string(kProgram) + ": designed response of a crystal ladder filter",
        "Type: " + typeText(s) + ", " + std::to_string(s.Poles) + " poles",
        "Crystal: fs = " + exactNumber(s.fs) + " Hz, Lm = " + exactNumber(s.Lm) +
            " H, Cm = " + exactNumber(s.Cm) + " F, Cp = " + exactNumber(s.Cp) +
            " F, Rm = " + exactNumber(rmOhm) + " Ohm",
        "Wanted B3db = " + exactNumber(s.B3db) + " Hz, span = " + exactNumber(s.Span) + " kHz",
        "Design: fm = " + exactNumber(s.fm) + " Hz, Zterm = " + exactNumber(s.Zterm) + " Ohm",
        "Plain ladder: no display allowance is added to the loss",
    };
}

std::string pictureCaption(const DesignState& s, double referenceOhm, char sep) {
    const auto fixed = [sep](double v, int decimals) {
        return numeric::formatFixed(v, 15, decimals, sep);
    };
    std::string type = s.IsQER    ? "QER"
                       : s.IsCohn ? "Cohn"
                       : s.PBripple > 0
                           ? "Chebyshev " + numeric::formatGeneral(s.PBripple, sep) + " dB"
                           : "Butterworth";
    std::string text = std::string(kProgram) + "  " + type + ", " + std::to_string(s.Poles) +
                       " poles, fm " + fixed(s.fm * 0.001, 3) + " kHz, B3db " +
                       fixed(s.B3db * 0.001, 3) + " kHz, Zterm " + fixed(s.Zterm, 1) + " Ohm";
    if (std::fabs(referenceOhm - s.Zterm) > 1e-6 * s.Zterm)
        text += " (chart referred to " + numeric::formatGeneral(referenceOhm, sep) + " Ohm)";
    return text;
}

namespace {

// The option line of both versions: "# Hz S DB R 50".
std::string optionLine(TouchstoneFormat format, double referenceOhm) {
    const char* name = format == TouchstoneFormat::DB   ? "DB"
                       : format == TouchstoneFormat::MA ? "MA"
                                                        : "RI";
    return std::string("# Hz S ") + name + " R " + exactNumber(referenceOhm);
}

// One line per frequency: f, S11, S21, S12, S22 (the order of both versions
// for a two-port).
void appendNetworkData(std::vector<std::string>& lines, const ComplexResponse& r,
                       TouchstoneFormat format) {
    for (std::size_t i = 0; i < r.size(); ++i) {
        std::string line = exactNumber(r.fHz[i]);
        const SParameters& s = r.s[i];
        appendPair(line, s.s11, format);
        appendPair(line, s.s21, format);
        appendPair(line, s.s12, format);
        appendPair(line, s.s22, format);
        lines.push_back(std::move(line));
    }
}

} // namespace

std::string touchstoneText(const ComplexResponse& r, TouchstoneFormat format,
                           const std::vector<std::string>& comments) {
    std::vector<std::string> lines;
    lines.reserve(r.size() + comments.size() + 2);
    for (const auto& c : comments) lines.push_back("! " + c);
    lines.push_back(optionLine(format, r.reference.port1Ohm));
    lines.push_back(format == TouchstoneFormat::RI
                        ? "! f[Hz] ReS11 ImS11 ReS21 ImS21 ReS12 ImS12 ReS22 ImS22"
                        : "! f[Hz] S11 S21 S12 S22 (magnitude, angle [deg])");
    appendNetworkData(lines, r, format);
    return joinCrLf(lines);
}

std::string touchstone2Text(const ComplexResponse& r, TouchstoneFormat format,
                            const std::vector<std::string>& comments) {
    std::vector<std::string> lines;
    lines.reserve(r.size() + comments.size() + 8);
    for (const auto& c : comments) lines.push_back("! " + c);
    lines.push_back("[Version] 2.0");
    lines.push_back(optionLine(format, r.reference.port1Ohm));
    lines.push_back("[Number of Ports] 2");
    lines.push_back("[Two-Port Data Order] 21_12");
    lines.push_back("[Number of Frequencies] " + std::to_string(r.size()));
    lines.push_back("[Reference] " + exactNumber(r.reference.port1Ohm) + " " +
                    exactNumber(r.reference.port2Ohm));
    lines.push_back("[Network Data]");
    appendNetworkData(lines, r, format);
    lines.push_back("[End]");
    return joinCrLf(lines);
}

std::string responseCsvText(const ComplexResponse& r) {
    std::vector<std::string> lines;
    lines.reserve(r.size() + 1);
    lines.push_back("f_Hz,S21_dB,S21_phase_deg,S11_dB,VSWR,group_delay_s");
    for (std::size_t i = 0; i < r.size(); ++i) {
        const SParameters& s = r.s[i];
        lines.push_back(exactNumber(r.fHz[i]) + ',' + exactNumber(boundedDb(s.s21)) + ',' +
                        exactNumber(phaseDeg(s.s21)) + ',' + exactNumber(boundedDb(s.s11)) + ',' +
                        exactNumber(vswr(s.s11)) + ',' + exactNumber(s.groupDelayS));
    }
    return joinCrLf(lines);
}

} // namespace korvan::analysis
