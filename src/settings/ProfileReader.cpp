#include "settings/ProfileReader.h"

#include "platform/Cp932.h"

namespace {

// Ctrl-Z counts as a blank: old editors left it at the end of the file.
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == QChar(0x1A);
}

QStringView trimmed(QStringView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.sliced(begin, end - begin);
}

} // namespace

Profile Profile::FromLines(const QStringList& lines)
{
    Profile profile;
    // Keys before the first section header belong to a nameless section nobody asks for.
    Section* current = nullptr;
    for (const QString& rawLine : lines) {
        const QStringView line = trimmed(rawLine);
        if (line.isEmpty() || line.front() == u';')
            continue;
        if (line.front() == u'[') {
            const qsizetype close = line.indexOf(u']');
            if (close > 0) {
                const QString name = trimmed(line.sliced(1, close - 1)).toString().toCaseFolded();
                current = nullptr;
                // A repeated section is never searched: the first one answers.
                if (!profile.sections_.contains(name))
                    current = &profile.sections_[name];
                continue;
            }
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0 || current == nullptr)
            continue;
        current->append(Entry{trimmed(line.first(equals)).toString(), trimmed(line.sliced(equals + 1)).toString()});
    }
    return profile;
}

Profile Profile::FromText(const QString& text)
{
    return FromLines(Cp932::SplitLines(text));
}

Profile Profile::FromFile(const QString& path)
{
    const Cp932::ReadResult read = Cp932::ReadLines(path);
    return read.ok ? FromLines(read.lines) : Profile();
}

QString Profile::Value(QStringView section, QStringView key) const
{
    const auto found = sections_.constFind(section.toString().toCaseFolded());
    if (found == sections_.constEnd())
        return {};
    for (const Entry& e : *found) {
        if (e.key.compare(key, Qt::CaseInsensitive) != 0)
            continue;
        QStringView value = e.value;
        // The result was a C string: it ends at the first NUL.
        const qsizetype nul = value.indexOf(QChar(0));
        if (nul >= 0)
            value = value.first(nul);
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'')
            && value.back() == value.front())
            value = value.sliced(1, value.size() - 2);
        return value.first(std::min(value.size(), MaxValueLength)).toString();
    }
    return {};
}

QString ReadProfileValue(const QString& path, QStringView section, QStringView key)
{
    return Profile::FromFile(path).Value(section, key);
}
