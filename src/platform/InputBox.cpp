#include "InputBox.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMenu>

#include <memory>

namespace {

bool IsUndoOrRedo(const QKeyEvent& event)
{
    return event.matches(QKeySequence::Undo) || event.matches(QKeySequence::Redo);
}

} // namespace

InputBox::InputBox(QWidget* parent) : QLineEdit(parent) {}

void InputBox::setInputMethodAccepted(bool accepted)
{
    if (accepted == accepted_)
        return;
    if (hasFocus())
        QGuiApplication::inputMethod()->reset();
    accepted_ = accepted;
    // The platform's input context asks again whether the focused box takes it.
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled);
}

bool InputBox::event(QEvent* event)
{
    // The attribute WA_InputMethodEnabled alone is not enough: setReadOnly(false) sets it
    // again, and the input context keeps what it was told at focus-in. The box answers the
    // query itself, whatever the attribute says.
    if (event->type() == QEvent::InputMethodQuery && !accepted_) {
        auto* query = static_cast<QInputMethodQueryEvent*>(event);
        query->setValue(Qt::ImEnabled, false);
        query->accept();
        return true;
    }
    if (event->type() == QEvent::ShortcutOverride && IsUndoOrRedo(static_cast<QKeyEvent&>(*event))) {
        // Ours to swallow, before any shortcut of the window takes it.
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void InputBox::keyPressEvent(QKeyEvent* event)
{
    if (IsUndoOrRedo(*event)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void InputBox::contextMenuEvent(QContextMenuEvent* event)
{
    // Qt names the entries only by their texts (with the shortcut after a tab).
    const QStringList history{QLineEdit::tr("&Undo"), QLineEdit::tr("&Redo")};
    std::unique_ptr<QMenu> menu(createStandardContextMenu());
    for (QAction* action : menu->actions()) {
        if (history.contains(action->text().section(u'\t', 0, 0)))
            menu->removeAction(action);
    }
    menu->exec(event->globalPos());
}

void InputBox::inputMethodEvent(QInputMethodEvent* event)
{
    if (!accepted_) {
        event->ignore();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}
