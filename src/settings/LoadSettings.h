// The settings part of start-up and exit, over the program folder: the two files are read at
// start and written at exit, and the user is told when one of them cannot be written.
#pragma once

#include "settings/SettingsFiles.h"

// Reads or creates setting.ini and keymap.ini; the position is clamped to the primary screen.
LoadedSettings LoadSettings();

// Rewrite the files completely. A file that cannot be written stays as it was and a warning
// names it; each returns whether its file was written.
bool WriteSettingsFile(const Settings& settings, const MainWindowSettings& window);
bool WriteKeyMapFile(const KeyMap& keyMap);

// One lookup in setting.ini or keymap.ini of the program folder.
QString ReadSettingValue(QStringView section, QStringView key);
QString ReadKeyMapValue(QStringView section, QStringView key);
