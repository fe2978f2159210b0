// The three mode toggles of the main window, their menu entries and the IME lamp: what
// happens when a toggle's value changes, by a click, the menu, a toggle key or start-up.
#pragma once

#include <QObject>
#include <array>

class QAction;
class QLabel;
class InputBox;
class SerialPortService;
class ToggleButton;
struct Settings;

struct InputModeWidgets {
    ToggleButton* chkIMEON;
    ToggleButton* chkAlphaOrKana;
    ToggleButton* chkKanaOrRoma;
    std::array<QAction*, 3> mnuIME;
    QLabel* lblLED;
    InputBox* txtInput;
};

class InputModeControls : public QObject {
    Q_OBJECT
public:
    InputModeControls(const InputModeWidgets& widgets, const Settings& settings, const SerialPortService& port,
                      QObject* parent = nullptr);

    void chkIMEON_Click();
    void chkAlphaOrKana_Click();
    void chkKanaOrRoma_Click();
    void mnuIME_Click(int index);
    void ShowImeIndicator();
    void ApplyImeOption();

    // The lamp's colour as the window's colour number (255 red, 0 black).
    int lampColour() const { return lampColour_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void activateDesktopImeIfWanted();
    void setLamp(int colour);
    void focusInputIfOpen();

    InputModeWidgets w_;
    const Settings& settings_;
    const SerialPortService& port_;
    int lampColour_ = 0;
};
