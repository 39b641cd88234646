#pragma once
// Every message box and question goes through this interface: the window
// shows a dialog, the CLI writes to stderr, the tests script the answers.

#include <deque>
#include <string>
#include <vector>

namespace korvan {

enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgIcon { Information, Exclamation, Question, Stop };
enum class MsgAnswer { Ok, Yes, No, Cancel };

struct Message {
    std::string title;
    std::string text; // line breaks are written as '\r'
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::Information;
    MsgAnswer defaultAnswer = MsgAnswer::Ok;
    friend bool operator==(const Message&, const Message&) = default;
};

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual MsgAnswer show(const Message& message) = 0;
};

// Records every box in order and answers from a script; with the script
// used up it answers with the box's default button.
class ScriptedMessages : public MessageSink {
  public:
    struct Shown {
        Message message;
        MsgAnswer answer;
    };

    MsgAnswer show(const Message& message) override;
    void script(MsgAnswer answer) { answers_.push_back(answer); }
    const std::vector<Shown>& shown() const { return shown_; }
    void clear() { shown_.clear(); }

  private:
    std::deque<MsgAnswer> answers_;
    std::vector<Shown> shown_;
};

const char* toString(MsgAnswer answer);

// The general error report: the error text and a full stop, OK, stop icon.
Message errorReport(const std::string& errorText);

} // namespace korvan
