#include "cli/tolerance_command.h"

#include "analysis/tolerance.h"
#include "app/main_form.h"
#include "cli/cli_options.h"
#include "cli/headless_design.h"
#include "cli/stream_messages.h"
#include "model/clipboard.h"
#include "numeric/number_text.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace korvan::cli {

namespace {

using namespace analysis;
using Json = nlohmann::ordered_json;

constexpr const char* kDescription =
    "korvan-cli tolerance: the filter designed from the design options (as for korvan-cli), "
    "then N trials with random deviations of every crystal, capacitor and termination. "
    "Reports mean, standard deviation and the 5th, 50th and 95th percentile of insertion "
    "loss, ripple, the 3, 6, 20 and 60 dB bandwidths and the centre shift, the yield against "
    "the limits given, and the envelope of S21 (--json).";

constexpr const char* kFooter =
    "Design options: --config, --type, --lm, --cm, --fs, --cp, --bw, --ripple, --poles, --span,\n"
    "--rm, --yes and --decimal-separator, as described by korvan-cli --help.\n"
    "Percent spreads are one standard deviation (--tol-dist normal) or the half-width of an\n"
    "even spread (--tol-dist uniform). A trial whose ladder cannot be built (a value driven to\n"
    "0 or below) or whose 3 dB band leaves the span counts as failed. Bandwidths are the\n"
    "distance between the outermost crossings of IL + X dB, interpolated between samples;\n"
    "a level not crossed inside the span leaves that bandwidth out of that trial.\n"
    "\n"
    "--limit-bw is measured against the 3 dB bandwidth asked of the design (B3db), or with\n"
    "--bw-reference nominal against the nominal design's own. IL includes the 0.05 dB the\n"
    "window's loss labels add for a crystal of Qu below 300000.\n"
    "\n"
    "Exit codes: 0 done, 1 design or tolerance input rejected, 2 usage error, 3 fault.\n"
    "With --json a refusal prints an object whose messages say why.\n"
    "\n"
    "Example:\n"
    "  korvan-cli tolerance --poles 8 --trials 10000 --fs-sigma 20 --cap-tol 2 --series E24 \\\n"
    "      --limit-ripple 1.5 --limit-bw 5\n";

struct Inputs {
    long long trials = 1000;
    std::uint64_t seed = 1;
    int threads = 0;
    std::optional<double> fsSigma, fsRange;
    double lm = 0, rm = 0, cp = 0, cap = 0, term = 0;
    std::string dist = "normal";
    std::string series;
    bool pairs = false;
    std::optional<double> limitRipple, limitBw, limitIl, limitShift;
    std::string bwReference = "asked";
    bool json = false;
};

Json number(const std::optional<double>& v) {
    return v ? Json(*v) : Json(nullptr);
}

Json figuresJson(const ToleranceResult& r) {
    Json figures = Json::object();
    for (int f = 0; f < kFigureCount; ++f) {
        const FigureStats& s = r.stats[static_cast<std::size_t>(f)];
        if (s.count == 0) {
            figures[std::string(figureKey(Figure(f)))] = nullptr;
            continue;
        }
        figures[std::string(figureKey(Figure(f)))] = {
            {"mean", s.mean}, {"std", s.std}, {"p5", s.p5}, {"p50", s.p50}, {"p95", s.p95}};
    }
    return figures;
}

// Ck and Cs in the order and length of the design report's state.Ck
// (Ck12, Ck23, ...) and state.Cs (one per mesh, 0 where there is none).
Json standardJson(const StandardChoice& choice, const StandardLadder& snapped,
                  const std::optional<ResponseFigures>& figures) {
    Json ck = Json::array(), cs = Json::array();
    for (const SnappedCapacitor& c : snapped.coupling) ck.push_back(c.snappedF());
    for (const SnappedCapacitor& c : snapped.tuning) cs.push_back(c.snappedF());
    Json j = {{"series", standardChoiceName(choice)}, {"Ck", ck}, {"Cs", cs}};
    for (int f = 0; f < kFigureCount; ++f)
        j[std::string(figureKey(Figure(f)))] =
            figures ? number(figures->value[static_cast<std::size_t>(f)]) : Json(nullptr);
    return j;
}

Json messagesJson(const StreamMessages& messages, const std::vector<std::string>& refusals) {
    Json out = Json::array();
    for (const auto& shown : messages.shown())
        out.push_back({{"title", shown.message.title},
                       {"text", withLineBreaks(shown.message.text)},
                       {"answer", toString(shown.answer)}});
    for (const auto& text : refusals)
        out.push_back({{"title", "Error"}, {"text", text}, {"answer", "OK"}});
    return out;
}

// The object of a run that was refused: every result null, the messages
// saying why.
void printRefusal(const StreamMessages& messages, const std::vector<std::string>& refusals,
                  std::uint64_t seed) {
    Json j;
    for (const char* key : {"trials", "failed"}) j[key] = nullptr;
    j["seed"] = seed;
    for (const char* key : {"figures", "yield", "envelope", "standard_values", "nominal", "limits"})
        j[key] = nullptr;
    j["messages"] = messagesJson(messages, refusals);
    std::cout << j.dump(2) << '\n';
}

constexpr std::pair<LimitKind, const char*> kLimitKeys[] = {
    {LimitKind::Ripple, "ripple"},
    {LimitKind::Bw3, "bw3"},
    {LimitKind::Il, "IL"},
    {LimitKind::CentreShift, "centre_shift"}};

Json limitsJson(const ToleranceLimits& lim, const ResponseFigures& nominal) {
    const double nominalBw3 = *nominal.value[kBw3];
    Json within = Json::object();
    for (const auto& [kind, key] : kLimitKeys) {
        const auto keeps = keepsLimit(nominal, lim, kind, nominalBw3);
        within[key] = keeps ? Json(*keeps) : Json(nullptr);
    }
    Json window = nullptr;
    if (lim.bw3Pct) {
        const auto [low, high] = bw3Window(lim, nominalBw3);
        window = Json::array({low, high});
    }
    return {{"ripple_max_dB", number(lim.rippleMaxDb)},
            {"bw3_pct", number(lim.bw3Pct)},
            {"bw3_reference", lim.bw3ReferenceHz ? "asked" : "nominal"},
            {"bw3_reference_Hz", lim.bw3ReferenceHz.value_or(nominalBw3)},
            {"bw3_window_Hz", window},
            {"IL_max_dB", number(lim.ilMaxDb)},
            {"centre_shift_Hz", number(lim.centreShiftHz)},
            {"nominal_within", within}};
}

class Report {
  public:
    Report(std::ostream& out, char separator) : out_(out), sep_(separator) {}

    std::string fixed(double v, int decimals) const {
        return numeric::formatFixed(v, 15, decimals, sep_);
    }
    std::string value(const std::optional<double>& v, int decimals) const {
        return v ? fixed(*v, decimals) : "-";
    }
    void row(const std::string& caption, const std::vector<std::string>& cells) {
        out_ << "  " << std::left << std::setw(20) << caption;
        for (const auto& c : cells) out_ << std::right << std::setw(11) << c;
        out_ << '\n';
    }

    std::ostream& out_;
    char sep_;
};

std::string capacitorText(const Report& rep, const SnappedCapacitor& c) {
    std::string t = rep.fixed(c.designedF * 1e12, 2) + " pF  ->  " + rep.fixed(c.largerF * 1e12, 2);
    if (c.smallerF > 0) t += " + " + rep.fixed(c.smallerF * 1e12, 2);
    return t + " pF";
}

void writeReport(std::ostream& out, char sep, const ToleranceJob& job, const ToleranceResult& r,
                 const std::optional<StandardLadder>& snapped) {
    Report rep(out, sep);
    out << "Tolerance analysis: " << r.completed << " trials, seed " << r.seed << ", " << r.threads
        << (r.threads == 1 ? " thread" : " threads") << '\n';
    // The spreads, so that a saved report says what it was made from.
    const ToleranceSpreads& sp = job.spreads;
    const auto spread = [&](const char* what, const Spread& s, const char* unit) {
        return std::string(what) + " " +
               (s.distribution == Distribution::Uniform ? "+-" : "sigma ") +
               rep.fixed(s.amount, 2) + unit;
    };
    out << "  spreads:       " << spread("fs", sp.fsHz, " Hz") << ", "
        << spread("Lm", sp.lmPct, " %") << ", " << spread("Rm", sp.rmPct, " %") << ", "
        << spread("Cp", sp.cpPct, " %") << ",\n                 "
        << spread("Ck/Cs", sp.capPct, " %") << ", " << spread("terminations", sp.termPct, " %")
        << "; capacitors "
        << (job.standard ? "from " + standardChoiceName(*job.standard) : std::string("ideal"))
        << '\n';
    out << "  failed trials: " << r.failed << '\n';
    out << "  yield:         " << rep.fixed(100 * r.yield(), 1) << " %";
    std::vector<std::string> limits;
    const auto& lim = job.limits;
    if (lim.rippleMaxDb) limits.push_back("ripple <= " + rep.fixed(*lim.rippleMaxDb, 2) + " dB");
    if (lim.bw3Pct)
        limits.push_back("3 dB bandwidth within +-" + rep.fixed(*lim.bw3Pct, 2) + " % of " +
                         rep.fixed(lim.bw3ReferenceHz.value_or(*r.nominal.value[kBw3]), 1) +
                         (lim.bw3ReferenceHz ? " Hz asked (B3db)" : " Hz of the nominal design"));
    if (lim.ilMaxDb) limits.push_back("IL <= " + rep.fixed(*lim.ilMaxDb, 2) + " dB");
    if (lim.centreShiftHz)
        limits.push_back("centre shift within +-" + rep.fixed(*lim.centreShiftHz, 1) + " Hz");
    if (limits.empty()) limits.push_back("no limits: every trial that did not fail");
    for (std::size_t i = 0; i < limits.size(); ++i) out << (i == 0 ? "  (" : ", ") << limits[i];
    out << ")\n";
    // The nominal design against the limits: a limit it fails itself caps
    // the yield, and says more about the design than about the spreads.
    std::vector<std::string> outside;
    const double nominalBw3 = *r.nominal.value[kBw3];
    const char* names[] = {"ripple", "3 dB bandwidth", "IL", "centre shift"};
    for (std::size_t i = 0; i < std::size(kLimitKeys); ++i)
        if (keepsLimit(r.nominal, lim, kLimitKeys[i].first, nominalBw3) == false)
            outside.push_back(names[i]);
    if (!outside.empty()) {
        out << "  The nominal design itself is outside the limit of its";
        for (std::size_t i = 0; i < outside.size(); ++i)
            out << (i == 0 ? " " : i + 1 == outside.size() ? " and " : ", ") << outside[i];
        out << ".\n";
    }
    if (r.nominal.value[kIL] && job.design.allowanceDb > 0)
        out << "  IL includes the " << rep.fixed(job.design.allowanceDb, 2)
            << " dB that the main window's loss labels add.\n";
    out << '\n';

    const char* captions[kFigureCount] = {"IL [dB]",          "ripple [dB]",   "BW 3 dB [Hz]",
                                          "BW 6 dB [Hz]",     "BW 20 dB [Hz]", "BW 60 dB [Hz]",
                                          "centre shift [Hz]"};
    const int decimals[kFigureCount] = {3, 3, 1, 1, 1, 1, 1};
    std::vector<std::string> head{"nominal"};
    if (r.standard) head.push_back("standard");
    for (const char* h : {"mean", "std", "p5", "p50", "p95", "reached"}) head.push_back(h);
    rep.row("", head);
    for (int f = 0; f < kFigureCount; ++f) {
        const auto i = static_cast<std::size_t>(f);
        const FigureStats& s = r.stats[i];
        std::vector<std::string> cells{rep.value(r.nominal.value[i], decimals[f])};
        if (r.standard) cells.push_back(rep.value(r.standard->value[i], decimals[f]));
        if (s.count > 0)
            for (double v : {s.mean, s.std, s.p5, s.p50, s.p95})
                cells.push_back(rep.fixed(v, decimals[f]));
        else
            cells.insert(cells.end(), 5, "-");
        cells.push_back(std::to_string(s.count));
        rep.row(captions[f], cells);
    }

    if (snapped && job.standard) {
        out << "\nStandard values (" << standardChoiceName(*job.standard) << "):\n";
        for (std::size_t i = 0; i < snapped->coupling.size(); ++i)
            out << "  " << std::left << std::setw(7)
                << analysis::couplingName(static_cast<int>(i) + 1)
                << capacitorText(rep, snapped->coupling[i]) << '\n';
        for (std::size_t i = 0; i < snapped->tuning.size(); ++i)
            if (snapped->tuning[i].designedF > 0)
                out << "  " << std::left << std::setw(7) << ("Cs" + std::to_string(i + 1))
                    << capacitorText(rep, snapped->tuning[i]) << '\n';
        if (!r.standard) out << "  The standard-value design's 3 dB band leaves the span.\n";
    }
    out << "\nThe envelope of S21 across the span is part of the --json output.\n";
}

} // namespace

int runToleranceCommand(int argc, const char* const* argv) {
    CLI::App app{kDescription, "korvan-cli tolerance"};
    app.allow_extras();
    app.footer(kFooter);
    app.get_formatter()->column_width(30);
    Inputs in;
    app.add_option("--trials", in.trials, "Number of trials, 1 to 1000000 (default 1000)")
        ->type_name("N");
    app.add_option("--seed", in.seed, "Seed of the random deviations (default 1)")->type_name("S");
    app.add_option("--threads", in.threads, "Threads to run on (default 0: all cores)")
        ->type_name("N");
    auto* sigma = app.add_option("--fs-sigma", in.fsSigma,
                                 "Crystal series frequency, normal spread: sigma [Hz]")
                      ->type_name("HZ");
    auto* range = app.add_option("--fs-range", in.fsRange,
                                 "Crystal series frequency, even spread over +-HZ [Hz]")
                      ->type_name("HZ");
    sigma->excludes(range);
    app.add_option("--lm-tol", in.lm, "Crystal Lm spread [%], at the crystal's own fs")
        ->type_name("PCT");
    app.add_option("--rm-tol", in.rm, "Crystal Rm spread [%]")->type_name("PCT");
    app.add_option("--cp-tol", in.cp, "Crystal Cp spread [%]")->type_name("PCT");
    app.add_option("--cap-tol", in.cap, "Spread of every Ck and Cs [%]")->type_name("PCT");
    app.add_option("--term-tol", in.term, "Spread of each termination resistance [%]")
        ->type_name("PCT");
    app.add_option("--tol-dist", in.dist,
                   "How the percent spreads are meant: normal (one sigma, default) or uniform "
                   "(+- bound)")
        ->type_name("normal|uniform")
        ->check(CLI::IsMember({"normal", "uniform"}).description(""));
    app.add_option("--series", in.series,
                   "Build from standard capacitor values of this series before the deviations")
        ->type_name("E6|E12|E24|E48|E96")
        ->check(
            CLI::IsMember({"E6", "E12", "E24", "E48", "E96"}, CLI::ignore_case).description(""));
    app.add_flag("--pairs", in.pairs, "With --series: two values in parallel per capacitor");
    app.add_option("--limit-ripple", in.limitRipple, "Yield limit: ripple at most DB")
        ->type_name("DB");
    app.add_option("--limit-bw", in.limitBw,
                   "Yield limit: 3 dB bandwidth within +-PCT of the one asked (B3db)")
        ->type_name("PCT");
    app.add_option("--bw-reference", in.bwReference,
                   "What --limit-bw is measured against: asked (B3db, default) or nominal (the "
                   "nominal design's 3 dB bandwidth)")
        ->type_name("asked|nominal")
        ->check(CLI::IsMember({"asked", "nominal"}).description(""));
    app.add_option("--limit-il", in.limitIl, "Yield limit: insertion loss at most DB")
        ->type_name("DB");
    app.add_option("--limit-shift", in.limitShift, "Yield limit: centre shift within +-HZ")
        ->type_name("HZ");
    app.add_flag("--json", in.json,
                 "Print one JSON object (trials, failed, seed, figures, yield, envelope, "
                 "standard_values, nominal, limits, messages) instead of the report");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e, std::cout, std::cerr) == 0 ? kExitDone : kExitUsage;
    }
    if (in.pairs && in.series.empty()) {
        std::cerr << "korvan-cli tolerance: --pairs needs --series\n";
        return kExitUsage;
    }

    // The rest are the design's options.
    std::vector<std::string> rest = app.remaining();
    std::vector<const char*> designArgs{"korvan-cli"};
    for (const auto& a : rest) designArgs.push_back(a.c_str());
    std::ostringstream designHelp;
    const auto parsed =
        parseOptions(static_cast<int>(designArgs.size()), designArgs.data(), designHelp, std::cerr);
    if (const int* code = std::get_if<int>(&parsed)) return *code == kExitDone ? kExitUsage : *code;
    const CliOptions& options = std::get<CliOptions>(parsed);
    if (options.sweep || options.exportNetlists) {
        std::cerr << "korvan-cli tolerance: --sweep and --export belong to the design run\n";
        return kExitUsage;
    }

    std::error_code ec;
    const auto workingFolder = std::filesystem::current_path(ec);
    if (ec) {
        std::cerr << "korvan-cli tolerance: the working folder cannot be read: " << ec.message()
                  << '\n';
        return kExitUsage;
    }
    StreamMessages messages(std::cerr, options.yes);
    RecordingClipboard clipboard;
    MainForm form(messages, clipboard, workingFolder, options.separator);
    const DesignRun run = runDesign(form, messages, options);
    if (run.exitCode != kExitDone || !form.outcome()) {
        const std::string text = "The design did not complete, so there is nothing to analyse.";
        std::cerr << "korvan-cli tolerance: the design did not complete, so there is nothing to "
                     "analyse\n";
        if (in.json) printRefusal(messages, {text}, in.seed);
        return run.exitCode != kExitDone ? run.exitCode : kExitFault;
    }

    ToleranceJob job;
    job.design = toleranceDesign(*form.outcome());
    job.trials = in.trials;
    job.seed = in.seed;
    job.threads = in.threads;
    const Distribution dist = in.dist == "uniform" ? Distribution::Uniform : Distribution::Normal;
    if (in.fsRange)
        job.spreads.fsHz = {*in.fsRange, Distribution::Uniform};
    else if (in.fsSigma)
        job.spreads.fsHz = {*in.fsSigma, Distribution::Normal};
    job.spreads.lmPct = {in.lm, dist};
    job.spreads.rmPct = {in.rm, dist};
    job.spreads.cpPct = {in.cp, dist};
    job.spreads.capPct = {in.cap, dist};
    job.spreads.termPct = {in.term, dist};
    if (!in.series.empty()) job.standard = StandardChoice{*seriesFromName(in.series), in.pairs};
    job.limits.rippleMaxDb = in.limitRipple;
    job.limits.bw3Pct = in.limitBw;
    if (in.bwReference == "asked") job.limits.bw3ReferenceHz = form.state().B3db;
    job.limits.ilMaxDb = in.limitIl;
    job.limits.centreShiftHz = in.limitShift;
    if (const auto problems = validateJob(job); !problems.empty()) {
        for (const auto& p : problems) std::cerr << "korvan-cli tolerance: " << p << '\n';
        if (in.json) printRefusal(messages, problems, in.seed);
        return kExitRejected;
    }

    RunControl control;
    const bool terminal = isatty(STDERR_FILENO) == 1;
    if (terminal)
        control.progress = [](long long done, long long total) {
            std::fprintf(stderr, "\rtolerance: %lld of %lld trials", done, total);
            std::fflush(stderr);
        };
    const ToleranceResult result = runTolerance(job, control);
    if (terminal) std::fputc('\n', stderr);

    std::optional<StandardLadder> snapped;
    if (job.standard) snapped = standardLadder(job.design.ladder, *job.standard);
    if (in.json) {
        Json j;
        j["trials"] = result.completed;
        j["failed"] = result.failed;
        j["seed"] = result.seed;
        j["figures"] = figuresJson(result);
        j["yield"] = result.yield();
        const Envelope& e = result.envelope;
        j["envelope"] = {
            {"f", e.f}, {"min_dB", e.minDb}, {"median_dB", e.medianDb}, {"max_dB", e.maxDb}};
        j["standard_values"] =
            snapped ? standardJson(*job.standard, *snapped, result.standard) : Json(nullptr);
        Json nominal = Json::object();
        for (int f = 0; f < kFigureCount; ++f)
            nominal[std::string(figureKey(Figure(f)))] =
                number(result.nominal.value[static_cast<std::size_t>(f)]);
        nominal["allowance_dB"] = job.design.allowanceDb;
        j["nominal"] = nominal;
        j["limits"] = limitsJson(job.limits, result.nominal);
        j["messages"] = messagesJson(messages, {});
        std::cout << j.dump(2) << '\n';
    } else {
        writeReport(std::cout, options.separator, job, result, snapped);
    }
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "korvan-cli tolerance: the output could not be written\n";
        return kExitFault;
    }
    return kExitDone;
}

} // namespace korvan::cli
