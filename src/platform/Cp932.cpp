#include "Cp932.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <climits>
#include <iconv.h>

namespace {

// One conversion with glibc's iconv; on a sequence it cannot take, `onBad` writes a
// replacement and says how many input bytes to skip.
class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv()
    {
        if (valid())
            iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    template <typename OnBad>
    QByteArray convert(const char* data, size_t size, OnBad onBad)
    {
        QByteArray out;
        out.reserve(qsizetype(size * 2 + 16));
        char* in = const_cast<char*>(data);
        size_t inLeft = size;
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t rc = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
            out.append(buffer, qsizetype(outPtr - buffer));
            if (rc != size_t(-1))
                continue;
            if (errno == E2BIG)
                continue;
            // EILSEQ, or EINVAL for a sequence cut off at the end.
            const size_t skip = std::min(inLeft, onBad(in, inLeft, out));
            in += skip;
            inLeft -= skip;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

private:
    iconv_t cd_;
};

void appendUtf16(QByteArray& out, char16_t unit)
{
    out.append(reinterpret_cast<const char*>(&unit), 2);
}

// The bytes of the UTF-16LE character at `in`: a surrogate pair is one character.
size_t characterBytes(const char* in, size_t left)
{
    const char16_t unit = char16_t(quint8(in[0]) | (quint8(left > 1 ? in[1] : 0) << 8));
    return (QChar::isHighSurrogate(unit) && left >= 4) ? size_t(4) : size_t(2);
}

} // namespace

namespace Cp932 {

QString Decode(const QByteArray& bytes, int* invalidBytes)
{
    int invalid = 0;
    Iconv cd("UTF-16LE", "CP932");
    QString text;
    if (cd.valid()) {
        const QByteArray utf16 = cd.convert(bytes.constData(), size_t(bytes.size()),
            [&invalid](const char*, size_t, QByteArray& out) {
                ++invalid;
                appendUtf16(out, u'\uFFFD');
                return size_t(1);
            });
        text = QString(reinterpret_cast<const QChar*>(utf16.constData()), utf16.size() / 2);
    } else {
        invalid = int(std::min<qsizetype>(bytes.size(), INT_MAX));
    }
    if (invalidBytes)
        *invalidBytes = invalid;
    return text;
}

QByteArray Encode(QStringView text, int* lostCharacters)
{
    int lost = 0;
    Iconv cd("CP932", "UTF-16LE");
    QByteArray bytes;
    if (cd.valid()) {
        bytes = cd.convert(reinterpret_cast<const char*>(text.utf16()), size_t(text.size()) * 2,
            [&lost](const char* in, size_t left, QByteArray& out) {
                ++lost;
                out.append('?');
                return characterBytes(in, left);
            });
    } else {
        lost = int(std::min<qsizetype>(text.size(), INT_MAX));
    }
    if (lostCharacters)
        *lostCharacters = lost;
    return bytes;
}

QStringList Unencodable(QStringView text)
{
    Iconv cd("CP932", "UTF-16LE");
    if (!cd.valid())
        return {text.toString()};
    QStringList found;
    cd.convert(reinterpret_cast<const char*>(text.utf16()), size_t(text.size()) * 2,
        [&found, text](const char* in, size_t left, QByteArray&) {
            const size_t bytes = characterBytes(in, left);
            const qsizetype at = (in - reinterpret_cast<const char*>(text.utf16())) / 2;
            const QString character = text.mid(at, qsizetype(bytes / 2)).toString();
            if (!found.contains(character))
                found << character;
            return bytes;
        });
    return found;
}

QStringList SplitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

bool Available()
{
    static const bool available = Iconv("UTF-16LE", "CP932").valid() && Iconv("CP932", "UTF-16LE").valid();
    return available;
}

ReadResult ReadLines(const QString& path)
{
    ReadResult result;
    if (!Available()) {
        result.error = QStringLiteral("CP932 の変換が使えません（glibc の gconv モジュールを確認してください）。");
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = file.errorString();
        return result;
    }
    result.lines = SplitLines(Decode(bytes, &result.invalidBytes));
    result.ok = true;
    return result;
}

WriteResult WriteLines(const QString& path, const QStringList& lines)
{
    WriteResult result;
    // Without the converter every line would be written empty over the old file.
    if (!Available()) {
        result.error = QStringLiteral("CP932 の変換が使えません（glibc の gconv モジュールを確認してください）。");
        return result;
    }
    QByteArray bytes;
    for (const QString& line : lines) {
        int lost = 0;
        bytes += Encode(line, &lost);
        bytes += "\r\n";
        result.lostCharacters += lost;
    }
    // Unbuffered: through Qt's write buffer a short write on a full disk goes unnoticed and
    // commit() would put a truncated file in place of the old one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size() || !file.commit()) {
        result.error = file.error() == QFileDevice::NoError ? QStringLiteral("書き込みが途中で止まりました（ディスクの空きを確認してください）。") : file.errorString();
        file.cancelWriting();
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace Cp932
