// The macro editor's rules over its command list, apart from its window: indentation, the
// disable toggle, a file's lines as the editor shows them, and a file name that clashes.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The blanks an entry inserted at `position` is indented with: those of the entry above, two
// more below a "<LOOP>", two fewer for a "<LOOPEND>" at `position`. None at the top, when
// appending (-1) or in an empty list.
QString MacroIndentAt(const QStringList& entries, int position);

// The entry with its leading blanks replaced by `indent`.
QString Reindented(QStringView entry, const QString& indent);

// Puts "#" before the entry's first "<", or takes the marker ("#" or ";") nearest that "<"
// away; an entry without "<" stays as it is.
QString ToggledComment(const QString& entry);

// A file's lines as the editor lists them: the title from a first "#" line, then every line
// that holds more than blanks, its tag (up to the first ">") upper-cased.
struct EditorMacro {
    std::optional<QString> title;
    QStringList entries;
};
EditorMacro EditorMacroFromFile(const QStringList& fileLines);

// The name a save uses so that it never replaces a file in `otherFiles`: "_" before its
// ".mcr" (or at its end) until it no longer matches one.
QString UnclashedFileName(const QString& fileName, const QStringList& otherFiles);
