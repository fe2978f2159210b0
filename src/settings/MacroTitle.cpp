#include "settings/MacroTitle.h"

#include "platform/Cp932.h"
#include "settings/MacroFields.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Only the first line is wanted; a file without line breaks is not read beyond this.
constexpr qint64 MaxFirstLineBytes = 1 << 20;

QByteArray firstLineBytes(QFile& file)
{
    QByteArray bytes;
    char block[4096];
    while (bytes.size() < MaxFirstLineBytes) {
        const qint64 got = file.read(block, sizeof block);
        // CR and LF are never the second byte of a double-byte character.
        for (qint64 i = 0; i < got; ++i) {
            if (block[i] == '\r' || block[i] == '\n')
                return bytes.append(block, qsizetype(i));
        }
        if (got <= 0)
            break;
        bytes.append(block, qsizetype(got));
    }
    return bytes;
}

} // namespace

QString MacroFolder(const QString& programFolder)
{
    return programFolder + QStringLiteral("Macro/");
}

bool IsPlainMacroFileName(const QString& fileName)
{
    return !fileName.isEmpty() && fileName != u"." && fileName != u".." && !fileName.contains(u'/')
           && !fileName.contains(u'\\') && !fileName.contains(QChar(0));
}

std::optional<QString> MacroTitle(const QString& macroFolder, const QString& fileName)
{
    if (!IsPlainMacroFileName(fileName))
        return std::nullopt;
    QFile file(macroFolder + fileName);
    if (!QFileInfo(file).isFile())
        return std::nullopt;
    // A file that exists but cannot be read is still listed, under its name.
    if (!file.open(QIODevice::ReadOnly))
        return fileName;
    const QString field = FirstField(Cp932::Decode(firstLineBytes(file)));
    return field.startsWith(u'#') ? field.mid(1) : fileName;
}

bool AddMacroTitle(const QString& macroFolder, const QString& fileName, QStringList& list)
{
    const std::optional<QString> title = MacroTitle(macroFolder, fileName);
    if (title)
        list.append(*title);
    return title.has_value();
}
