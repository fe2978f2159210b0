// A push-button-style check box holding 0 or 1. Changing the value from code runs the same
// handling as a click, because both arrive as valueChanged.
#pragma once

#include <QPushButton>
#include <cstdint>

class ToggleButton : public QPushButton {
    Q_OBJECT
public:
    ToggleButton(const QString& name, const QString& caption, QWidget* parent);

    std::int16_t value() const { return isChecked() ? 1 : 0; }
    void setValue(std::int16_t value) { setChecked(value == 1); }

Q_SIGNALS:
    void valueChanged();
};
