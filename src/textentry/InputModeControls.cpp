#include "InputModeControls.h"

#include "core/ToggleButton.h"
#include "platform/DesktopInputMethod.h"
#include "platform/InputBox.h"
#include "platform/InputMethod.h"
#include "platform/SerialPortService.h"
#include "settings/Settings.h"
#include "textentry/InputModes.h"

#include <QAction>
#include <QEvent>
#include <QLabel>

InputModeControls::InputModeControls(const InputModeWidgets& widgets, const Settings& settings,
                                     const SerialPortService& port, QObject* parent)
    : QObject(parent), w_(widgets), settings_(settings), port_(port)
{
    for (QAction* item : w_.mnuIME)
        item->setCheckable(true);
    // Until chkIMEON is first switched on, the two mode toggles wait.
    w_.chkAlphaOrKana->setEnabled(false);
    w_.chkKanaOrRoma->setEnabled(false);
    w_.mnuIME[1]->setEnabled(false);
    w_.mnuIME[2]->setEnabled(false);
    connect(w_.chkIMEON, &ToggleButton::valueChanged, this, &InputModeControls::chkIMEON_Click);
    connect(w_.chkAlphaOrKana, &ToggleButton::valueChanged, this, &InputModeControls::chkAlphaOrKana_Click);
    connect(w_.chkKanaOrRoma, &ToggleButton::valueChanged, this, &InputModeControls::chkKanaOrRoma_Click);
    for (int i = 0; i < 3; ++i)
        connect(w_.mnuIME[std::size_t(i)], &QAction::triggered, this, [this, i] { mnuIME_Click(i); });
    setLamp(LampBlack);
    w_.txtInput->installEventFilter(this);
}

bool InputModeControls::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == w_.txtInput && event->type() == QEvent::FocusIn)
        activateDesktopImeIfWanted();
    return false;
}

void InputModeControls::activateDesktopImeIfWanted()
{
    // IMEON 1 with the desktop input method: it comes on whenever the box has the focus.
    if (settings_.DontUseIME == 0 && settings_.IMEON == 1 && w_.txtInput->hasFocus())
        DesktopInputMethod::instance().setActive(true);
}

void InputModeControls::chkIMEON_Click()
{
    const bool on = w_.chkIMEON->value() == 1;
    w_.chkAlphaOrKana->setEnabled(on);
    w_.chkKanaOrRoma->setEnabled(on);
    w_.mnuIME[0]->setChecked(on);
    w_.mnuIME[1]->setEnabled(on);
    w_.mnuIME[2]->setEnabled(on);
    setLamp(on ? LampRed : LampBlack);
    focusInputIfOpen();
}

void InputModeControls::chkAlphaOrKana_Click()
{
    const int value = w_.chkAlphaOrKana->value();
    w_.chkAlphaOrKana->setText(AlphaOrKanaCaption(value));
    w_.mnuIME[1]->setChecked(value == 1);
    w_.mnuIME[1]->setText(w_.chkAlphaOrKana->text());
    focusInputIfOpen();
}

void InputModeControls::chkKanaOrRoma_Click()
{
    const int value = w_.chkKanaOrRoma->value();
    w_.chkKanaOrRoma->setText(KanaOrRomaCaption(value));
    w_.mnuIME[2]->setChecked(value == 1);
    w_.mnuIME[2]->setText(w_.chkKanaOrRoma->text());
    focusInputIfOpen();
}

void InputModeControls::mnuIME_Click(int index)
{
    ToggleButton* toggles[] = {w_.chkIMEON, w_.chkAlphaOrKana, w_.chkKanaOrRoma};
    if (index < 0 || index > 2)
        return;
    // A checkable action has already flipped its own mark; the toggle's handling sets it right.
    toggles[index]->setValue(ToggledValue(toggles[index]->value()));
}

void InputModeControls::ShowImeIndicator()
{
    // The desktop input method is asked only when it does the converting.
    const int status = settings_.DontUseIME == 1 ? 0 : ImeStatusOf(w_.txtInput);
    setLamp(ImeIndicatorColour(settings_.DontUseIME, w_.chkIMEON->value(), status));
}

void InputModeControls::ApplyImeOption()
{
    const bool ownConversion = settings_.DontUseIME == 1;
    for (QWidget* toggle : std::initializer_list<QWidget*>{w_.chkIMEON, w_.chkAlphaOrKana, w_.chkKanaOrRoma})
        toggle->setVisible(ownConversion);
    // IME mode 3 (disabled) or the box's own; the platform IME may commit text only in the latter.
    w_.txtInput->setInputMethodAccepted(!ownConversion);
    if (ownConversion) {
        w_.chkIMEON->setValue(settings_.IMEON);
        return;
    }
    // Its answers come later: the lamp follows each change it reports.
    connect(&DesktopInputMethod::instance(), &DesktopInputMethod::stateChanged, this,
            &InputModeControls::ShowImeIndicator, Qt::UniqueConnection);
    SetImeConversion(w_.txtInput, 25, 0);
    activateDesktopImeIfWanted();
}

void InputModeControls::setLamp(int colour)
{
    lampColour_ = colour;
    w_.lblLED->setStyleSheet(colour == LampRed ? QStringLiteral("color: rgb(255, 0, 0);")
                                               : QStringLiteral("color: rgb(0, 0, 0);"));
}

void InputModeControls::focusInputIfOpen()
{
    if (port_.isOpen())
        w_.txtInput->setFocus();
}
