#include "measurement/crystal_batch.h"

#include "measurement/touchstone_reader.h"

#include <algorithm>
#include <cctype>
#include <exception>

namespace korvan::measurement {

MeasuredCrystal measureFile(const std::filesystem::path& file, const BatchOptions& options) {
    const TouchstoneData data = readTouchstone(file);
    if (data.ports != 2)
        throw FitError("a one-port file holds no S21; the crystal in series between the two "
                       "ports needs a two-port sweep");
    MeasuredCrystal crystal;
    crystal.file = file.string();
    crystal.r0Ohm = options.r0Ohm.value_or(data.referenceOhm);
    const auto s21 = data.s21();
    std::vector<std::complex<double>> s11;
    s11.reserve(data.s.size());
    for (const auto& point : data.s) s11.push_back(point[0]);
    crystal.fit = fitCrystal(data.frequencyHz, s21, s11, {crystal.r0Ohm, options.cpF});
    if (options.keepSweeps) {
        crystal.frequencyHz = data.frequencyHz;
        crystal.s21 = s21;
    }
    return crystal;
}

Batch measureFiles(const std::vector<std::filesystem::path>& files, const BatchOptions& options,
                   const std::function<void(std::size_t, std::size_t)>& progress) {
    Batch batch;
    for (std::size_t i = 0; i < files.size(); ++i) {
        try {
            batch.crystals.push_back(measureFile(files[i], options));
        } catch (const std::bad_alloc&) {
            batch.errors.push_back({files[i].string(), "not enough memory to read it"});
        } catch (const std::exception& e) {
            batch.errors.push_back({files[i].string(), e.what()});
        }
        if (progress) progress(i + 1, files.size());
    }
    std::stable_sort(batch.crystals.begin(), batch.crystals.end(),
                     [](const MeasuredCrystal& a, const MeasuredCrystal& b) {
                         return a.fit.fitted.fs_Hz() < b.fit.fitted.fs_Hz();
                     });
    return batch;
}

std::vector<std::filesystem::path> expandFolders(const std::vector<std::filesystem::path>& given) {
    std::vector<std::filesystem::path> files;
    for (const auto& path : given) {
        std::error_code ec;
        if (!std::filesystem::is_directory(path, ec)) {
            files.push_back(path);
            continue;
        }
        std::vector<std::filesystem::path> inside;
        for (const auto& entry : std::filesystem::directory_iterator(path, ec)) {
            std::string ext = entry.path().extension().string();
            for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (ext == ".s1p" || ext == ".s2p" || ext == ".ts") inside.push_back(entry.path());
        }
        std::sort(inside.begin(), inside.end());
        if (inside.empty()) files.push_back(path); // reported as a folder, not skipped silently
        files.insert(files.end(), inside.begin(), inside.end());
    }
    return files;
}

} // namespace korvan::measurement
