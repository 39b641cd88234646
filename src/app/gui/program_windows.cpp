#include "app/gui/program_windows.h"

#include "analysis/gui/response_window.h"
#include "measurement/gui/vna_window.h"
#include "model/gui/event_guard.h"
#include "prototype/gui/prototype_window.h"

#include <QMenu>

namespace korvan::gui {

ProgramWindows::ProgramWindows(MainForm& form, MainWindow& window, MessageSink& messages)
    // The tool windows after the main window, each created once for the run.
    : copyingTools_(
          window, [&window] { window.takeFields(); }, form.form(), form.state(), messages,
          form.separator()),
      tools_(&window, form.form(), form.separator(), &copyingTools_),
      tolerance_(form.outcomes(), form.separator(), &window) {
    // The windows beyond the described ones: the plot's context menu and the
    // end of the Xtal menu.
    analysis::gui::installResponseWindow(window, *window.plotContextMenu(), form.outcomes(),
                                         messages);
    // The Xtal menu: "VNA Measurement…", "Ladder designer…", then
    // "Prototype coefficients…" last.
    installVnaMeasurement(
        window, form.separator(),
        [&window](const measurement::CrystalFieldTexts& crystal) { window.useCrystal(crystal); },
        [this](const std::vector<ChosenCrystal>& chosen, const std::string& source) {
            std::vector<designer::NamedCrystal> crystals;
            for (const auto& c : chosen)
                crystals.push_back({c.name,
                                    {c.parameters.Lm_H, c.parameters.Cm_F, c.parameters.Rm_Ohm,
                                     c.parameters.Cp_F}});
            ladderDesigner().takeCrystals(crystals, QString::fromStdString(source));
        });
    auto* xtal = window.findChild<QMenu*>("Xtal1");
    if (xtal)
        ladderDesigner_ = designer::gui::installLadderDesigner(
            *xtal, window, form.separator(), messages,
            [this](const analysis::ToleranceDesign& design, const QString& source) {
                tolerance_.analyseLadder(design, source);
            });
    prototype::gui::installPrototypeWindow(xtal, &window, form.separator());
    window.plotContextMenu()->addAction(QStringLiteral("Tolerance analysis\u2026"), &tolerance_,
                                        guardedSlot(&tolerance_,
                                                    QStringLiteral("Tolerance analysis"),
                                                    [this] { tolerance_.open(); }));
}

} // namespace korvan::gui
