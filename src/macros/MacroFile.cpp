#include "macros/MacroFile.h"

#include "macros/MacroCommands.h"
#include "macros/MacroWalk.h"
#include "platform/Cp932.h"

#include <algorithm>

namespace {

constexpr char16_t kForbidden[] = u"\\/:*?\"<>|";
bool startsWithTag(QStringView entry, QStringView tag) { return entry.startsWith(tag, Qt::CaseInsensitive); }

} // namespace

QString CommandTag(QStringView entry)
{
    const QStringView line = WithoutLeadingBlanks(entry);
    const qsizetype close = line.indexOf(u'>');
    return (close < 0 ? line : line.left(close + 1)).toString();
}

std::optional<QString> MacroSaveRefusal(const QString& title, const QString& fileName, const QStringList& entries)
{
    if (title.isEmpty())
        return QStringLiteral("マクロ名を入力してください。");
    if (fileName.isEmpty())
        return QStringLiteral("ファイル名を入力してください。");
    const QStringView forbidden(kForbidden);
    if (std::any_of(fileName.begin(), fileName.end(), [&](QChar c) { return forbidden.contains(c); })) {
        QStringList shown;
        for (const QChar c : forbidden)
            shown << QString(c);
        return QStringLiteral("ファイル名に無効な文字が含まれています。\r\n") + shown.join(u'、')
               + QStringLiteral("\r\nもう一度ご確認ください。");
    }
    // What the file or setting.ini cannot hold would come back as "?", and the handset type it.
    if (const QStringList lost = Cp932::Unencodable(title + fileName + entries.join(QString())); !lost.isEmpty())
        return QStringLiteral("Shift-JISで保存できない文字が含まれています。\r\n") + lost.join(u'、')
               + QStringLiteral("\r\nもう一度ご確認ください。");
    int balance = 0;
    for (const QString& entry : entries) {
        const QString tag = CommandTag(entry);
        if (tag.compare(MacroTag::Loop, Qt::CaseInsensitive) == 0)
            ++balance;
        else if (tag.compare(MacroTag::LoopEnd, Qt::CaseInsensitive) == 0)
            --balance;
    }
    if (balance != 0)
        return LoopBalanceMessage();
    return std::nullopt;
}

QString CompletedMacroFileName(const QString& fileName)
{
    return fileName.endsWith(QStringLiteral(".mcr"), Qt::CaseInsensitive) ? fileName : fileName + QStringLiteral(".mcr");
}

QStringList LoopIndented(const QStringList& entries)
{
    QStringList lines;
    int depth = 0;
    for (const QString& entry : entries) {
        const QStringView line = WithoutLeadingBlanks(entry);
        if (startsWithTag(line, MacroTag::LoopEnd))
            --depth;
        lines.append(QString(2 * std::max(0, depth), u' ') + line.toString());
        if (startsWithTag(line, MacroTag::Loop))
            ++depth;
    }
    return lines;
}

QStringList MacroFileLines(const QString& title, const QStringList& entries)
{
    return QStringList{u'#' + title} + LoopIndented(entries);
}

QString MacroFileNotFoundMessage() { return QStringLiteral("ファイルが見つかりませんでした。\r\n一度ご確認ください。"); }
