#include "cli/option_notes.h"

#include "numeric/number_text.h"

#include <algorithm>

namespace korvan::cli {

namespace {

const FieldText* optionOf(const CliOptions& options, const std::string& field) {
    // The last one given is the one that stands in the field.
    const FieldText* found = nullptr;
    for (const auto& f : options.fields)
        if (f.field == field) found = &f;
    return found;
}

// The option that sets each field, for fields that came from a settings file.
std::string optionFor(const std::string& field) {
    static const char* const kOptions[] = {"--lm or --cm", "--fs",    "--cp",   "--bw",
                                           "--ripple",     "--poles", "--span", "--rm"};
    const int i = field.size() == 6 ? field[5] - '1' : -1;
    return i >= 0 && i < 8 ? kOptions[i] : "";
}

// Names a field the options did not set.
std::string fieldNote(const std::string& field, const CliOptions& options) {
    return "note: caused by " + field + (options.configFile ? " as loaded from --config" : "") +
           "; set it with " + optionFor(field);
}

std::string shown(const std::string& text) {
    return text.empty() ? "''" : text;
}

// Why the calculation put `now` into the field, where it is one of its
// limits.
std::string reason(const std::string& field, const std::string& now, const MainForm& form) {
    const auto& s = form.state();
    if (field == "AEdit4") return ", the largest realisable bandwidth";
    if (field == "AEdit5") return ", the largest ripple";
    if (field == "AEdit6") {
        if (now == "14") return ", the largest pole count";
        if (now == "4" && s.IsQER) return ", the smallest pole count of the QER type";
        if (now == "2") return ", the smallest pole count";
    }
    if (field == "AEdit7") {
        if (now == "400") return ", the largest span";
        return ", the 3 dB bandwidth (the span is at least the bandwidth)";
    }
    if (field == "AEdit8") return ", a lossless crystal";
    return "";
}

// The field a "cannot be read" rejection stopped at: the first, in reading
// order, whose text does not convert.
std::string unreadableField(const MainForm& form) {
    const auto& f = form.form();
    for (int i = 1; i <= 7; ++i) {
        const std::string name = FormModel::edit(i);
        const bool ok = i == 6 ? numeric::parseInteger(f.text(name)).has_value()
                               : numeric::parseNumber(f.text(name), form.separator()).has_value();
        if (!ok) return name;
    }
    return "";
}

bool isZero(const MainForm& form, const std::string& field) {
    const auto v = numeric::parseNumber(form.form().text(field), form.separator());
    if (!v) return false;
    // The bandwidth is kept in single precision, in Hz.
    if (field == "AEdit4") return static_cast<float>(*v * 1000) == 0;
    return *v == 0;
}

} // namespace

std::vector<std::string> optionNotes(const CliOptions& options, const MainForm& form,
                                     const StreamMessages& messages) {
    std::vector<std::string> notes;
    const auto& f = form.form();
    const char sep = form.separator();

    for (const auto& option : options.fields) {
        if (optionOf(options, option.field) != &option) continue;
        const std::string now = f.text(option.field);
        if (now == option.text) continue;
        // A rewrite that keeps the value ("08" -> "8") is no correction.
        const auto before = numeric::parseNumber(option.text, sep);
        const auto after = numeric::parseNumber(now, sep);
        if (before && after && *before == *after) continue;
        notes.push_back("note: " + option.option + " " + shown(option.text) + " was set to " + now +
                        reason(option.field, now, form));
    }

    for (const auto& box : messages.shown()) {
        const std::string& text = box.message.text;
        if (box.message.title == kConfirmationTitle && box.answer == MsgAnswer::No) {
            notes.push_back("note: the question was answered No; answer it with --yes");
        } else if (text == "Invalid or missing input value(s)") {
            const std::string field = unreadableField(form);
            if (field.empty()) continue;
            if (const FieldText* o = optionOf(options, field))
                notes.push_back("note: caused by " + o->option + " " + shown(o->text));
            else
                notes.push_back(fieldNote(field, options));
        } else if (text == "Input value(s) must be > 0 ") {
            for (const char* field : {"AEdit1", "AEdit2", "AEdit4"}) {
                if (!isZero(form, field)) continue;
                if (const FieldText* o = optionOf(options, field))
                    notes.push_back("note: caused by " + o->option + " " + shown(o->text));
                else
                    notes.push_back(fieldNote(field, options));
            }
        }
    }
    return notes;
}

} // namespace korvan::cli
