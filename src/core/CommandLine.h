// The switches of the command line: "/M name" (or "/m") runs a macro at start-up, "/d"
// anywhere turns on the diagnostic log and the cable option.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

struct CommandLine {
    // The arguments after the program name, joined by blanks.
    QString text;
    // Everything after the first "/M" or "/m", as written.
    std::optional<QString> macroName;
    bool diagnostics = false;
};

CommandLine ParseCommandLine(const QStringList& argumentsAfterProgram);
