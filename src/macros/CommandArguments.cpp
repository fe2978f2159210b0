#include "macros/CommandArguments.h"

#include "macros/MacroCommands.h"

#include <limits>

bool IsAcceptedWait(const QString& text)
{
    const std::optional<double> value = MacroNumber(text);
    return value && float(*value) > 0.0f;
}

std::optional<QString> AcceptedLoopCount(const QString& text)
{
    const std::optional<double> value = MacroNumber(text);
    if (!value || MacroLoopCount(*value) < 1)
        return std::nullopt;
    if (*value > double(std::numeric_limits<qint32>::max()))
        return QString::number(std::numeric_limits<qint32>::max());
    return text;
}

QStringList TextCommandLines(const QString& text, const QString& prefix)
{
    QStringList lines;
    QString piece;
    const auto flush = [&] {
        if (!piece.isEmpty())
            lines.append(prefix + MacroTag::Text.toString() + piece);
        piece.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') {
            piece.append(c);
            continue;
        }
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        flush();
        lines.append(prefix + MacroTag::Cr.toString());
    }
    flush();
    return lines;
}

QString CommandArgument(QStringView entry)
{
    const qsizetype close = entry.indexOf(u'>');
    return close < 0 ? QString() : entry.mid(close + 1).toString();
}

QString ReplacedCommand(QStringView entry, QStringView tag, QStringView argument)
{
    const qsizetype open = entry.indexOf(u'<');
    const QStringView kept = open < 0 ? entry.left(entry.size() - WithoutLeadingBlanks(entry).size()) : entry.left(open);
    return kept.toString() + tag.toString() + argument.toString();
}
