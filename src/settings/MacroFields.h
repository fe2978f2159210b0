// Comma-delimited field reading, the way setting.ini's [Macro] section and a macro file's
// title line have always been read.
#pragma once

#include <QString>
#include <QStringList>

// A field starts after any leading blanks; a field that begins with a double quote runs to the
// closing quote (the quotes are dropped), any other to the next comma or the line's end. An
// empty line is one empty field; a comma at the end of a line leaves one more, empty.
class FieldReader {
public:
    explicit FieldReader(const QStringList& lines) : lines_(lines) {}
    bool AtEnd() const { return line_ >= lines_.size(); }
    // The empty text once the end is reached.
    QString Next();

private:
    const QStringList& lines_;
    qsizetype line_ = 0;
    qsizetype pos_ = 0;
};

// The first field of a line.
QString FirstField(const QString& line);

// The line that reads back as the one field `entry`: in quotes when it holds a comma or
// starts with a blank, which would otherwise split it or lose the blank.
QString FieldLine(const QString& entry);

// The lines of a list index them with a 16-bit counter.
inline constexpr qsizetype MaxMacroEntries = 32767;

// The entries after the first field that is exactly "[Macro]". A file older than the running
// program holds two fields per entry, of which the first is kept. Never empty: without
// entries the list is one empty entry.
QStringList ReadMacroEntries(const QStringList& lines, bool olderFile);
