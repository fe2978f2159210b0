// The command lines of a macro file and the pieces of its command language that do not
// depend on running it: blanks, numbers, the key tags.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

struct KeyMap;

// The tags recognised by their leading characters, and the loop's end.
namespace MacroTag {
inline constexpr QStringView Loop = u"<LOOP>";
inline constexpr QStringView LoopEnd = u"<LOOPEND>";
inline constexpr QStringView Text = u"<TEXT>";
inline constexpr QStringView Wait = u"<WAIT>";
inline constexpr QStringView Dialog = u"<DIALOG>";
inline constexpr QStringView Ctrl = u"<CTRL>";
// The line break, which the editor adds by itself.
inline constexpr QStringView Cr = u"<CR>";
} // namespace MacroTag

// The lines a run walks, leading blanks removed, with the physical line (from 1) each came from.
struct MacroProgram {
    QStringList lines;
    QList<qint32> lineNumbers;
};

// Only the space is a blank; a tab-indented command is not recognised.
QStringView WithoutLeadingBlanks(QStringView line);
QStringView WithoutTrailingBlanks(QStringView line);

// Skips lines that are empty after their leading blanks, and "#" and ";" lines.
MacroProgram ReadMacroCommands(const QStringList& fileLines);

// A number in ordinary decimal notation, blanks around it allowed: "3", " -1.5 ", ".5".
std::optional<double> MacroNumber(QStringView text);

// A loop's repetitions from its argument: above 2147483647 taken as 2147483647, rounded to
// the nearest integer with halves to the even one.
qint32 MacroLoopCount(double value);

// The PC key (a virtual-key number) and the modifier flags a key tag plays, the tag
// upper-cased and without trailing blanks; nothing for what is no key tag.
inline constexpr int MacroShiftFlag = 1;
struct MacroKey {
    int key = 0;
    int flags = 0;
};
std::optional<MacroKey> MacroKeyOf(QStringView tag, const KeyMap& keyMap);

// The other way: the tag that plays a virtual key with the flags (0 or `MacroShiftFlag`), the key map's
// keys first; nothing for a key no tag plays.
std::optional<QString> KeyTagOf(int virtualKey, int flags, const KeyMap& keyMap);
