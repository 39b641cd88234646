#pragma once
// The fixed boxes of the described windows are sized for ordinary values; a
// value with more digits (Ck 105.1 pF at 10 MHz, fs 99999999999.000 kHz)
// would be cut off and read wrong. Such a control gets a smaller font until
// its text fits, and its own font back as soon as a text fits at that size.
// Labels that wrap or show rich text, and every other control, are left as
// they are.

class QWidget;

namespace korvan::widgets {

// The pixels by which the text of a one-line label or entry field is wider
// than the room its box gives it; 0 when it fits or is not such a control.
int textOverflowPx(const QWidget* control);

// Lowers the control's font, down to half its own size (at least 6 px),
// until textOverflowPx is 0; restores it when the text fits again.
void fitTextToBox(QWidget* control);

} // namespace korvan::widgets
