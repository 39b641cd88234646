// A settings file of any content, loaded at start-up and calculated in full
// (with export and repaint): nothing may crash, hang or reach a label or a
// netlist as nan or inf. The first byte chooses the separator and the answer
// to the plausibility question; the rest is the file.

#include "app/main_form.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// One working folder per fuzzing process, removed when it ends.
struct WorkFolder {
    fs::path path = fs::temp_directory_path() / ("korvan-fuzz-" + std::to_string(::getpid()));
    WorkFolder() { fs::create_directories(path); }
    ~WorkFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

const fs::path& workFolder() {
    static const WorkFolder folder;
    return folder.path;
}

bool nonFinite(const std::string& text) {
    return text.find("nan") != std::string::npos || text.find("inf") != std::string::npos ||
           text.find("NAN") != std::string::npos || text.find("INF") != std::string::npos;
}

[[noreturn]] void fault(const std::string& where, const std::string& text) {
    std::fprintf(stderr, "non-finite text in %s: '%s'\n", where.c_str(), text.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const char separator = (data[0] & 1) ? ',' : '.';
    const bool yes = (data[0] & 2) != 0;
    // Writing (and syncing) three files is slow: one input in eight exports.
    const bool exportFiles = (data[0] & 0x1C) == 0x1C;
    const fs::path folder = workFolder();
    {
        std::ofstream cfg(folder / korvan::kSettingsFileName, std::ios::binary | std::ios::trunc);
        cfg.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    korvan::ScriptedMessages messages;
    for (int i = 0; i < 8; ++i)
        messages.script(yes ? korvan::MsgAnswer::Yes : korvan::MsgAnswer::No);
    korvan::RecordingClipboard clipboard;
    korvan::MainForm form(messages, clipboard, folder, separator);
    form.setExportEnabled(exportFiles);
    form.startUp();
    form.repaint();

    // Labels hold nan/inf only if a fault slipped past the checks. ("Qu" may
    // legitimately read "infinite".)
    for (int i = 1; i <= 91; ++i) {
        const auto name = korvan::FormModel::label(i);
        const std::string text = form.form().text(name);
        if (nonFinite(text) && text.find("infinite") == std::string::npos) fault(name, text);
    }
    for (const auto& path : form.exportedFiles()) {
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        std::string scan = bytes;
        for (auto pos = scan.find("infinite"); pos != std::string::npos;
             pos = scan.find("infinite"))
            scan.erase(pos, 8);
        if (nonFinite(scan)) fault(path.string(), bytes.substr(0, 200));
    }
    return 0;
}
