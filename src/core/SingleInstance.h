// One copy of the program per program folder: two copies would overwrite each other's
// settings files at exit. A lock left by a copy that was killed does not count; a folder
// that cannot be written keeps its lock in the temporary folder.
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

class SingleInstance {
public:
    explicit SingleInstance(const QString& programFolder);
    // False when another running copy holds the folder.
    bool acquired() const { return acquired_; }

    static QString AlreadyRunningText();

private:
    std::unique_ptr<QLockFile> lock_;
    bool acquired_ = false;
};
