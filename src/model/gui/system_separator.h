#pragma once
// The decimal separator of the user's regional settings, as Qt reports it.

namespace korvan::gui {

// '.' where the locale's decimal point is not one ASCII character (U+066B
// under ps_AF, for example): a field and a netlist hold single bytes.
char systemSeparator();

} // namespace korvan::gui
