#include "cli/json_report.h"

#include "analysis/design_outcome.h"
#include "cli/design_json.h"
#include "cli/exact_report.h"
#include "response/sweep.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace korvan::cli {

namespace {

using json = nlohmann::ordered_json;

std::vector<std::string> labelRange(std::initializer_list<std::pair<int, int>> ranges) {
    std::vector<std::string> names;
    for (const auto& [first, last] : ranges)
        for (int i = first; i <= last; ++i) names.push_back(FormModel::label(i));
    return names;
}

// Elements 1..count of an element array (index 0 is unused).
template <typename T, std::size_t N> json elements(const std::array<T, N>& values, int count) {
    json out = json::array();
    count = std::clamp(count, 0, static_cast<int>(N) - 1);
    for (int i = 1; i <= count; ++i) out.push_back(static_cast<double>(values[i]));
    return out;
}

template <typename T, std::size_t N> json samples(const std::array<T, N>& values) {
    json out = json::array();
    for (const auto v : values) out.push_back(static_cast<double>(v));
    return out;
}

// The state as the outcome holds it, or, when the calculation stopped, as
// far as it got.
json stateJson(const MainForm& form) {
    const analysis::DesignOutcome* outcome = form.outcome().get();
    const DesignState& s = outcome ? outcome->state() : form.state();
    const int n = polesWithinArrays(s);
    const analysis::LabelValues shownOffsets =
        outcome ? outcome->labelOffsetsHz()
                : analysis::labelOffsetsHz(s, form.form(), form.separator());
    const analysis::LabelValues shownBandwidths =
        outcome ? outcome->labelBandwidthsHz()
                : analysis::labelBandwidthsHz(s, form.form(), form.separator());
    json offsets = json::array();
    for (const auto& offset : shownOffsets)
        if (offset) offsets.push_back(*offset);

    return json{
        {"fs", s.fs},
        {"Cp", s.Cp},
        {"PBripple", s.PBripple},
        {"B3db", static_cast<double>(s.B3db)},
        {"Poles", s.Poles},
        {"Span", static_cast<double>(s.Span)},
        {"IsCohn", s.IsCohn},
        {"IsQER", s.IsQER},
        {"Lm", s.Lm},
        {"Cm", s.Cm},
        {"fp", s.fp},
        {"q1inv", s.q1inv},
        {"k", elements(s.k, n - 1)},
        {"Bmax", static_cast<double>(s.Bmax)},
        {"fm", s.fm},
        {"xNorm", s.xNorm},
        {"Zterm", static_cast<double>(s.Zterm)},
        {"fMesh", static_cast<double>(s.fMesh)},
        {"Ck", elements(s.Ck, n - 1)},
        {"Cs", elements(s.Cs, n)},
        {"ILmin", s.ILmin},
        {"UltAttn", static_cast<double>(s.UltAttn)},
        {"StopCalc", s.StopCalc},
        {"Qu", s.Qu},
        {"offsets", offsets},
        {"bandwidths", labelBandwidthsJson(shownBandwidths)},
    };
}

json sweepJson(const MainForm& form) {
    const analysis::DesignOutcome* outcome = form.outcome().get();
    const DesignState& s = outcome ? outcome->state() : form.state();
    return json{{"f", outcome ? outcome->sweepHz() : response::sweepFrequencies(s)},
                {"S21", samples(s.RespS21)},
                {"S11", samples(s.RespS11)},
                {"VSWR", samples(s.RespVSWR)}};
}

} // namespace

const std::vector<std::string>& calculatedLabels() {
    static const std::vector<std::string> names =
        labelRange({{7, 10}, {15, 16}, {19, 26}, {33, 51}, {78, 82}, {84, 87}, {90, 91}});
    return names;
}

const std::vector<std::string>& colouredLabels() {
    static const std::vector<std::string> names = labelRange({{20, 20}, {33, 51}, {84, 86}});
    return names;
}

std::string colourText(Rgb colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.r, colour.g, colour.b);
    return text;
}

nlohmann::ordered_json designJson(const MainForm& form, const StreamMessages& messages,
                                  const std::vector<std::filesystem::path>& exported,
                                  bool withSweep) {
    const auto& model = form.form();

    json fields = json::object();
    for (int i = 1; i <= 8; ++i) fields[FormModel::edit(i)] = model.text(FormModel::edit(i));

    json labels = json::object();
    for (const auto& name : calculatedLabels()) labels[name] = model.text(name);

    json colours = json::object();
    for (const auto& name : colouredLabels())
        if (const auto* control = model.find(name); control && control->fontColor)
            colours[name] = colourText(*control->fontColor);

    json shown = json::array();
    for (const auto& box : messages.shown())
        shown.push_back({{"title", box.message.title},
                         {"text", withLineBreaks(box.message.text)},
                         {"answer", toString(box.answer)}});

    json files = json::array();
    for (const auto& path : exported) files.push_back(path.string());

    json out = {{"fields", fields},         {"labels", labels},  {"colors", colours},
                {"state", stateJson(form)}, {"messages", shown}, {"exported", files}};
    out["design"] = namedDesignJson(form.outcome().get());
    out["exact"] = exactJson(form.outcome().get());
    if (withSweep) out["sweep"] = sweepJson(form);
    return out;
}

} // namespace korvan::cli
