// Typing a text on the handset: one key frame per character, voiced kana as kana and mark,
// each sent character echoed into the log box, and the input box emptied.
#pragma once

#include <QString>

class SerialLink;
struct Settings;

// Where typed characters are echoed (txtInputBuffer) and what is emptied after a
// character went out (txtInput). The main window plugs its widgets in.
class TypingSinks {
public:
    virtual ~TypingSinks() = default;
    virtual void insertIntoLog(const QString& characters) = 0;
    virtual void clearInput() = 0;
};

class Typist {
public:
    Typist(SerialLink& link, const Settings& settings, TypingSinks& sinks);

    void TypeCharacter(const QString& text);

private:
    // Sends one character and appends what went out to `sent`.
    void typeOne(QChar character, QString& sent);

    SerialLink& link_;
    const Settings& settings_;
    TypingSinks& sinks_;
};
