// Writing a macro file: the checks a save must pass, the ".mcr" completion and the lines
// written, title first and loops indented.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The text up to and including the first ">", leading blanks removed.
QString CommandTag(QStringView entry);

// The message that refuses the save, in the order the checks are made; nothing when it may go on.
std::optional<QString> MacroSaveRefusal(const QString& title, const QString& fileName, const QStringList& entries);

// ".mcr" appended unless the name ends in it, in any case of letters.
QString CompletedMacroFileName(const QString& fileName);

// Each entry without its leading blanks, indented two blanks a loop level.
QStringList LoopIndented(const QStringList& entries);

// "#" + title, then the entries loop-indented.
QStringList MacroFileLines(const QString& title, const QStringList& entries);

// What a run or the editor says of a listed macro whose file is gone.
QString MacroFileNotFoundMessage();
