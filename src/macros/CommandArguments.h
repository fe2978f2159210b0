// The arguments the command dialogs build: which wait times and loop counts are taken, how a
// typed text becomes "<TEXT>" and "<CR>" lines, and a command's argument replaced in place.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// A number above 0 as a single-precision value.
bool IsAcceptedWait(const QString& text);

// The text a loop stores: as typed when its nearest integer is at least 1, "2147483647" when
// it lies above that; nothing when it is refused.
std::optional<QString> AcceptedLoopCount(const QString& text);

// prefix + "<TEXT>" + piece for every non-empty piece between line breaks (CR LF, LF or a lone
// CR), prefix + "<CR>" for every line break, in order.
QStringList TextCommandLines(const QString& text, const QString& prefix);

// What follows the entry's first ">".
QString CommandArgument(QStringView entry);

// The entry's part before its first "<" (indentation, a disabling mark) + tag + argument.
QString ReplacedCommand(QStringView entry, QStringView tag, QStringView argument);
