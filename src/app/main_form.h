#pragma once
// The main form without widgets: the input fields are read from the form
// model, the stages compute into the design state, and the results are
// written back into the form model for the window (or the CLI) to show.
// Each calculation that runs to its end also leaves an immutable outcome
// (analysis/design_outcome.h), published to the feed at the end of the
// event for the views that follow the design.

#include "analysis/outcome_feed.h"
#include "model/clipboard.h"
#include "model/design_state.h"
#include "model/form_model.h"
#include "model/messages.h"
#include "model/stage_context.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace korvan {

inline constexpr const char* kSettingsFileName = "Korvan3.cfg";
inline constexpr const char* kAuthorCredit = "qx0zz";
inline constexpr const char* kWindowCaption =
    "Crystal Ladder Filter Calculator  \"KORVAN\"  Vers. 3.0.2.3   ";

enum class FilterType { ChebyshevButterworth = 1, Cohn = 2, Qer = 3 };

class MainForm {
  public:
    MainForm(MessageSink& messages, Clipboard& clipboard, std::filesystem::path basePath,
             char decimalSeparator);

    FormModel& form() { return form_; }
    const FormModel& form() const { return form_; }
    DesignState& state() { return state_; }
    const DesignState& state() const { return state_; }
    char separator() const { return separator_; }
    const std::filesystem::path& basePath() const { return basePath_; }
    std::string windowCaption() const { return caption_; }

    // Events. Each one is a handler: an error it does not catch ends it and
    // is shown by the general error report; the program carries on.

    // Start-up: folders, QER tables, a first calculation with the defaults,
    // then showWindow(), the settings file and a press of "Calculate".
    void startUp(const std::function<void()>& showWindow = {});
    void calculateClicked();                          // SpeedButton1Click
    void editReturnPressed();                         // Enter in a main-window field
    void lmCmClicked(int item);                       // RadioGroup1 selection
    void filterTypeClicked(FilterType type);          // RadioButton1..3
    void traceCheckBoxClicked(int checkBox, bool on); // CheckBox1 (S11), CheckBox2 (VSWR)
    void scaleButtonClicked();                        // SpeedButton3
    // A repaint re-runs the sweep and the ultimate attenuation; a fault is
    // reported at most once per calculation so the plot stays usable.
    void repaint();
    // The close request: true when the window may close.
    bool closeRequested();

    // Operations that the events are made of (not guarded on their own).
    void calculateAll();
    void getInputs();
    void setClrs();
    void radioGroup2Click();
    bool getSettings();
    // The same ten-line format from any file (the headless front's --config).
    bool loadSettingsFrom(const std::filesystem::path& file);
    void saveSettings();
    // The same ten lines into any file (settings written from measured crystals).
    void saveSettingsTo(const std::filesystem::path& file);
    void showInfo(const std::string& text);

    FilterType filterType() const;
    // Whether the last pipeline ran to its end.
    bool lastCalculationComplete() const { return outcome_ != nullptr; }
    // The outcome of the last calculation; null when it stopped (a rejected
    // input or a fault) and before the first one. Set as the pipeline ends,
    // published to outcomes() when the event that ran it ends.
    const analysis::OutcomePtr& outcome() const { return outcome_; }
    analysis::OutcomeFeed& outcomes() { return outcomes_; }
    // Paths written by the last export, in order (also when it failed later).
    const std::vector<std::filesystem::path>& exportedFiles() const { return exported_; }
    // Netlist export after a calculation can be switched off (the CLI's default).
    void setExportEnabled(bool on) { exportEnabled_ = on; }

  private:
    StageContext context();
    void speedButton1Click();
    void runHandler(const std::function<void()>& handler);
    void setDesignDefaults();
    void applyFilterTypeStates();
    void exportNetlists();

    MessageSink& messages_;
    Clipboard& clipboard_;
    std::filesystem::path basePath_;
    char separator_;
    FormModel form_;
    DesignState state_;
    std::string caption_;
    analysis::OutcomePtr outcome_;
    analysis::OutcomeFeed outcomes_;
    bool exportEnabled_ = true;
    bool faultReported_ = false; // reported since the last calculation began
    int handlerDepth_ = 0;
    std::vector<std::filesystem::path> exported_;
};

} // namespace korvan
