#pragma once
// A batch of sweep files, one crystal each: every file is read and fitted on
// its own, so one unreadable file is reported by name and the rest go on.

#include "measurement/crystal_fit.h"

#include <complex>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace korvan::measurement {

struct MeasuredCrystal {
    std::string file; // as given
    CrystalFit fit;
    double r0Ohm = 50;
    // The sweep itself, for a chart (left empty when not asked for).
    std::vector<double> frequencyHz;
    std::vector<std::complex<double>> s21;
};

struct BatchError {
    std::string file;
    std::string message; // with the line where the file tells one
};

struct Batch {
    std::vector<MeasuredCrystal> crystals; // by rising fitted fs
    std::vector<BatchError> errors;        // in the order given
};

struct BatchOptions {
    std::optional<double> r0Ohm; // else the file's reference resistance
    std::optional<double> cpF;
    bool keepSweeps = false;
};

// The crystal of one file, or a BatchError's message as an exception text.
MeasuredCrystal measureFile(const std::filesystem::path& file, const BatchOptions& options);

// `progress(done, total)` after each file, for long batches.
Batch measureFiles(const std::vector<std::filesystem::path>& files, const BatchOptions& options,
                   const std::function<void(std::size_t, std::size_t)>& progress = {});

// Folders stand for the sweep files in them (.s1p, .s2p, .ts), by name.
std::vector<std::filesystem::path> expandFolders(const std::vector<std::filesystem::path>& given);

} // namespace korvan::measurement
