#pragma once
// The texts a netlist is made of, taken from the fields and labels as the
// calculation left them, so that the files carry the values the user sees;
// and the small text rules the three formats share.

#include "model/design_state.h"
#include "model/form_model.h"

#include <array>
#include <string>
#include <string_view>

namespace korvan::netlist {

enum class Ladder { ChebyshevButterworth, Cohn, Qer };

// Cohn wins over QER, anything else is the Chebyshev/Butterworth ladder.
Ladder ladderOf(const DesignState& state);

inline constexpr int kMaxHalfElements = 7; // Ck12..Ck78, Cs1..Cs7

struct ValueTexts {
    std::string poles;  // AEdit6
    std::string fs;     // AEdit2, kHz
    std::string cp;     // AEdit3, pF
    std::string b3;     // AEdit4, kHz
    std::string ripple; // AEdit5, dB
    std::string rm;     // AEdit8, Ohm
    std::string qu;     // Label90
    std::string z;      // Label20, Ohm
    std::string lm;     // LmText, mH
    std::string cm;     // CmText, fF
    // Index 1..7 as shown, trailing blank included. Cohn and QER use ck[1]
    // only; cs[2] is never shown (mesh 2 is the reference mesh).
    std::array<std::string, kMaxHalfElements + 1> ck;
    std::array<std::string, kMaxHalfElements + 1> cs;
};

ValueTexts readValueTexts(const FormModel& form, const DesignState& state);

// s with the first occurrence of f replaced by r.
std::string strReplace(std::string_view s, std::string_view f, std::string_view r);

// The first "," turned into "." (the formats other than GPLA want a point).
std::string dot(std::string_view text);

// Without one trailing blank (the capacitor labels end in one).
std::string bare(std::string_view text);

// Nearest integer, halves to the even neighbour.
long double nint(long double x);

// An integral value as a plain decimal integer.
std::string integerText(long double value);

// Padded with blanks or cut to eight characters: the element name field.
std::string name8(std::string_view name);

// lead followed by `stars` "*", cut to the title length when that is shorter.
std::string ruler(std::string_view lead, std::size_t stars, std::size_t titleLength);

} // namespace korvan::netlist
