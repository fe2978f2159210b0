#include "settings/SettingsFiles.h"

#include "core/ProgramInfo.h"
#include "settings/MacroFields.h"
#include "settings/MacroTitle.h"
#include "settings/ProfileReader.h"
#include "settings/SettingsNumbers.h"

#include <QFileInfo>
#include <algorithm>

namespace {

// The kinds of value the [Option] section holds, so that one list of keys serves both the
// reading and the writing of the file.
struct Toggle {
    std::int16_t& value;
};
struct Position {
    std::int32_t& value;
};
struct Version {
    float& value;
};

// The keys of [Option] in the order the file holds them.
template <typename Visit>
void VisitOptions(Settings& s, MainWindowSettings& w, Visit&& visit)
{
    visit(u"Ver", Version{s.Ver});
    visit(u"Xpos", Position{w.Xpos});
    visit(u"Ypos", Position{w.Ypos});
    visit(u"ComPort", s.ComPort);
    visit(u"SpaceChange", s.SpaceChange);
    visit(u"HideOn", Toggle{w.HideOn});
    visit(u"IMEON", s.IMEON);
    visit(u"MostFront", s.MostFront);
    visit(u"TenKeySwap", s.TenKeySwap);
    visit(u"DontUseIME", s.DontUseIME);
    visit(u"AlphaOrKana", Toggle{w.AlphaOrKana});
    visit(u"KanaOrRoma", Toggle{w.KanaOrRoma});
    visit(u"ToolTipOff", s.ToolTipOff);
    visit(u"PdcType", s.PdcType);
    visit(u"MacroError", s.MacroError);
    visit(u"MacroWait", s.MacroWait);
    visit(u"ArrivalDisplay", s.ArrivalDisplay);
    visit(u"BSEmulation", s.BSEmulation);
    visit(u"DontKeyLog", s.DontKeyLog);
    visit(u"REUDOcable", s.REUDOcable);
}

template <typename Visit>
void VisitKeyMap(KeyMap& k, Visit&& visit)
{
    visit(u"KEY_Left", k.KEY_Left);
    visit(u"KEY_Up", k.KEY_Up);
    visit(u"KEY_Right", k.KEY_Right);
    visit(u"KEY_Down", k.KEY_Down);
    visit(u"KEY_OK", k.KEY_OK);
    visit(u"KEY_Clear1", k.KEY_Clear1);
    visit(u"KEY_Clear2", k.KEY_Clear2);
    visit(u"KEY_Clear3", k.KEY_Clear3);
    visit(u"KEY_SubMenu", k.KEY_SubMenu);
    visit(u"KEY_CharChange", k.KEY_CharChange);
    visit(u"KEY_OffHook", k.KEY_OffHook);
    visit(u"KEY_OnHook", k.KEY_OnHook);
}

QString text(std::int16_t v) { return QString::number(v); }
QString text(Toggle t) { return QString::number(t.value); }
// The window's edges were single-precision numbers, and are written as such.
QString text(Position p) { return FormatSingle(float(p.value)); }
QString text(float v) { return FormatSingle(v); }
QString text(const QString& v) { return v; }
QString text(Version) { return ProgramInfo::VersionText(); }

void read(QStringView t, std::int16_t& v) { v = ToInt16(t); }
// A check box holds 0 or 1; anything else is taken as the nearer of the two.
void read(QStringView t, Toggle v) { v.value = std::clamp<std::int16_t>(ToInt16(t), 0, 1); }
void read(QStringView t, Position v) { v.value = ToInt32(t); }
void read(QStringView t, float& v) { v = ToSingle(t); }
void read(QStringView t, QString& v) { v = t.toString(); }
void read(QStringView t, Version v) { v.value = ToSingle(t); }

struct LineWriter {
    QStringList& lines;
    template <typename Value>
    void operator()(QStringView key, Value&& value) const
    {
        lines.append(key.toString() + u'=' + text(value));
    }
};

struct ProfileReaderVisit {
    const Profile& profile;
    QStringView section;
    template <typename Value>
    void operator()(QStringView key, Value&& value) const
    {
        read(profile.Value(section, key), std::forward<Value>(value));
    }
};

// The lines of an existing file, or of the file the first-start values give when it is
// missing (then written) or unreadable.
template <typename Write>
QStringList fileLines(const QString& path, const QStringList& firstStartLines, QList<SettingsFileWrite>& writes,
                      Write write)
{
    if (!QFileInfo::exists(path)) {
        writes.append(write());
        return firstStartLines;
    }
    const Cp932::ReadResult read = Cp932::ReadLines(path);
    return read.ok ? read.lines : firstStartLines;
}

} // namespace

QString SettingsFilePath(const QString& programFolder)
{
    return programFolder + QStringLiteral("setting.ini");
}

QString KeyMapFilePath(const QString& programFolder)
{
    return programFolder + QStringLiteral("keymap.ini");
}

QStringList SettingsFileLines(const Settings& settings, const MainWindowSettings& window)
{
    QStringList lines{QStringLiteral(";このファイルは編集しないで下さい。"), QString(), QStringLiteral("[Option]")};
    Settings s = settings;
    MainWindowSettings w = window;
    VisitOptions(s, w, LineWriter{lines});
    lines << QString() << QStringLiteral("[Macro]");
    if (!w.MacroFiles.isEmpty() && !w.MacroFiles.front().isEmpty())
        for (const QString& entry : std::as_const(w.MacroFiles))
            lines << FieldLine(entry);
    return lines;
}

QStringList KeyMapFileLines(const KeyMap& keyMap)
{
    QStringList lines{QStringLiteral("[KeyMap]")};
    KeyMap k = keyMap;
    VisitKeyMap(k, LineWriter{lines});
    return lines;
}

SettingsFileWrite WriteSettingsFileIn(const QString& programFolder, const Settings& settings,
                                      const MainWindowSettings& window)
{
    const QString path = SettingsFilePath(programFolder);
    return {path, Cp932::WriteLines(path, SettingsFileLines(settings, window))};
}

SettingsFileWrite WriteKeyMapFileIn(const QString& programFolder, const KeyMap& keyMap)
{
    const QString path = KeyMapFilePath(programFolder);
    return {path, Cp932::WriteLines(path, KeyMapFileLines(keyMap))};
}

LoadedSettings LoadSettingsIn(const QString& programFolder, QSize screenTwips)
{
    // The records start with the first-start values, which a missing file is written with.
    LoadedSettings out;
    const QStringList settingsLines =
        fileLines(SettingsFilePath(programFolder), SettingsFileLines(out.settings, out.window), out.writes,
                  [&] { return WriteSettingsFileIn(programFolder, out.settings, out.window); });
    const QStringList keyMapLines = fileLines(KeyMapFilePath(programFolder), KeyMapFileLines(out.keyMap),
                                              out.writes, [&] { return WriteKeyMapFileIn(programFolder, out.keyMap); });

    const Profile options = Profile::FromLines(settingsLines);
    VisitOptions(out.settings, out.window, ProfileReaderVisit{options, u"Option"});
    if (out.window.Xpos < 0 || out.window.Xpos > screenTwips.width())
        out.window.Xpos = 0;
    if (out.window.Ypos < 0 || out.window.Ypos > screenTwips.height())
        out.window.Ypos = 0;

    const Profile keys = Profile::FromLines(keyMapLines);
    VisitKeyMap(out.keyMap, ProfileReaderVisit{keys, u"KeyMap"});

    const bool olderFile = ToSingle(ProgramInfo::VersionText()) > out.settings.Ver;
    out.window.MacroFiles = ReadMacroEntries(settingsLines, olderFile);
    const QString macroFolder = MacroFolder(programFolder);
    for (int i = 0; i < int(out.window.MacroFiles.size()); ++i)
        if (AddMacroTitle(macroFolder, out.window.MacroFiles[i], out.macroListItems))
            out.macroListPositions.append(i);
    return out;
}
