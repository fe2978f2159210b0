#include "ChmArchive.h"

#include <QFile>
#include <chm_lib.h>

ChmArchive::~ChmArchive() { close(); }

bool ChmArchive::open(const QString& path)
{
    close();
    file_ = chm_open(QFile::encodeName(path).constData());
    return file_ != nullptr;
}

void ChmArchive::close()
{
    if (file_)
        chm_close(file_);
    file_ = nullptr;
}

bool ChmArchive::contains(const QString& path) const
{
    chmUnitInfo info{};
    return file_ && chm_resolve_object(file_, path.toUtf8().constData(), &info) == CHM_RESOLVE_SUCCESS;
}

QByteArray ChmArchive::read(const QString& path) const
{
    chmUnitInfo info{};
    if (!file_ || chm_resolve_object(file_, path.toUtf8().constData(), &info) != CHM_RESOLVE_SUCCESS)
        return {};
    // A damaged file may claim any length; no help topic comes near this.
    constexpr LONGUINT64 kLimit = 64 * 1024 * 1024;
    if (info.length > kLimit)
        return {};
    QByteArray bytes(qsizetype(info.length), Qt::Uninitialized);
    const LONGINT64 got = chm_retrieve_object(file_, &info, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                                              LONGINT64(info.length));
    if (got < 0)
        return {};
    bytes.truncate(qsizetype(got));
    return bytes;
}
