// The main window's input box: a line edit that keeps no undo or redo history, so that a
// character the program has sent never comes back, and that can refuse the desktop input
// method (fcitx5, IBus) outright, so that its keys and triggers reach the program.
#pragma once

#include <QLineEdit>

class InputBox : public QLineEdit {
    Q_OBJECT
public:
    explicit InputBox(QWidget* parent = nullptr);

    // Whether the desktop input method may compose in the box. Switching drops whatever it
    // was composing.
    void setInputMethodAccepted(bool accepted);
    bool inputMethodAccepted() const { return accepted_; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    bool accepted_ = true;
};
