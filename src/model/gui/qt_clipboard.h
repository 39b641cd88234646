#pragma once
// The system clipboard for the texts the program copies (the ARD netlist).

#include "model/clipboard.h"

namespace korvan::gui {

class QtClipboard : public Clipboard {
  public:
    void setText(const std::string& text) override;
};

} // namespace korvan::gui
