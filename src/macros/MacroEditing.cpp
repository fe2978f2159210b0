#include "macros/MacroEditing.h"

#include "macros/MacroCommands.h"
#include "macros/MacroFile.h"

#include <algorithm>

namespace {

qsizetype leadingBlanks(QStringView entry) { return entry.size() - WithoutLeadingBlanks(entry).size(); }

bool startsWithTag(QStringView entry, QStringView tag)
{
    return WithoutLeadingBlanks(entry).startsWith(tag, Qt::CaseInsensitive);
}

} // namespace

QString MacroIndentAt(const QStringList& entries, int position)
{
    // Position 1 is indented too, so that a command below a "<LOOP>" at the top shows inside it.
    if (position <= 0 || position > entries.size())
        return {};
    const QString& above = entries[position - 1];
    qsizetype blanks = leadingBlanks(above);
    if (startsWithTag(above, MacroTag::Loop))
        blanks += 2;
    if (position < entries.size() && startsWithTag(entries[position], MacroTag::LoopEnd))
        blanks -= 2;
    return QString(std::max<qsizetype>(0, blanks), u' ');
}

QString Reindented(QStringView entry, const QString& indent) { return indent + WithoutLeadingBlanks(entry).toString(); }

QString ToggledComment(const QString& entry)
{
    const qsizetype open = entry.indexOf(u'<');
    if (open < 0)
        return entry;
    const QStringView head = QStringView(entry).left(open + 1);
    const qsizetype marker = std::max(head.indexOf(u'#'), head.indexOf(u';'));
    QString toggled = entry;
    if (marker < 0)
        toggled.insert(open, u'#');
    else
        toggled.remove(marker, 1);
    return toggled;
}

EditorMacro EditorMacroFromFile(const QStringList& fileLines)
{
    EditorMacro macro;
    for (qsizetype i = 0; i < fileLines.size(); ++i) {
        const QString& line = fileLines[i];
        const QStringView text = WithoutLeadingBlanks(line);
        if (i == 0 && text.startsWith(u'#')) {
            macro.title = text.mid(1).toString();
            continue;
        }
        if (text.isEmpty())
            continue;
        const qsizetype close = line.indexOf(u'>');
        macro.entries.append(close < 0 ? line : line.left(close + 1).toUpper() + line.mid(close + 1));
    }
    return macro;
}

QString UnclashedFileName(const QString& fileName, const QStringList& otherFiles)
{
    QString name = fileName;
    while (otherFiles.contains(CompletedMacroFileName(name))) {
        const qsizetype extension = name.toLower().lastIndexOf(QStringLiteral(".mcr"));
        name = (extension < 0 ? name : name.left(extension)) + u'_';
    }
    return name;
}
