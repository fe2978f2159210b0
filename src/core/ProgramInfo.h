// The program's name and version as the user sees them.
#pragma once

#include <QString>

namespace ProgramInfo {

inline constexpr int VersionMajor = 1;
inline constexpr int VersionMinor = 28;
inline constexpr int VersionRevision = 0;

// The caption of the main window and the title of every message box.
inline QString Title() { return QStringLiteral("ユビサキ！"); }

// "1.28": the version as the error report and setting.ini's Ver show it.
inline QString VersionText() { return QStringLiteral("%1.%2").arg(VersionMajor).arg(VersionMinor); }

// "Ver 1.28", and "Ver 1.28.3" for a revision above 0: the About box's version line.
inline QString AboutVersionText(int major = VersionMajor, int minor = VersionMinor, int revision = VersionRevision)
{
    QString text = QStringLiteral("Ver %1.%2").arg(major).arg(minor);
    if (revision > 0)
        text += QStringLiteral(".%1").arg(revision);
    return text;
}

} // namespace ProgramInfo
