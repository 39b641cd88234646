#pragma once
// korvan-cli's calculators that copy their starting values from the main
// window (tuning, lcmatch, cs2cp): the main design is run headless from its
// own options, the calculator is opened on it as its window opens, the
// calculator's options are typed into its fields and Enter calculates.

#include "app/main_form.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace korvan::cli {

struct ToolOption {
    const char* name;  // "--actual"
    const char* field; // "AEdit3"
    const char* unit;  // "KHZ", shown in --help
    const char* help;
};

// One line of the readable report: a caption and the control it shows.
struct ReportLine {
    const char* caption;
    const char* control;
};

// A calculator opened on the headless main form.
class ToolSession {
  public:
    virtual ~ToolSession() = default;
    virtual FormModel& form() = 0;
    virtual void activate() = 0;  // the window's opening
    virtual void calculate() = 0; // Enter in a field
    virtual nlohmann::ordered_json state() const = 0;
};

// The session on one calculator form object: opening runs its FormActivate,
// Enter its Button1Click, and `toJson` gives its state for the report.
template <typename Form> class FormSession : public ToolSession {
  public:
    using StateJson = nlohmann::ordered_json (*)(const Form&);

    template <typename... FormArgs>
    explicit FormSession(StateJson toJson, FormArgs&&... formArgs)
        : form_(std::forward<FormArgs>(formArgs)...), toJson_(toJson) {}

    FormModel& form() override { return form_.form(); }
    void activate() override { form_.formActivate(); }
    void calculate() override { form_.button1Click(); }
    nlohmann::ordered_json state() const override { return toJson_(form_); }

  private:
    Form form_;
    StateJson toJson_;
};

// A result column of a CSV batch: its name and the control it shows.
struct BatchColumn {
    const char* name; // "tuning_c_pf"
    const char* control;
};

struct CopyingToolCommand {
    const char* name;
    const char* description;
    const char* title;    // heading of the readable report
    const char* menuItem; // the main window's command that opens the window
    std::vector<ToolOption> options;
    std::vector<std::string> fields; // for the JSON
    std::vector<std::string> labels; // for the JSON
    std::vector<ReportLine> inputs;
    std::vector<ReportLine> results;
    std::vector<BatchColumn> batchColumns;
    // "Error" boxes that warn while the result is still shown: not refusals.
    std::vector<std::string> warnings;
    std::function<std::unique_ptr<ToolSession>(MainForm&, MessageSink&)> open;
};

int runCopyingTool(const CopyingToolCommand& calculator, int argc, const char* const* argv);

// The three subcommands.
int runTuningCommand(int argc, const char* const* argv);
int runLcMatchCommand(int argc, const char* const* argv);
int runCs2CpCommand(int argc, const char* const* argv);

} // namespace korvan::cli
