#include "KeyboardInput.h"

#include "core/LogBox.h"
#include "core/ToggleButton.h"
#include "link/SerialLink.h"
#include "platform/Cp932.h"
#include "platform/InputMethod.h"
#include "platform/VirtualKeys.h"
#include "settings/Settings.h"
#include "textentry/InputModes.h"
#include "textentry/KeyRules.h"
#include "textentry/TypeCharacter.h"
#include "textentry/mdlChangeAlphabet.h"
#include "textentry/mdlChangeKana.h"
#include "textentry/mdlChangeRoma.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr quint16 kIdeographicSpace = 0x8140;

int FlagsOf(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? KeyFlag::Shift : 0) | (modifiers & Qt::ControlModifier ? KeyFlag::Ctrl : 0)
           | (modifiers & Qt::AltModifier ? KeyFlag::Alt : 0);
}

} // namespace

quint16 CharCodeOf(QStringView character)
{
    if (character.size() == 1 && character.front().unicode() < 0x80)
        return character.front().unicode();
    int lost = 0;
    const QByteArray bytes = Cp932::Encode(character, &lost);
    if (lost != 0 || bytes.isEmpty() || bytes.size() > 2)
        return 0;
    if (bytes.size() == 1)
        return quint8(bytes[0]);
    return quint16(quint8(bytes[0]) << 8 | quint8(bytes[1]));
}

QString TextOfCharCode(quint16 code)
{
    if (code < 0x80)
        return QString(QChar(code));
    QByteArray bytes;
    if (code > 0xFF)
        bytes.append(char(code >> 8));
    bytes.append(char(code & 0xFF));
    return Cp932::Decode(bytes);
}

// Sees every key event of the program before its receiver: the window-level key-down runs
// first for keys meant for the main window, and the keyboard state follows every key.
class KeyboardInput::Preview : public QObject {
public:
    explicit Preview(KeyboardInput& owner) : QObject(&owner), owner_(owner) { qApp->installEventFilter(this); }
    ~Preview() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const auto type = event->type();
        if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() != owner_.w_.window || !isFirstReceiver(widget))
            return false;
        auto& key = static_cast<QKeyEvent&>(*event);
        const int vk = VirtualKeyFromQt(key);
        NoteKeyDown(vk, type == QEvent::KeyPress);
        if (type != QEvent::KeyPress || vk == 0 || forwarding_)
            return false;
        if (owner_.Form_KeyDown(vk, FlagsOf(key.modifiers())))
            return true;
        // The key took the focus to the input box: it is the box's key, not the control's it left.
        QLineEdit* box = owner_.w_.txtInput;
        if (widget == box || QApplication::focusWidget() != box)
            return false;
        QKeyEvent copy(type, key.key(), key.modifiers(), key.nativeScanCode(), key.nativeVirtualKey(),
                       key.nativeModifiers(), key.text(), key.isAutoRepeat(), key.count());
        forwarding_ = true;
        QCoreApplication::sendEvent(box, &copy);
        forwarding_ = false;
        return true;
    }

private:
    // A key that the receiver ignores travels on to its parents; preview it only once.
    bool isFirstReceiver(QWidget* widget) const
    {
        return widget == owner_.w_.txtInput || widget == QApplication::focusWidget();
    }

    KeyboardInput& owner_;
    bool forwarding_ = false;
};

KeyboardInput::KeyboardInput(const KeyboardWidgets& widgets, const Settings& settings, const KeyMap& keyMap,
                             SerialLink& link, Typist& typist, QObject* parent)
    : QObject(parent), w_(widgets), settings_(settings), keyMap_(keyMap), link_(link), typist_(typist)
{
    preview_ = new Preview(*this);
    w_.txtInput->installEventFilter(this);
    connect(w_.txtInput, &QLineEdit::textChanged, this, &KeyboardInput::txtInput_Change);
}

KeyboardInput::~KeyboardInput() = default;

bool KeyboardInput::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != w_.txtInput)
        return false;
    if (event->type() == QEvent::KeyPress)
        return inputBoxKeyPress(static_cast<QKeyEvent&>(*event));
    return false;
}

bool KeyboardInput::inputBoxKeyPress(QKeyEvent& event)
{
    const int vk = VirtualKeyFromQt(event);
    // A key-down that typed a character itself leaves nothing for the key's own character.
    if (vk != 0 && keyDown(vk, FlagsOf(event.modifiers())))
        return true;
    // Delete types no character; everything with a text does, control characters included.
    const QString text = event.text();
    if (event.key() == Qt::Key_Delete || text.isEmpty())
        return false;
    // A key with Alt is a command (a mnemonic no control took), never a character.
    if (event.modifiers() & Qt::AltModifier)
        return true;
    const quint16 typed = CharCodeOf(text);
    if (typed == 0)
        return false;
    quint16 code = typed;
    txtInput_KeyPress(code);
    if (code == typed)
        return false;
    if (code != 0 && !w_.txtInput->isReadOnly())
        w_.txtInput->insert(TextOfCharCode(code));
    return true;
}

bool KeyboardInput::FullWidthInput() const
{
    if (settings_.DontUseIME == 0) {
        const int mode = ImeModeOf(w_.txtInput);
        return mode == 1 || mode == 4 || mode == 5 || mode == 7;
    }
    return settings_.DontUseIME == 1 && w_.chkIMEON->value() == 1;
}

bool KeyboardInput::Form_KeyDown(int key, int /*flags*/)
{
    if (settings_.DontUseIME == 1) {
        if (key == 243 || key == 244) {
            w_.chkIMEON->setValue(ToggledValue(w_.chkIMEON->value()));
            return false;
        }
        if (w_.chkIMEON->value() == 1) {
            if (key == 29 || key == 242)
                w_.chkKanaOrRoma->setValue(ToggledValue(w_.chkKanaOrRoma->value()));
            else if (key == 240)
                w_.chkAlphaOrKana->setValue(ToggledValue(w_.chkAlphaOrKana->value()));
        }
    }
    if (w_.cmdMacroStart->isEnabled() || key != Vk::Esc) {
        w_.txtInput->setFocus();
        return false;
    }
    if (MacroAbort)
        MacroAbort();
    return true;
}

void KeyboardInput::txtInput_KeyDown(int key, int flags)
{
    keyDown(key, flags);
    // A played keypad key has no character of its own to follow it: the next one typed is the user's.
    TenKeyPressed = false;
}

bool KeyboardInput::keyDown(int key, int flags)
{
    if (ShowImeIndicator)
        ShowImeIndicator();
    if (w_.chkPower->value() == 0)
        return false;
    if (key == Vk::ImeProcessing) {
        // The IME took the key; a keypad key held down is still the keypad's.
        const KeyboardStateBytes state = GetKeyboardState();
        for (int i = 0; i <= 13; ++i) {
            if (state[std::size_t(Vk::Pad0 + i)] & 0x80) {
                key = Vk::Pad0 + i;
                break;
            }
        }
    }
    const bool shift = flags & KeyFlag::Shift;
    if (settings_.DontUseIME == 1 && w_.chkAlphaOrKana->value() == 1 && w_.chkKanaOrRoma->value() == 0 && shift
        && key == Vk::Zero) {
        typist_.TypeCharacter(QStringLiteral("を"));
        return true;
    }
    // Shift on its own is a key-down too, and it must not end a Shift+letter in romaji input.
    ShiftHeld = shift || key == Vk::Shift;

    KeyRuleInput in;
    in.key = key;
    in.ctrl = flags & KeyFlag::Ctrl;
    in.shiftHeld = ShiftHeld;
    in.inputEmpty = w_.txtInput->text().isEmpty();
    in.tenKeySwap = settings_.TenKeySwap;
    in.bsEmulation = settings_.BSEmulation;
    const KeyRuleResult rule = NamedKeyRule(in, keyMap_);
    if (rule.recordLineBreak) {
        if (settings_.DontKeyLog != 1)
            w_.txtInputBuffer->insertAtCaret(QStringLiteral("<CR>"));
        w_.txtInputBuffer->caretToStart();
        w_.txtInputBuffer->insertAtCaret(QStringLiteral("\n"));
        w_.txtInputBuffer->caretToStart();
    }
    if (rule.tenKey)
        TenKeyPressed = true;
    for (const KeyCode& code : rule.codes)
        link_.SendKeyCode(code);
    return false;
}

void KeyboardInput::txtInput_KeyPress(quint16& charCode)
{
    if (w_.chkPower->value() == 0)
        return;
    if (charCode == 13 || charCode == 10 || charCode == 127) {
        charCode = 0;
        return;
    }
    if (TenKeyPressed) {
        if (settings_.DontKeyLog != 1)
            w_.txtInputBuffer->insertAtCaret(TextOfCharCode(charCode));
        TenKeyPressed = false;
        charCode = 0;
        return;
    }
    if (charCode == 32 || charCode == kIdeographicSpace) {
        if (!FullWidthInput()) {
            charCode = 32;
        } else if (settings_.SpaceChange == 1 && !ShiftHeld) {
            link_.SendKeyCode(KeyCode{KeyKind::Named, 6, 1});
            charCode = 0;
        } else {
            charCode = kIdeographicSpace;
        }
    }
}

void KeyboardInput::txtInput_Change()
{
    const QString text = w_.txtInput->text();
    if (w_.chkPower->value() == 0 || text.isEmpty())
        return;
    if (text.size() >= 4) {
        typist_.TypeCharacter(text);
        // Text that nothing in it could be typed from (kanji, emoji) would otherwise be sent
        // again with every later keystroke; it goes, as each such character is dropped.
        if (w_.txtInput->text() == text)
            w_.txtInput->clear();
        return;
    }
    // chkIMEON keeps its value while the desktop input method converts instead; what that
    // commits is never the program's to convert again.
    if (settings_.DontUseIME == 1 && w_.chkIMEON->value() == 1) {
        if (text == u"　") {
            typist_.TypeCharacter(text);
        } else {
            QString converted;
            switch (ConversionForMode(w_.chkAlphaOrKana->value(), w_.chkKanaOrRoma->value(), ShiftHeld)) {
            case InputConversion::Kana:
                if (ConvertKana(text, ShiftHeld, converted, [this] { if (Beep) Beep(); }))
                    typist_.TypeCharacter(converted);
                break;
            case InputConversion::Alphabet:
                if (ConvertAlphabet(text, converted))
                    typist_.TypeCharacter(converted);
                break;
            case InputConversion::Romaji: {
                QString remainder;
                if (ConvertRoma(text, converted, remainder)) {
                    typist_.TypeCharacter(converted);
                    w_.txtInput->setText(remainder);
                    w_.txtInput->end(false);
                }
                break;
            }
            case InputConversion::None:
                break;
            }
        }
    } else {
        typist_.TypeCharacter(text);
    }
    ShiftHeld = false;
}
