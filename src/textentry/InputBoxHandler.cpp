#include "InputBoxHandler.h"

#include "textentry/TypeCharacter.h"

#include <QLineEdit>

InputBoxHandler::InputBoxHandler(QLineEdit& txtInput, Typist& typist) : txtInput_(txtInput), typist_(typist) {}

void InputBoxHandler::txtInput_Change(bool powerOn)
{
    const QString text = txtInput_.text();
    if (text.isEmpty() || !powerOn)
        return;
    typist_.TypeCharacter(text);
}
