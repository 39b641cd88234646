// korvan-cli against the window: the same inputs typed into a main form that
// went through the window's start-up must show the same labels, messages,
// numbers and netlists as the headless run prints.

#include "cli/cli_run.h"

#include "app/main_form.h"
#include "netlist/export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>

namespace {

using namespace korvan;
using korvan::test::CliRun;
using korvan::test::filesBelow;
using korvan::test::fileText;
using korvan::test::runCli;
using korvan::test::TempDir;
using nlohmann::json;
namespace fs = std::filesystem;

// A user at the window: answers the plausibility question as told, every
// other box with its default button, and keeps what was shown.
class WindowUser : public MessageSink {
  public:
    explicit WindowUser(bool yes) : yes_(yes) {}
    MsgAnswer show(const Message& message) override {
        const MsgAnswer answer =
            yes_ && message.title == "Confirmation needed" ? MsgAnswer::Yes : message.defaultAnswer;
        shown.push_back({message, answer});
        return answer;
    }
    std::vector<ScriptedMessages::Shown> shown;

  private:
    bool yes_;
};

struct Design {
    const char* name;
    std::optional<FilterType> type;
    std::vector<std::pair<std::string, std::string>> options; // option, value
    bool yes = false;
};

const std::map<std::string, std::string> kFieldOfOption = {
    {"--lm", "AEdit1"},    {"--cm", "AEdit1"},   {"--fs", "AEdit2"},
    {"--cp", "AEdit3"},    {"--bw", "AEdit4"},   {"--ripple", "AEdit5"},
    {"--poles", "AEdit6"}, {"--span", "AEdit7"}, {"--rm", "AEdit8"},
};

const char* typeOption(FilterType type) {
    switch (type) {
    case FilterType::Cohn:
        return "cohn";
    case FilterType::Qer:
        return "qer";
    case FilterType::ChebyshevButterworth:
        break;
    }
    return "chebyshev";
}

std::vector<std::string> cliArgs(const Design& d, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--decimal-separator", ".", "--json"};
    if (d.type) args.insert(args.end(), {"--type", typeOption(*d.type)});
    for (const auto& [option, value] : d.options) args.insert(args.end(), {option, value});
    if (d.yes) args.push_back("--yes");
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

// The window session: start-up, then the values typed into their fields,
// then the type chosen (which calculates) or "Calculate" pressed.
struct WindowSession {
    explicit WindowSession(const Design& d) : user(d.yes), form(user, clipboard, dir.path(), '.') {
        form.startUp();
        user.shown.clear();
        for (const auto& [option, value] : d.options) {
            if (option == "--lm") form.lmCmClicked(0);
            if (option == "--cm") form.lmCmClicked(1);
            form.form().setText(kFieldOfOption.at(option), value);
        }
        if (d.type)
            form.filterTypeClicked(*d.type);
        else
            form.calculateClicked();
    }

    TempDir dir;
    WindowUser user;
    RecordingClipboard clipboard;
    MainForm form;
};

const Design kDesigns[] = {
    {"default", std::nullopt, {}},
    {"cohn_cm", FilterType::Cohn, {{"--cm", "20"}, {"--bw", "2.4"}, {"--poles", "6"}}},
    {"qer", FilterType::Qer, {{"--poles", "10"}, {"--bw", "4"}, {"--span", "20"}}},
    {"butterworth", std::nullopt, {{"--ripple", "0"}, {"--poles", "5"}, {"--rm", "50"}}},
    {"chebyshev_3db_14",
     FilterType::ChebyshevButterworth,
     {{"--ripple", "3"}, {"--poles", "14"}, {"--bw", "2"}}},
    {"two_poles", std::nullopt, {{"--poles", "2"}, {"--bw", "1.5"}, {"--span", "30"}}},
    {"bandwidth_too_wide", std::nullopt, {{"--bw", "10"}}},
    {"no_holder_lossless", std::nullopt, {{"--cp", "0"}, {"--rm", ""}}},
    {"confirmed_lm", std::nullopt, {{"--lm", "2000"}, {"--fs", "4000"}}, true},
};

std::string lineBreaks(std::string text) {
    std::replace(text.begin(), text.end(), '\r', '\n');
    return text;
}

std::string hex(Rgb c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return text;
}

template <typename T, std::size_t N>
std::vector<double> firstElements(const std::array<T, N>& values, int count) {
    std::vector<double> out;
    for (int i = 1; i <= count; ++i) out.push_back(static_cast<double>(values[i]));
    return out;
}

TEST(cli_test, labels_fields_messages_and_numbers_equal_the_window) {
    for (const auto& d : kDesigns) {
        SCOPED_TRACE(d.name);
        TempDir dir;
        const CliRun run = runCli(dir.path(), cliArgs(d));
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const json j = run.json();
        const WindowSession window(d);
        const auto& model = window.form.form();
        ASSERT_TRUE(window.form.lastCalculationComplete());

        for (const auto& [name, text] : j["labels"].items())
            EXPECT_EQ(text, model.text(name)) << name;
        for (int i = 1; i <= 8; ++i)
            EXPECT_EQ(j["fields"][FormModel::edit(i)], model.text(FormModel::edit(i))) << i;
        for (const auto& [name, colour] : j["colors"].items()) {
            ASSERT_TRUE(model.find(name) && model.find(name)->fontColor) << name;
            EXPECT_EQ(colour, hex(*model.find(name)->fontColor)) << name;
        }
        // Every label whose colour the window has set among them is listed.
        for (int i = 33; i <= 51; ++i) EXPECT_TRUE(j["colors"].contains(FormModel::label(i))) << i;

        ASSERT_EQ(j["messages"].size(), window.user.shown.size());
        for (std::size_t i = 0; i < window.user.shown.size(); ++i) {
            const auto& shown = window.user.shown[i];
            EXPECT_EQ(j["messages"][i]["title"], shown.message.title);
            EXPECT_EQ(j["messages"][i]["text"], lineBreaks(shown.message.text));
            EXPECT_EQ(j["messages"][i]["answer"], toString(shown.answer));
        }

        // The numbers come through exactly.
        const auto& s = window.form.state();
        const json& js = j["state"];
        EXPECT_EQ(js["fs"], s.fs);
        EXPECT_EQ(js["Cp"], s.Cp);
        EXPECT_EQ(js["PBripple"], s.PBripple);
        EXPECT_EQ(js["B3db"], s.B3db);
        EXPECT_EQ(js["Poles"], s.Poles);
        EXPECT_EQ(js["Span"], s.Span);
        EXPECT_EQ(js["IsCohn"], s.IsCohn);
        EXPECT_EQ(js["IsQER"], s.IsQER);
        EXPECT_EQ(js["Lm"], s.Lm);
        EXPECT_EQ(js["Cm"], s.Cm);
        EXPECT_EQ(js["fp"], s.fp);
        EXPECT_EQ(js["q1inv"], s.q1inv);
        EXPECT_EQ(js["Bmax"], s.Bmax);
        EXPECT_EQ(js["fm"], s.fm);
        EXPECT_EQ(js["xNorm"], s.xNorm);
        EXPECT_EQ(js["Zterm"], s.Zterm);
        EXPECT_EQ(js["fMesh"], s.fMesh);
        EXPECT_EQ(js["ILmin"], s.ILmin);
        EXPECT_EQ(js["UltAttn"], s.UltAttn);
        EXPECT_EQ(js["StopCalc"], s.StopCalc);
        EXPECT_EQ(js["Qu"], s.Qu);
        EXPECT_EQ(js["k"].get<std::vector<double>>(), firstElements(s.k, s.Poles - 1));
        EXPECT_EQ(js["Ck"].get<std::vector<double>>(), firstElements(s.Ck, s.Poles - 1));
        EXPECT_EQ(js["Cs"].get<std::vector<double>>(), firstElements(s.Cs, s.Poles));
    }
}

TEST(cli_test, default_design_shows_the_reference_values) {
    TempDir dir;
    const CliRun run = runCli(dir.path(), {"--decimal-separator", ".", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.err.empty());
    const json j = run.json();
    const std::map<std::string, std::string> expected = {
        {"Label7", "62 mH"},
        {"Label8", "16.35521  fF"},
        {"Label9", "4998.000 kHz"},
        {"Label10", "5008.207 kHz"},
        {"Label15", "Type:   Chebyshev"},
        {"Label16", "PB-Ripple: 1db"},
        {"Label19", "4999.865"},
        {"Label20", "820.5"},
        {"Label33", "27.8 "},
        {"Label34", "33.2 "},
        {"Label35", "34.2 "},
        {"Label36", "34.4 "},
        {"Label37", "----   "},
        {"Label40", "33.2 "},
        {"Label41", "147.7 "},
        {"Label42", "127.8 "},
        {"Label43", "----   "},
        {"Label46", "850  "},
        {"Label47", "177  "},
        {"Label48", "205  "},
        {"Label78", "8"},
        {"Label79", "fm = 4999.865 kHz"},
        {"Label80", "-5.00 kHz"},
        {"Label81", "5.00 kHz"},
        {"Label87", "Bmax=5.807 kHz"},
        {"Label90", "97350"},
    };
    for (const auto& [name, text] : expected) EXPECT_EQ(j["labels"][name], text) << name;
    EXPECT_EQ(j["colors"]["Label20"], "#0000ff");
    EXPECT_EQ(j["colors"]["Label33"], "#0000ff");
    EXPECT_EQ(j["colors"]["Label40"], "#800000");
    EXPECT_EQ(j["colors"]["Label86"], "#008000");

    const json& s = j["state"];
    // The offsets unrounded, each within half a Hz of its label.
    const double offsets[] = {850, 177, 205};
    ASSERT_EQ(s["offsets"].size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(s["offsets"][i].get<double>(), offsets[i], 0.5) << i;
        EXPECT_NE(s["offsets"][i].get<double>(), offsets[i]) << i;
    }
    EXPECT_NEAR(s["fm"].get<double>(), 4999865.4, 0.1);
    EXPECT_NEAR(s["Zterm"].get<double>(), 820.5, 0.05);
    EXPECT_NEAR(s["Bmax"].get<double>(), 5807.6, 0.05);
    EXPECT_NEAR(s["xNorm"].get<double>(), 5.5614, 5e-5);
    EXPECT_NEAR(s["fMesh"].get<double>(), 5000135, 1);
    EXPECT_NEAR(s["q1inv"].get<double>(), 0.4539, 5e-5);
    const double pF = 1e-12;
    const double ck[] = {27.8, 33.2, 34.2, 34.4, 34.2, 33.2, 27.8};
    const double cs[] = {33.2, 0, 147.7, 127.8, 127.8, 147.7, 0, 33.2};
    for (int i = 0; i < 7; ++i) EXPECT_NEAR(s["Ck"][i].get<double>(), ck[i] * pF, 0.05 * pF) << i;
    for (int i = 0; i < 8; ++i) EXPECT_NEAR(s["Cs"][i].get<double>(), cs[i] * pF, 0.05 * pF) << i;
    // Each bandwidth is its label unrounded; levels not shown are null.
    const char* levels[] = {"6", "20", "40", "60", "80", "100"};
    for (int i = 0; i < 6; ++i) {
        const std::string label = j["labels"]["Label" + std::to_string(21 + i)];
        const json& bw = s["bandwidths"][levels[i]];
        if (label == "----   ") {
            EXPECT_TRUE(bw.is_null()) << levels[i];
        } else {
            ASSERT_TRUE(bw.is_number()) << levels[i];
            EXPECT_NEAR(std::stod(label) * 1000, bw.get<double>(), 0.5) << levels[i];
        }
    }
    EXPECT_FALSE(s["bandwidths"]["6"].is_null());
}

TEST(cli_test, export_writes_exactly_the_windows_three_files) {
    for (const auto& d : {kDesigns[0], kDesigns[1], kDesigns[2]}) {
        SCOPED_TRACE(d.name);
        TempDir dir;
        const CliRun run = runCli(dir.path(), cliArgs(d, {"--export"}));
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const WindowSession window(d);
        const auto& written = window.form.exportedFiles();
        ASSERT_EQ(written.size(), 3u);

        std::vector<std::string> expected;
        for (const auto& path : written)
            expected.push_back(fs::relative(path, window.dir.path()).string());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(filesBelow(dir.path()), expected);

        const json exported = run.json()["exported"];
        ASSERT_EQ(exported.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            const fs::path cliFile = exported[i].get<std::string>();
            EXPECT_EQ(fs::relative(cliFile, dir.path()),
                      fs::relative(written[i], window.dir.path()));
            EXPECT_EQ(fileText(cliFile), fileText(written[i])) << cliFile;
        }
    }
}

TEST(cli_test, sweep_holds_the_plotted_response) {
    TempDir dir;
    const CliRun run =
        runCli(dir.path(), {"--decimal-separator", ".", "--json", "--sweep", "--span", "20"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const json j = run.json();
    const auto f = j["sweep"]["f"].get<std::vector<double>>();
    const auto s21 = j["sweep"]["S21"].get<std::vector<double>>();
    const auto vswr = j["sweep"]["VSWR"].get<std::vector<double>>();
    const double fm = j["state"]["fm"];
    ASSERT_EQ(f.size(), 501u);
    EXPECT_DOUBLE_EQ(f[0], fm - 10000);
    EXPECT_NEAR(f[250], fm, 1e-6);
    EXPECT_NEAR(f[500], fm + 10000, 1e-6);
    for (std::size_t k = 1; k < f.size(); ++k) EXPECT_NEAR(f[k] - f[k - 1], 40, 1e-6) << k;
    // The insertion loss is the smallest loss of samples 0..499.
    EXPECT_EQ(*std::min_element(s21.begin(), s21.end() - 1), j["state"]["ILmin"].get<double>());
    EXPECT_GE(*std::min_element(vswr.begin(), vswr.end()), 1.0);
}

TEST(cli_test, readable_report_shows_every_label_text) {
    for (const auto& d : {kDesigns[0], kDesigns[1], kDesigns[6]}) {
        SCOPED_TRACE(d.name);
        TempDir dir;
        const CliRun json = runCli(dir.path(), cliArgs(d));
        auto args = cliArgs(d);
        args.erase(std::find(args.begin(), args.end(), "--json"));
        const CliRun text = runCli(dir.path(), args);
        EXPECT_EQ(text.exitCode, json.exitCode);
        EXPECT_EQ(text.err, json.err);
        const nlohmann::json report = json.json(); // items() must not outlive it
        for (const auto& [name, label] : report["labels"].items()) {
            const std::string t = label;
            if (t.empty() || t == "----   ") continue;
            EXPECT_NE(text.out.find(t), std::string::npos) << name << ": '" << t << "'";
        }
    }
}

TEST(cli_test, readable_report_lists_the_sweep_and_flags_a_stop) {
    TempDir dir;
    const CliRun run = runCli(dir.path(), {"--decimal-separator", ".", "--sweep"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string heading = "Response across the span: f [Hz], S21 [db], S11 [db], VSWR\n";
    const auto table = run.out.find(heading);
    ASSERT_NE(table, std::string::npos);
    const std::string rows = run.out.substr(table + heading.size());
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 501);
    EXPECT_EQ(run.out.find("The calculation stopped"), std::string::npos);

    const CliRun stopped = runCli(dir.path(), {"--decimal-separator", ".", "--bw", "0"});
    EXPECT_EQ(stopped.exitCode, 1);
    EXPECT_NE(stopped.out.find("The calculation stopped"), std::string::npos);
}

} // namespace
