#pragma once
// The ARD netlist is also put on the clipboard; the window uses the system
// clipboard, the CLI and the tests record the text.

#include <string>

namespace korvan {

class Clipboard {
  public:
    virtual ~Clipboard() = default;
    virtual void setText(const std::string& text) = 0;
};

class RecordingClipboard : public Clipboard {
  public:
    void setText(const std::string& text) override {
        text_ = text;
        ++writes_;
    }
    const std::string& text() const { return text_; }
    int writes() const { return writes_; }

  private:
    std::string text_;
    int writes_ = 0;
};

} // namespace korvan
