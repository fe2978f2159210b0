#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace {

// A folder the program may not write (settings on a read-only medium) is still one copy's:
// its lock then lives in the temporary folder, named after the folder's path.
QString fallbackLockPath(const QString& programFolder)
{
    const QByteArray folder = QFileInfo(programFolder).absoluteFilePath().toUtf8();
    const QByteArray hash = QCryptographicHash::hash(folder, QCryptographicHash::Sha1).toHex().left(16);
    return QDir::tempPath() + QStringLiteral("/yubisaki-%1.lock").arg(QString::fromLatin1(hash));
}

} // namespace

SingleInstance::SingleInstance(const QString& programFolder)
{
    for (const QString& path : {programFolder + QStringLiteral(".yubisaki.lock"), fallbackLockPath(programFolder)}) {
        lock_ = std::make_unique<QLockFile>(path);
        // Only a lock whose process is gone is stale; a long-running copy keeps its lock.
        lock_->setStaleLockTime(0);
        acquired_ = lock_->tryLock(0);
        if (acquired_ || lock_->error() == QLockFile::LockFailedError)
            return;
    }
    // No lock can be made anywhere: nothing says another copy runs, so this one starts.
    acquired_ = true;
}

QString SingleInstance::AlreadyRunningText() { return QStringLiteral("すでに起動していますよ！"); }
