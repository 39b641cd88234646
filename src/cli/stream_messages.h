#pragma once
// Message boxes of the headless front: each one is written to a stream
// (stderr) as "TITLE: text" and kept for the JSON report. Every box gets its
// default answer, except the plausibility question, which --yes answers Yes.

#include "model/messages.h"

#include <iosfwd>
#include <vector>

namespace korvan::cli {

inline constexpr const char* kConfirmationTitle = "Confirmation needed";

class StreamMessages : public MessageSink {
  public:
    struct Shown {
        Message message;
        MsgAnswer answer;
    };

    StreamMessages(std::ostream& out, bool answerYes) : out_(out), answerYes_(answerYes) {}

    MsgAnswer show(const Message& message) override;

    const std::vector<Shown>& shown() const { return shown_; }
    // Whether a general error report (stop icon) came up: a fault ended a
    // handler.
    bool errorReported() const;

  private:
    std::ostream& out_;
    bool answerYes_;
    std::vector<Shown> shown_;
};

// The message text with its '\r' line breaks as '\n'.
std::string withLineBreaks(std::string text);

} // namespace korvan::cli
