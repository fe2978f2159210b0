#include "SingleInstance.h"

SingleInstance::SingleInstance(const QString& programFolder)
    : lock_(std::make_unique<QLockFile>(programFolder + QStringLiteral(".yubisaki.lock")))
{
    // Only a lock whose process is gone is stale; a long-running copy keeps its lock.
    lock_->setStaleLockTime(0);
    acquired_ = lock_->tryLock(0);
}

QString SingleInstance::AlreadyRunningText() { return QStringLiteral("すでに起動していますよ！"); }
