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
    // Character by character, the voiced kana among them split into kana and mark.
    for (const QChar character : text)
        typeOne(character);
}

void Typist::typeOne(QChar character)
{
    for (const VoicedKana& voiced : VoicedKanaTable()) {
        if (voiced.voiced == character) {
            typeOne(voiced.plain);
            typeOne(voiced.mark);
            return;
        }
    }
    KeyCode code;
    if (!GetKeyCode(QStringView(&character, 1), code))
        return;
    link_.SendKeyCode(code);
    if (settings_.DontKeyLog != 1)
        sinks_.insertIntoLog(QString(character));
    sinks_.clearInput();
}
