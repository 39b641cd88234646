#pragma once
// Named locales for tests that must not depend on the process locale. A
// locale the system lacks is generated into a private folder (LOCPATH).

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <locale.h>
#include <unistd.h>

namespace korvan::test {

inline bool localeAvailable(const std::string& name) {
    const locale_t loc = ::newlocale(LC_ALL_MASK, name.c_str(), locale_t{});
    if (loc == locale_t{}) return false;
    ::freelocale(loc);
    return true;
}

// Makes "de_DE.UTF-8", "ps_AF.UTF-8" (and "C") usable by setlocale; false
// when the locale can neither be found nor generated with localedef.
inline bool ensureLocale(const std::string& name) {
    if (localeAvailable(name)) return true;
    const auto dir = std::filesystem::temp_directory_path() / "korvan-test-locales";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    // With LOCPATH set the system's archive is no longer searched, so every
    // locale the tests use is generated there.
    for (const char* wanted : {"de_DE", "ps_AF"}) {
        const auto target = dir / (std::string(wanted) + ".UTF-8");
        if (std::filesystem::exists(target, ec)) continue;
        // Generated aside and renamed, so that test programs running side by
        // side never see half a locale.
        const auto aside = dir / (std::string(wanted) + ".tmp" + std::to_string(::getpid()));
        const std::string command = std::string("localedef -i ") + wanted + " -f UTF-8 '" +
                                    aside.string() + "' > /dev/null 2>&1";
        (void)std::system(command.c_str());
        std::filesystem::rename(aside, target, ec);
        std::filesystem::remove_all(aside, ec);
    }
    ::setenv("LOCPATH", dir.c_str(), 1);
    return localeAvailable(name);
}

// Sets the process locale for the lifetime of the object.
class ScopedLocale {
  public:
    explicit ScopedLocale(const std::string& name) {
        if (const char* old = std::setlocale(LC_ALL, nullptr)) previous_ = old;
        ok_ = ensureLocale(name) && std::setlocale(LC_ALL, name.c_str()) != nullptr;
    }
    ~ScopedLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;
    bool ok() const { return ok_; }

  private:
    std::string previous_ = "C";
    bool ok_ = false;
};

} // namespace korvan::test
