// The title under which a macro file is listed: "#" and the title on its first line.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// "Macro/" under the program folder, which ends in "/".
QString MacroFolder(const QString& programFolder);

// A name that stays inside the Macro folder: no separator, not "." or "..", no NUL. Names
// from setting.ini or the command line are checked before anything is read.
bool IsPlainMacroFileName(const QString& fileName);

// The first field of the file's first line without its "#" when it is a title line, else the
// file name; nothing when `fileName` is not a file in `macroFolder`.
std::optional<QString> MacroTitle(const QString& macroFolder, const QString& fileName);

// Appends the title to `list` when the file exists; says whether it did.
bool AddMacroTitle(const QString& macroFolder, const QString& fileName, QStringList& list);
