#include "macros/MacroWalk.h"

#include <vector>

namespace {

constexpr int kCtrl = 2;

// One nesting level: the line it is at and the end of its lines, and the loop it is in the
// middle of.
struct Level {
    qsizetype end = 0;
    qsizetype i = 0;
    int shift = 0;
    qint32 count = 0;
    qint32 done = 0;
    qsizetype bodyEnd = 0;
};

QString errorReport(const QString& upper, const QString& line, qint32 lineNumber)
{
    const QString first = WithoutTrailingBlanks(upper) == MacroTag::LoopEnd
                              ? QStringLiteral("<LOOPEND>に対する<LOOP>がありません。")
                              : QStringLiteral("マクロエラーです。");
    return first + QStringLiteral("\r\nコマンドをよく確認してください。\r\nステップ : %1行目\r\nコマンド : %2")
                       .arg(lineNumber)
                       .arg(line);
}

// For every <LOOP>, the index of its <LOOPEND>, or -1; the same pairing as counting depth
// from the loop onwards, found once for the whole run.
std::vector<qsizetype> matchingLoopEnds(const QStringList& upper)
{
    std::vector<qsizetype> match(std::size_t(upper.size()), -1);
    std::vector<qsizetype> open;
    for (qsizetype i = 0; i < upper.size(); ++i) {
        if (upper[i].startsWith(MacroTag::Loop)) {
            open.push_back(i);
        } else if (upper[i].startsWith(MacroTag::LoopEnd) && !open.empty()) {
            match[std::size_t(open.back())] = i;
            open.pop_back();
        }
    }
    return match;
}

} // namespace

QString LoopBalanceMessage()
{
    return QStringLiteral("<LOOP>と<LOOPEND>の対応が正しくありません。\r\nコマンドをよく確認してください。");
}

std::int16_t MacroExecute(const MacroProgram& program, MacroHost& host, const MacroOptions& options,
                          const KeyMap& keyMap)
{
    const QStringList& lines = program.lines;
    QStringList upper;
    upper.reserve(lines.size());
    for (const QString& line : lines)
        upper.append(line.toUpper());
    const std::vector<qsizetype> match = matchingLoopEnds(upper);

    // The end of a command: Ctrl is forgotten, the pause between commands, the next line.
    auto finish = [&](Level& level) {
        level.shift = 0;
        if (options.MacroWait > 0)
            host.WaitSeconds(options.MacroWait);
        ++level.i;
    };
    auto fail = [&](const QString& message) {
        host.ShowError(message);
        host.EnableControls(true);
        return MacroResult::Failed;
    };

    std::vector<Level> levels{Level{lines.size(), 0}};
    while (true) {
        Level& level = levels.back();
        if (level.i >= level.end) {
            levels.pop_back();
            if (levels.empty())
                return MacroResult::Finished;
            Level& loop = levels.back();
            if (++loop.done < loop.count)
                levels.push_back(Level{loop.bodyEnd, loop.i + 1});
            else {
                loop.i = loop.bodyEnd;
                finish(loop);
            }
            continue;
        }

        host.ProcessEvents();
        if (host.TakeAbort()) {
            host.EnableControls(true);
            return MacroResult::Stopped;
        }
        const QString& c = upper[level.i];
        const QString& line = lines[level.i];
        if (c.startsWith(MacroTag::Loop)) {
            // A count that is missing or no number runs the body no time.
            const std::optional<double> value = c.size() > MacroTag::Loop.size() ? MacroNumber(QStringView(c).mid(MacroTag::Loop.size()))
                                                                       : std::nullopt;
            level.count = value ? MacroLoopCount(*value) : 0;
            qsizetype bodyEnd = match[std::size_t(level.i)];
            if (bodyEnd < 0 || bodyEnd > level.end) {
                if (options.MacroError == 1)
                    return fail(LoopBalanceMessage());
                bodyEnd = level.end;
            }
            level.bodyEnd = bodyEnd;
            level.done = 0;
            // An empty body ends at once, however often it would repeat.
            if (level.count <= 0 || bodyEnd == level.i + 1) {
                level.i = bodyEnd;
                finish(level);
            } else {
                const qsizetype first = level.i + 1;
                levels.push_back(Level{bodyEnd, first});
            }
            continue;
        }
        if (c.startsWith(MacroTag::Text)) {
            const QString text = line.mid(MacroTag::Text.size());
            for (const QChar ch : text)
                host.TypeCharacter(QString(ch));
            host.WaitSeconds(float(text.size()) * 0.015f);
        } else if (c.startsWith(MacroTag::Wait)) {
            if (c.size() > MacroTag::Wait.size())
                if (const std::optional<double> seconds = MacroNumber(QStringView(c).mid(MacroTag::Wait.size())))
                    host.WaitSeconds(float(*seconds));
        } else if (c.startsWith(MacroTag::Dialog)) {
            const QString message = line.mid(MacroTag::Dialog.size());
            host.ShowDialog(message.isEmpty() ? QStringLiteral("OKを押すと続行します。") : message);
        } else if (c.startsWith(MacroTag::Ctrl)) {
            level.shift |= kCtrl;
            ++level.i;
            continue;
        } else if (const std::optional<MacroKey> key = MacroKeyOf(WithoutTrailingBlanks(c), keyMap)) {
            level.shift |= key->flags;
            host.KeyDown(key->key, level.shift);
        } else if (options.MacroError == 1) {
            return fail(errorReport(c, line, program.lineNumbers.value(level.i)));
        }
        finish(level);
    }
}
