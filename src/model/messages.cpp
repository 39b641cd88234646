#include "model/messages.h"

namespace korvan {

MsgAnswer ScriptedMessages::show(const Message& message) {
    MsgAnswer answer = message.defaultAnswer;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    shown_.push_back({message, answer});
    return answer;
}

const char* toString(MsgAnswer answer) {
    switch (answer) {
    case MsgAnswer::Ok:
        return "OK";
    case MsgAnswer::Yes:
        return "Yes";
    case MsgAnswer::No:
        return "No";
    case MsgAnswer::Cancel:
        return "Cancel";
    }
    return "?";
}

Message errorReport(const std::string& errorText) {
    std::string text = errorText;
    if (text.empty() || text.back() != '.') text += '.';
    return {"KORVAN", text, MsgButtons::Ok, MsgIcon::Stop, MsgAnswer::Ok};
}

} // namespace korvan
