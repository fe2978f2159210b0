#include "macros/MacroCommands.h"

#include "platform/VirtualKeys.h"
#include "settings/Settings.h"

#include <cmath>
#include <limits>

namespace {

constexpr int kShift = MacroShiftFlag;

} // namespace

QStringView WithoutLeadingBlanks(QStringView line)
{
    qsizetype i = 0;
    while (i < line.size() && line[i] == u' ')
        ++i;
    return line.mid(i);
}

QStringView WithoutTrailingBlanks(QStringView line)
{
    qsizetype n = line.size();
    while (n > 0 && line[n - 1] == u' ')
        --n;
    return line.left(n);
}

MacroProgram ReadMacroCommands(const QStringList& fileLines)
{
    MacroProgram program;
    qint32 number = 0;
    for (const QString& raw : fileLines) {
        ++number;
        const QStringView line = WithoutLeadingBlanks(raw);
        if (line.isEmpty() || line.front() == u'#' || line.front() == u';')
            continue;
        program.lines.append(line.toString());
        program.lineNumbers.append(number);
    }
    return program;
}

std::optional<double> MacroNumber(QStringView text)
{
    const QStringView t = WithoutTrailingBlanks(WithoutLeadingBlanks(text));
    qsizetype i = 0;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
        ++i;
    int digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        if (t[i] >= u'0' && t[i] <= u'9')
            ++digits;
        else if (t[i] == u'.' && !point)
            point = true;
        else
            return std::nullopt;
    }
    if (digits == 0)
        return std::nullopt;
    bool ok = false;
    const double value = t.toString().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

qint32 MacroLoopCount(double value)
{
    constexpr double kMax = std::numeric_limits<qint32>::max();
    constexpr double kMin = std::numeric_limits<qint32>::min();
    if (!(value < kMax))
        return std::numeric_limits<qint32>::max();
    // Below the range no count runs anything; the lowest count says as much.
    if (value < kMin)
        return std::numeric_limits<qint32>::min();
    return qint32(std::nearbyint(value));
}

namespace {

struct MappedKey {
    const char16_t* tag;
    std::int16_t KeyMap::*key;
    int flags;
};

// In the order a recorded key is looked up; a tag named twice plays its first key.
constexpr MappedKey kMappedKeys[] = {
    {u"<UP>", &KeyMap::KEY_Up, 0},
    {u"<DOWN>", &KeyMap::KEY_Down, 0},
    {u"<LEFT>", &KeyMap::KEY_Left, 0},
    {u"<RIGHT>", &KeyMap::KEY_Right, 0},
    {u"<MENU>", &KeyMap::KEY_SubMenu, 0},
    {u"<CHAR>", &KeyMap::KEY_CharChange, 0},
    {u"<OK>", &KeyMap::KEY_OK, 0},
    {u"<CLEAR>", &KeyMap::KEY_Clear1, 0},
    {u"<CLEAR>", &KeyMap::KEY_Clear2, 0},
    {u"<CLEAR>", &KeyMap::KEY_Clear3, 0},
    {u"<OFF-HOOK>", &KeyMap::KEY_OffHook, 0},
    {u"<ON-HOOK>", &KeyMap::KEY_OnHook, 0},
    {u"<CR>", &KeyMap::KEY_OK, kShift},
};

constexpr QStringView kPadStar = u"<TEN-*>";
constexpr QStringView kPadHash = u"<TEN-#>";

} // namespace

std::optional<MacroKey> MacroKeyOf(QStringView tag, const KeyMap& keyMap)
{
    for (const MappedKey& n : kMappedKeys)
        if (tag == QStringView(n.tag))
            return MacroKey{keyMap.*n.key, n.flags};

    if (tag == kPadStar)
        return MacroKey{Vk::PadStar, 0};
    if (tag == kPadHash)
        return MacroKey{Vk::PadMinus, 0};
    // <TEN-0> .. <TEN-9>
    if (tag.size() == 7 && tag.startsWith(u"<TEN-") && tag[6] == u'>' && tag[5] >= u'0' && tag[5] <= u'9')
        return MacroKey{Vk::Pad0 + (tag[5].unicode() - u'0'), 0};
    // <F1> .. <F24>: F13 and up are F1 to F12 with Shift.
    if (tag.size() >= 4 && tag.size() <= 5 && tag.startsWith(u"<F") && tag.endsWith(u'>')) {
        const QStringView digits = tag.mid(2, tag.size() - 3);
        if (digits.front() == u'0')
            return std::nullopt;
        bool ok = false;
        const int n = digits.toInt(&ok);
        if (ok && n >= 1 && n <= 24 && digits.front() != u'+' && digits.front() != u'-')
            return MacroKey{Vk::F1 + (n - 1) % 12, n > 12 ? kShift : 0};
    }
    return std::nullopt;
}

std::optional<QString> KeyTagOf(int virtualKey, int flags, const KeyMap& keyMap)
{
    // 0 is no key, and a key map entry of 0 stands for none.
    if (virtualKey == 0)
        return std::nullopt;
    const bool function = virtualKey >= Vk::F1 && virtualKey <= Vk::F12;
    if (flags == kShift && function)
        return QStringLiteral("<F%1>").arg(virtualKey - Vk::F1 + 13);
    for (const MappedKey& n : kMappedKeys)
        if (virtualKey == keyMap.*n.key && flags == n.flags)
            return QString::fromUtf16(n.tag);
    if (flags != 0)
        return std::nullopt;
    if (virtualKey >= Vk::Pad0 && virtualKey <= Vk::Pad9)
        return QStringLiteral("<TEN-%1>").arg(virtualKey - Vk::Pad0);
    if (virtualKey == Vk::PadStar)
        return kPadStar.toString();
    if (virtualKey == Vk::PadMinus)
        return kPadHash.toString();
    if (function)
        return QStringLiteral("<F%1>").arg(virtualKey - Vk::F1 + 1);
    return std::nullopt;
}
