#include "TypeCharacter.h"

#include "link/SerialLink.h"
#include "settings/Settings.h"
#include "textentry/mdlGetBinary.h"

Typist::Typist(SerialLink& link, const Settings& settings, TypingSinks& sinks)
    : link_(link), settings_(settings), sinks_(sinks)
{
}

void Typist::TypeCharacter(const QString& text)
{
    // Character by character, the voiced kana among them split into kana and mark. The log
    // gets what went out in one insertion: a long paste laid out once, not once a character.
    QString sent;
    for (const QChar character : text)
        typeOne(character, sent);
    if (sent.isEmpty())
        return;
    if (settings_.DontKeyLog != 1)
        sinks_.insertIntoLog(sent);
    sinks_.clearInput();
}

void Typist::typeOne(QChar character, QString& sent)
{
    for (const VoicedKana& voiced : VoicedKanaTable()) {
        if (voiced.voiced == character) {
            typeOne(voiced.plain, sent);
            typeOne(voiced.mark, sent);
            return;
        }
    }
    KeyCode code;
    if (!GetKeyCode(QStringView(&character, 1), code))
        return;
    link_.SendKeyCode(code);
    sent += character;
}
