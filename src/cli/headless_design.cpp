#include "cli/headless_design.h"

#include "netlist/export.h"
#include "numeric/fp_check.h"
#include "synthesis/coupling.h"

#include <exception>
#include <iostream>
#include <map>

namespace korvan::cli {

namespace {

namespace fs = std::filesystem;

// The netlist folders in the order the writers fill them.
constexpr const char* kNetlistFolders[] = {"GPLA_files", "ARD_files", "SPICE_files"};

using FileTimes = std::map<fs::path, fs::file_time_type>;

FileTimes netlistFileTimes(const fs::path& basePath) {
    FileTimes times;
    for (const char* folder : kNetlistFolders) {
        std::error_code ec;
        for (fs::directory_iterator it(basePath / folder, ec), end; !ec && it != end;
             it.increment(ec)) {
            std::error_code timeError;
            if (it->is_regular_file(timeError))
                times[it->path()] = fs::last_write_time(it->path(), timeError);
        }
    }
    return times;
}

// A failed export reports only the file that failed; the ones written before
// it are found as the files that are new or rewritten since `before`.
std::vector<fs::path> writtenSince(const FileTimes& before, const fs::path& basePath) {
    const FileTimes after = netlistFileTimes(basePath);
    std::vector<fs::path> written;
    for (const char* folder : kNetlistFolders)
        for (const auto& [path, time] : after) {
            if (path.parent_path().filename() != folder) continue;
            const auto old = before.find(path);
            if (old == before.end() || old->second != time) written.push_back(path);
        }
    return written;
}

} // namespace

DesignOutcome runDesign(MainForm& form, StreamMessages& messages, const CliOptions& options) {
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
            return {kExitUsage, {}};
        }
    }

    if (options.lmCmItem) form.lmCmClicked(*options.lmCmItem);
    for (const auto& f : options.fields) form.form().setText(f.field, f.text);

    FileTimes before;
    if (options.exportNetlists) {
        netlist::createNetlistFolders(form.basePath());
        before = netlistFileTimes(form.basePath());
        form.setExportEnabled(true);
    }
    // Choosing a type presses "Calculate" itself, so it is the one
    // calculation of the run, made with every field already in place.
    if (options.type)
        form.filterTypeClicked(*options.type);
    else
        form.calculateClicked();

    DesignOutcome outcome;
    if (messages.errorReported())
        outcome.exitCode = kExitFault;
    else if (form.state().StopCalc)
        outcome.exitCode = kExitRejected;
    else if (!form.lastCalculationComplete())
        outcome.exitCode = kExitFault;
    outcome.exported = form.exportedFiles();
    if (options.exportNetlists && outcome.exported.empty() && form.lastCalculationComplete())
        outcome.exported = writtenSince(before, form.basePath());
    return outcome;
}

} // namespace korvan::cli
