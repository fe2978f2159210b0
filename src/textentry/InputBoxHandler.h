// The input box's change handling: what the user typed goes to the handset while the power
// is on; what cannot be typed yet stays in the box.
#pragma once

class QLineEdit;
class Typist;

class InputBoxHandler {
public:
    InputBoxHandler(QLineEdit& txtInput, Typist& typist);

    void txtInput_Change(bool powerOn);

private:
    QLineEdit& txtInput_;
    Typist& typist_;
};
