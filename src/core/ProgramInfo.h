// The program's name and version as the user sees them.
#pragma once

#include <QString>

namespace ProgramInfo {

inline constexpr int VersionMajor = 1;
inline constexpr int VersionMinor = 28;

// The caption of the main window and the title of every message box.
inline QString Title() { return QStringLiteral("ユビサキ！"); }

// "1.28": the version as the error report and setting.ini's Ver show it.
inline QString VersionText() { return QStringLiteral("%1.%2").arg(VersionMajor).arg(VersionMinor); }

} // namespace ProgramInfo
