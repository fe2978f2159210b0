// Code page 932 (Shift-JIS as Windows writes it) text, and text files of CR LF lines in it.
// Files are replaced atomically, so a crash or a full disk leaves the old file whole.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Cp932 {

// Bytes that are no CP932 sequence decode to U+FFFD each; `invalidBytes` counts them.
QString Decode(const QByteArray& bytes, int* invalidBytes = nullptr);

// Characters without a CP932 form are written as "?"; `lostCharacters` counts them.
QByteArray Encode(QStringView text, int* lostCharacters = nullptr);

// The characters of `text` without a CP932 form, each once, in the order they first occur.
QStringList Unencodable(QStringView text);

// The lines of a text: CR LF, LF or a lone CR ends a line; a last line without an end counts.
QStringList SplitLines(const QString& text);

// False when the system cannot convert CP932 at all; reading and writing files then fail.
bool Available();

struct ReadResult {
    bool ok = false;       // false: the file is missing or unreadable
    QStringList lines;
    int invalidBytes = 0;
    QString error;
};
ReadResult ReadLines(const QString& path);

struct WriteResult {
    bool ok = false;       // false: nothing was replaced; the old file is as it was
    int lostCharacters = 0;
    QString error;
};
// Writes each line followed by CR LF into a temporary file beside `path`, then renames it.
WriteResult WriteLines(const QString& path, const QStringList& lines);

} // namespace Cp932
