// Every message the program shows goes through MessageBox(); tests install a responder
// that records what was shown and answers as scripted.
#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>

enum class MsgIcon { None, Critical, Question, Warning, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

struct ShownMessage {
    QString text;
    QString title;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    // The button Enter presses; without one, the first.
    std::optional<MsgAnswer> defaultAnswer;
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MsgAnswer show(const ShownMessage& message) = 0;
};

// Shows a message with the program's title unless `title` is given.
MsgAnswer MessageBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title = {});
// The same with the program's title and another button than the first as the default.
MsgAnswer MessageBox(const QString& text, MsgButtons buttons, MsgIcon icon, MsgAnswer defaultAnswer);

// The service in use; the default shows real Qt message boxes.
MessageBoxes& CurrentMessageBoxes();

// Records every message and answers from a script; with the script used up it answers
// with the box's first button (OK or Yes). Installed for its lifetime.
class ScriptedMessageBoxes : public MessageBoxes {
public:
    ScriptedMessageBoxes();
    ~ScriptedMessageBoxes() override;
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    MsgAnswer show(const ShownMessage& message) override;

    QList<ShownMessage> shown;
    QList<MsgAnswer> answers;
    // Runs inside show(), as a modal box would let events run.
    std::function<void(const ShownMessage&)> onShow;

private:
    MessageBoxes* previous_;
};

// For end-to-end tests of the real program: with YUBISAKI_MESSAGE_LOG set, every message is
// appended to that file (one line: icon, tab, title, tab, text with CR LF as "\n") and answered
// with the box's first button, instead of being shown. Returns whether it was installed.
bool InstallMessageLogFromEnvironment();
