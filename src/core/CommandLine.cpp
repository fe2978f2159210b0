#include "CommandLine.h"

CommandLine ParseCommandLine(const QStringList& argumentsAfterProgram)
{
    CommandLine line;
    line.text = argumentsAfterProgram.join(u' ');
    const qsizetype at = line.text.indexOf(QStringLiteral("/M"), 0, Qt::CaseInsensitive);
    if (at >= 0)
        line.macroName = line.text.mid(at + 2);
    line.diagnostics = line.text.contains(QStringLiteral("/d"));
    return line;
}
