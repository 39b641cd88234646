#pragma once
// What both programs answer to --version and what the window answers to
// --help, before anything of the window (or its folders) exists.

#include <iosfwd>
#include <optional>
#include <string>

namespace korvan {

// "3.0.2.3", the project version.
const char* versionNumber();

// "<program> 3.0.2.3", the line --version prints.
std::string versionLine(const std::string& program);

// The window program's usage text.
std::string windowHelpText();

// --help/-h or --version among the arguments: the answer is printed on `out`
// and the exit code returned. nullopt: start the window (every other
// argument is Qt's).
std::optional<int> answerInfoOption(int argc, const char* const* argv, std::ostream& out);

} // namespace korvan
