#include "settings/LoadSettings.h"

#include "platform/MessageBoxes.h"
#include "platform/ProgramFolder.h"
#include "settings/ProfileReader.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <limits>

namespace {

// Nothing else would tell the user that the options of this session were not kept.
bool report(const SettingsFileWrite& write)
{
    const QString name = QDir::toNativeSeparators(write.path);
    if (!write.result.ok) {
        MessageBox(QStringLiteral("設定ファイル %1 を保存できませんでした。\r\n%2").arg(name, write.result.error),
                   MsgButtons::Ok, MsgIcon::Warning);
    } else if (write.result.lostCharacters > 0) {
        MessageBox(QStringLiteral("設定ファイル %1 に保存できない文字が %2 文字あったため、「?」に置き換えました。")
                       .arg(name)
                       .arg(write.result.lostCharacters),
                   MsgButtons::Ok, MsgIcon::Warning);
    }
    return write.result.ok;
}

QSize primaryScreenTwips()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {std::numeric_limits<int>::max(), std::numeric_limits<int>::max()};
    const QSize pixels = screen->geometry().size();
    return {pixels.width() * TwipsPerPixel, pixels.height() * TwipsPerPixel};
}

} // namespace

LoadedSettings LoadSettings()
{
    LoadedSettings loaded = LoadSettingsIn(ProgramFolder(), primaryScreenTwips());
    for (const SettingsFileWrite& write : std::as_const(loaded.writes))
        report(write);
    return loaded;
}

bool WriteSettingsFile(const Settings& settings, const MainWindowSettings& window)
{
    return report(WriteSettingsFileIn(ProgramFolder(), settings, window));
}

bool WriteKeyMapFile(const KeyMap& keyMap)
{
    return report(WriteKeyMapFileIn(ProgramFolder(), keyMap));
}

QString ReadSettingValue(QStringView section, QStringView key)
{
    return ReadProfileValue(SettingsFilePath(ProgramFolder()), section, key);
}

QString ReadKeyMapValue(QStringView section, QStringView key)
{
    return ReadProfileValue(KeyMapFilePath(ProgramFolder()), section, key);
}
