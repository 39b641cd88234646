#include "designer/ladder_files.h"

#include "analysis/ngspice_deck.h"

namespace korvan::designer {

namespace {

analysis::ComplexResponse finiteResponse(const LadderDesign& d, const analysis::SweepSpan& span,
                                         std::optional<double> refOhm) {
    auto response = analysis::sweepLadder(d.ladder(true), span, ladderPorts(d, refOhm));
    if (!response.finite()) throw DesignError("the response is not finite: no file written");
    return response;
}

} // namespace

std::vector<std::string> ladderDescription(const LadderDesign& d, const std::string& programLine) {
    using analysis::exactNumber;
    return {programLine + ": ladder designed from " + std::to_string(d.positions.size()) +
                " measured crystals",
            "Family: " + shapeText(d.shape) +
                ", compensation: " + std::string(compensationName(d.compensation)),
            "Design: centre " + exactNumber(d.designHz) + " Hz, 3 dB bandwidth " +
                exactNumber(d.wantedBandwidthHz) + " Hz, source " + exactNumber(d.sourceOhm) +
                " Ohm, load " + exactNumber(d.loadOhm) + " Ohm",
            "Each crystal with its Rm; plain ladder without any display allowance"};
}

analysis::SweepSpan defaultLadderSpan(const LadderDesign& d, int points) {
    return {d.designHz - 2.5 * d.wantedBandwidthHz, d.designHz + 2.5 * d.wantedBandwidthHz, points};
}

analysis::PortReference ladderPorts(const LadderDesign& d, std::optional<double> refOhm) {
    if (refOhm) return {*refOhm, *refOhm};
    return {d.sourceOhm, d.loadOhm};
}

std::string ladderTouchstone(const LadderDesign& d, const analysis::SweepSpan& span,
                             std::optional<double> refOhm, analysis::TouchstoneFormat format,
                             const std::string& programLine) {
    const auto response = finiteResponse(d, span, refOhm);
    const auto comments = ladderDescription(d, programLine);
    return response.reference.port1Ohm == response.reference.port2Ohm
               ? analysis::touchstoneText(response, format, comments)
               : analysis::touchstone2Text(response, format, comments);
}

std::string ladderResponseCsv(const LadderDesign& d, const analysis::SweepSpan& span,
                              std::optional<double> refOhm) {
    return analysis::responseCsvText(finiteResponse(d, span, refOhm));
}

std::string ladderNgspiceDeck(const LadderDesign& d, const analysis::SweepSpan& span,
                              std::optional<double> refOhm, const std::string& deckFile,
                              const std::string& programLine) {
    const auto ports = ladderPorts(d, refOhm);
    auto comments = ladderDescription(d, programLine);
    if (ports.port1Ohm != ports.port2Ohm)
        comments.push_back("Both ports referred to the source termination");
    return analysis::ngspiceDeck(d.ladder(true), span, ports.port1Ohm, comments,
                                 analysis::ngspiceResultName(deckFile));
}

} // namespace korvan::designer
