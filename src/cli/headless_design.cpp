#include "cli/headless_design.h"

#include "netlist/export.h"
#include "numeric/fp_check.h"
#include "synthesis/coupling.h"

#include <exception>
#include <iostream>

namespace korvan::cli {

int runDesign(MainForm& form, StreamMessages& messages, const CliOptions& options) {
    // The window fills the QER tables at start; nothing else of its start-up
    // (settings file, folders) belongs to a headless run.
    synthesis::fillQerTables(form.state());
    // Loading a settings file may change the type, which calculates with the
    // fields as they stand; only the final calculation may export.
    form.setExportEnabled(false);

    if (options.configFile) {
        bool loaded = false;
        try {
            loaded = form.loadSettingsFrom(*options.configFile);
        } catch (const std::exception& e) {
            // The same report as any handler of the window.
            messages.show(errorReport(e.what()));
        }
        fp::clearFlags();
        if (!loaded) {
            std::cerr << "korvan-cli: the settings file '" << *options.configFile
                      << "' could not be loaded\n";
            return kExitUsage;
        }
    }

    if (options.lmCmItem) form.lmCmClicked(*options.lmCmItem);
    for (const auto& f : options.fields) form.form().setText(f.field, f.text);

    if (options.exportNetlists) {
        netlist::createNetlistFolders(form.basePath());
        form.setExportEnabled(true);
    }
    // Choosing a type presses "Calculate" itself, so it is the one
    // calculation of the run, made with every field already in place.
    if (options.type)
        form.filterTypeClicked(*options.type);
    else
        form.calculateClicked();

    if (messages.errorReported()) return kExitFault;
    if (form.state().StopCalc) return kExitRejected;
    return form.lastCalculationComplete() ? kExitDone : kExitFault;
}

} // namespace korvan::cli
