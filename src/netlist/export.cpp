#include "netlist/export.h"

#include "model/text_file.h"
#include "netlist/ard.h"
#include "netlist/gpla.h"
#include "netlist/ltspice.h"
#include "netlist/value_texts.h"
#include "numeric/errors.h"

#include <system_error>
#include <unistd.h>

namespace korvan::netlist {
namespace {

namespace fs = std::filesystem;

constexpr const char* kGplaFolder = "GPLA_files";
constexpr const char* kArdFolder = "ARD_files";
constexpr const char* kSpiceFolder = "SPICE_files";

[[noreturn]] void cannotCreate(const fs::path& path) {
    std::error_code ec;
    fs::path full = fs::absolute(path, ec);
    if (ec) full = path;
    throw FileError("Cannot create file " + full.string());
}

// The new text replaces the file by a rename, which would also replace a
// write-protected file; refuse it the way opening it for writing would.
void save(const fs::path& path, const std::vector<std::string>& lines) {
    std::error_code ec;
    if (fs::exists(path, ec) && ::access(path.c_str(), W_OK) != 0) cannotCreate(path);
    try {
        // The netlist folders are the program's own: a killed export of any
        // design may have left its temporaries there.
        writeFileAtomically(path, joinCrLf(lines), Leftovers::OfThisKind);
    } catch (const FileError&) {
        cannotCreate(path);
    }
}

class Writer {
  public:
    Writer(StageContext& ctx, Clipboard& clipboard, const fs::path& basePath,
           std::vector<fs::path>& written)
        : ctx_(ctx), clipboard_(clipboard), base_(basePath),
          texts_(readValueTexts(ctx.form, ctx.state)), written_(written) {}

    void gpla() {
        write(base_ / kGplaFolder / kGplaFileName, gplaLines(ctx_.state, texts_, ctx_.separator));
    }

    void ard() {
        const auto lines = ardLines(ctx_.state, texts_, ctx_.separator);
        // The clipboard gets the text first: a file that cannot be written
        // still leaves the netlist at hand.
        clipboard_.setText(joinCrLf(lines));
        write(base_ / kArdFolder / ardFileName(ctx_.state, ctx_.separator), lines);
    }

    void ltspice() {
        write(base_ / kSpiceFolder / ltspiceFileName(ctx_.state, texts_, ctx_.separator),
              ltspiceLines(ctx_.state, texts_, ctx_.separator));
    }

  private:
    void write(const fs::path& path, const std::vector<std::string>& lines) {
        save(path, lines);
        written_.push_back(path);
    }

    StageContext& ctx_;
    Clipboard& clipboard_;
    fs::path base_;
    ValueTexts texts_;
    std::vector<fs::path>& written_;
};

} // namespace

void createNetlistFolders(const fs::path& basePath) {
    for (const char* folder : {kGplaFolder, kArdFolder, kSpiceFolder}) {
        std::error_code ec;
        fs::create_directory(basePath / folder, ec);
    }
}

std::vector<fs::path> exportNetlists(StageContext& ctx, Clipboard& clipboard,
                                     const fs::path& basePath) {
    std::vector<fs::path> written;
    exportNetlists(ctx, clipboard, basePath, written);
    return written;
}

void exportNetlists(StageContext& ctx, Clipboard& clipboard, const fs::path& basePath,
                    std::vector<fs::path>& written) {
    Writer writer(ctx, clipboard, basePath, written);
    if (ladderOf(ctx.state) == Ladder::Qer) {
        writer.ard();
        writer.gpla();
    } else {
        writer.gpla();
        writer.ard();
    }
    writer.ltspice();
}

} // namespace korvan::netlist
