// Whole files, as the tests read and write them. A file that cannot be read reads as a marker,
// so that it never equals an empty one.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

inline QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

inline bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
