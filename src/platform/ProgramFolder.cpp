#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString withSlash(QString path)
{
    if (!path.endsWith(u'/'))
        path += u'/';
    return path;
}
} // namespace

QString ProgramFolder()
{
    const QString home = qEnvironmentVariable("YUBISAKI_HOME");
    if (!home.isEmpty())
        return withSlash(home);
    if (QCoreApplication::instance()) {
        const QString exeDir = QCoreApplication::applicationDirPath();
        // An installed program never writes beside its executable (/usr/bin, ~/.local/bin).
        if (!exeDir.isEmpty() && QFileInfo(exeDir + QStringLiteral("/portable")).isFile()
            && QFileInfo(exeDir).isWritable())
            return withSlash(exeDir);
    }
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                           + QStringLiteral("/yubisaki");
    QDir().mkpath(config);
    return withSlash(config);
}
