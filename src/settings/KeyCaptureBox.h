// A read-only box of the options dialog that holds the virtual-key number of the last key
// pressed in it. Typing, pasting and the input method cannot change it.
#pragma once

#include <QLineEdit>

class KeyCaptureBox : public QLineEdit {
    Q_OBJECT
public:
    explicit KeyCaptureBox(QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
