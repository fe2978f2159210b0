// The main window's keyboard handlers: the window-level key-down (mode toggle keys, focus,
// ESC for a running macro) and the input box's key-down (named phone keys), key-press
// (Enter, spaces, keypad characters) and change (typed text, converted by input mode).
#pragma once

#include <QObject>
#include <functional>

class LogBox;
class QLineEdit;
class QPushButton;
class SerialLink;
class ToggleButton;
class Typist;
struct KeyMap;
struct Settings;

struct KeyboardWidgets {
    QWidget* window;
    ToggleButton* chkPower;
    ToggleButton* chkIMEON;
    ToggleButton* chkAlphaOrKana;
    ToggleButton* chkKanaOrRoma;
    QPushButton* cmdMacroStart;
    QLineEdit* txtInput;
    LogBox* txtInputBuffer;
};

// Modifier flags of a key-down, as the handlers and the macros give them.
namespace KeyFlag {
inline constexpr int Shift = 1;
inline constexpr int Ctrl = 2;
inline constexpr int Alt = 4;
} // namespace KeyFlag

class KeyboardInput : public QObject {
    Q_OBJECT
public:
    KeyboardInput(const KeyboardWidgets& widgets, const Settings& settings, const KeyMap& keyMap, SerialLink& link,
                  Typist& typist, QObject* parent = nullptr);
    ~KeyboardInput() override;

    // True when the key goes no further: the ESC that stops a run is not also the clear key.
    bool Form_KeyDown(int key, int flags);
    // Also the macro interpreter's way of playing a named key.
    void txtInput_KeyDown(int key, int flags);
    // A code page 932 character code (0x8140 for the ideographic space); 0 cancels it,
    // another value replaces it.
    void txtInput_KeyPress(quint16& charCode);
    void txtInput_Change();

    bool FullWidthInput() const;

    // What else runs on these events, wired by the main window.
    std::function<void()> ShowImeIndicator;
    std::function<void()> MacroAbort;
    std::function<void()> Beep;

    bool ShiftHeld = false;
    bool TenKeyPressed = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Preview;
    bool inputBoxKeyPress(class QKeyEvent& event);
    // True when the key typed a character of its own.
    bool keyDown(int key, int flags);

    KeyboardWidgets w_;
    const Settings& settings_;
    const KeyMap& keyMap_;
    SerialLink& link_;
    Typist& typist_;
    Preview* preview_ = nullptr;
};

// The character code of one typed character, and back; 0 for what code page 932 lacks.
quint16 CharCodeOf(QStringView character);
QString TextOfCharCode(quint16 code);
