#pragma once
// The windows beside the main window, created and wired as the program runs
// them: the calculators of the menus; the response window and the tolerance
// analysis, which follow the main form's outcomes; the VNA window, which
// hands its crystal to the main window and its crystals to the ladder
// designer; the ladder designer, which hands its ladder to the tolerance
// window; the prototype coefficients. No window knows another: they meet
// only here. `korvan` and the GUI tests build the program through this.

#include "analysis/gui/tolerance_window.h"
#include "app/gui/main_window.h"
#include "designer/gui/ladder_designer_window.h"
#include "tools/gui/copying_tool_windows.h"
#include "tools/gui/tool_windows.h"

#include <functional>

namespace korvan::gui {

class ProgramWindows {
  public:
    // Builds the windows and their menu items in the order of the menus.
    ProgramWindows(MainForm& form, MainWindow& window, MessageSink& messages);

    tools::gui::ToolWindows& tools() { return tools_; }
    ToleranceWindow& tolerance() { return tolerance_; }
    // The ladder designer, made on first use.
    designer::gui::LadderDesignerWindow& ladderDesigner() { return ladderDesigner_(); }

  private:
    CopyingToolWindows copyingTools_;
    tools::gui::ToolWindows tools_;
    ToleranceWindow tolerance_;
    std::function<designer::gui::LadderDesignerWindow&()> ladderDesigner_;
};

} // namespace korvan::gui
