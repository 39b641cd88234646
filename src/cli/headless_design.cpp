#include "cli/headless_design.h"

#include "netlist/export.h"
#include "numeric/fp_check.h"

#include <exception>
#include <iostream>

namespace korvan::cli {

DesignRun runDesign(MainForm& form, StreamMessages& messages, const CliOptions& options) {
    // Nothing of the window's start-up (settings file, folders) belongs to a
    // headless run. Loading a settings file may change the type, which
    // calculates with the fields as they stand; only the final calculation
    // may export.
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
            return {kExitUsage, {}};
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

    DesignRun run;
    if (messages.errorReported())
        run.exitCode = kExitFault;
    else if (form.state().StopCalc)
        run.exitCode = kExitRejected;
    else if (!form.lastCalculationComplete())
        run.exitCode = kExitFault;
    run.exported = form.exportedFiles();
    return run;
}

} // namespace korvan::cli
