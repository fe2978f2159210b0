#include "KeyCaptureBox.h"

#include "platform/VirtualKeys.h"

#include <QKeyEvent>

KeyCaptureBox::KeyCaptureBox(QWidget* parent) : QLineEdit(parent)
{
    setReadOnly(true);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

bool KeyCaptureBox::event(QEvent* event)
{
    // Every key is for the box, Alt+letter and the dialog's other shortcuts included.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void KeyCaptureBox::keyPressEvent(QKeyEvent* event)
{
    // The key itself counts, not the modifiers held with it: Shift+F1 is F1.
    if (const int code = VirtualKeyFromQt(*event))
        setText(QString::number(code));
    event->accept();
}
