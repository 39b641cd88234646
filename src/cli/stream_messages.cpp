#include "cli/stream_messages.h"

#include <algorithm>
#include <ostream>

namespace korvan::cli {

std::string withLineBreaks(std::string text) {
    std::replace(text.begin(), text.end(), '\r', '\n');
    return text;
}

MsgAnswer StreamMessages::show(const Message& message) {
    MsgAnswer answer = message.defaultAnswer;
    if (answerYes_ && message.title == kConfirmationTitle && message.buttons != MsgButtons::Ok)
        answer = MsgAnswer::Yes;
    out_ << message.title << ": " << withLineBreaks(message.text) << '\n' << std::flush;
    shown_.push_back({message, answer});
    return answer;
}

bool StreamMessages::errorReported() const {
    return std::any_of(shown_.begin(), shown_.end(),
                       [](const Shown& s) { return s.message.icon == MsgIcon::Stop; });
}

} // namespace korvan::cli
