// Read access to the topics of a compiled HTML help file.
#pragma once

#include <QByteArray>
#include <QString>

struct chmFile;

class ChmArchive {
public:
    ChmArchive() = default;
    ~ChmArchive();
    ChmArchive(const ChmArchive&) = delete;
    ChmArchive& operator=(const ChmArchive&) = delete;

    bool open(const QString& path);
    void close();
    bool isOpen() const { return file_ != nullptr; }
    // The object at `path` ("/index.html"); empty when it is missing.
    QByteArray read(const QString& path) const;
    bool contains(const QString& path) const;

private:
    chmFile* file_ = nullptr;
};
