#include "ToggleButton.h"

ToggleButton::ToggleButton(const QString& name, const QString& caption, QWidget* parent) : QPushButton(caption, parent)
{
    setObjectName(name);
    setCheckable(true);
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QPushButton::toggled, this, &ToggleButton::valueChanged);
}
