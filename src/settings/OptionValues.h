// The two numbers typed into the options dialog, checked before anything is stored.
#pragma once

#include <QStringView>
#include <cstdint>
#include <optional>

// The whole text, blanks around it aside, is one decimal number ("3", "-0.5", "1e1").
bool IsNumberText(QStringView text);

// A port text stands for 1 to 15 and is stored rounded, halves to even ("2.5" is port 2).
std::optional<std::int16_t> PortNumberFromText(QStringView text);

// A wait is a number of seconds, at least 0, that a single-precision number holds.
std::optional<float> MacroWaitFromText(QStringView text);
