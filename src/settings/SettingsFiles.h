// setting.ini and keymap.ini: what they hold line by line, and reading both into the records
// at start-up, creating a missing one with the first-start values.
#pragma once

#include "platform/Cp932.h"
#include "settings/Settings.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

inline constexpr int TwipsPerPixel = 15;

QString SettingsFilePath(const QString& programFolder);
QString KeyMapFilePath(const QString& programFolder);

// The lines of each file, in order, without their CR LF.
QStringList SettingsFileLines(const Settings& settings, const MainWindowSettings& window);
QStringList KeyMapFileLines(const KeyMap& keyMap);

struct SettingsFileWrite {
    QString path;
    Cp932::WriteResult result;
};

// Both replace the file atomically: on failure the old file is left as it was.
SettingsFileWrite WriteSettingsFileIn(const QString& programFolder, const Settings& settings,
                                      const MainWindowSettings& window);
SettingsFileWrite WriteKeyMapFileIn(const QString& programFolder, const KeyMap& keyMap);

struct LoadedSettings {
    Settings settings;
    KeyMap keyMap;
    MainWindowSettings window;
    // The items of cmbMacroList: the titles of the entries whose files exist, in order.
    QStringList macroListItems;
    // For each item, its position in MacroFiles: a missing file shifts nothing.
    QList<int> macroListPositions;
    // The files a first start created, or failed to.
    QList<SettingsFileWrite> writes;
};

// Reads both files of `programFolder`; a missing one is written with the first-start values
// and those are used even when it could not be written. A file that exists but cannot be read
// gives the first-start values too, and is not replaced here. The window position is clamped
// to `screenTwips` (a position outside it becomes 0).
LoadedSettings LoadSettingsIn(const QString& programFolder, QSize screenTwips);
