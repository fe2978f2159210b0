#include "settings/MacroFields.h"

QString FieldReader::Next()
{
    if (AtEnd())
        return {};
    const QString& line = lines_[line_];
    const qsizetype n = line.size();
    while (pos_ < n && (line[pos_] == u' ' || line[pos_] == u'\t'))
        ++pos_;
    QString field;
    qsizetype end = pos_;
    if (pos_ < n && line[pos_] == u'"') {
        const qsizetype close = line.indexOf(u'"', pos_ + 1);
        end = close < 0 ? n : close;
        field = line.sliced(pos_ + 1, end - pos_ - 1);
        // Whatever follows the closing quote up to the next comma belongs to no field.
        end = close < 0 ? n : line.indexOf(u',', close);
        if (end < 0)
            end = n;
    } else {
        end = line.indexOf(u',', pos_);
        if (end < 0)
            end = n;
        field = line.sliced(pos_, end - pos_);
    }
    if (end < n) {
        pos_ = end + 1;
    } else {
        ++line_;
        pos_ = 0;
    }
    return field;
}

QString FirstField(const QString& line)
{
    const QStringList lines{line};
    return FieldReader(lines).Next();
}

QString FieldLine(const QString& entry)
{
    const bool split = entry.contains(u',') || entry.startsWith(u' ') || entry.startsWith(u'\t');
    // A quote inside cannot be quoted; the editor never makes such a name.
    return split && !entry.contains(u'"') ? u'"' + entry + u'"' : entry;
}

QStringList ReadMacroEntries(const QStringList& lines, bool olderFile)
{
    FieldReader fields(lines);
    while (!fields.AtEnd() && fields.Next() != QLatin1String("[Macro]")) {
    }
    QStringList entries;
    while (!fields.AtEnd() && entries.size() < MaxMacroEntries) {
        entries.append(fields.Next());
        if (olderFile)
            fields.Next();
    }
    if (entries.isEmpty())
        entries.append(QString());
    return entries;
}
