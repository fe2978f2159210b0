#include "InputModeControls.h"

#include "core/ToggleButton.h"
#include "platform/InputMethod.h"
#include "platform/SerialPortService.h"
#include "settings/Settings.h"
#include "textentry/InputModes.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>

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
    setLamp(ImeIndicatorColour(settings_.DontUseIME, w_.chkIMEON->value(), ImeStatusOf(w_.txtInput)));
}

void InputModeControls::ApplyImeOption()
{
    const bool ownConversion = settings_.DontUseIME == 1;
    for (QWidget* toggle : std::initializer_list<QWidget*>{w_.chkIMEON, w_.chkAlphaOrKana, w_.chkKanaOrRoma})
        toggle->setVisible(ownConversion);
    // IME mode 3 (disabled) or the box's own; the platform IME may commit text only in the latter.
    w_.txtInput->setAttribute(Qt::WA_InputMethodEnabled, !ownConversion);
    if (ownConversion)
        w_.chkIMEON->setValue(settings_.IMEON);
    else
        SetImeConversion(w_.txtInput, 25, 0);
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
