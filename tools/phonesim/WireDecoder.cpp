#include "WireDecoder.h"

namespace phonesim {

namespace {
const QByteArray kFrameHeader = QByteArray::fromHex("f202010000");
const QByteArray kModelRequest = QByteArray::fromHex("b30d0002") + QByteArray(34, '\0');
constexpr qsizetype kAtMaxLength = 64;
constexpr char kNumberRequest = char(0x8e);

bool printable(char c) { return c >= 0x20 && c < 0x7f; }
} // namespace

QString WireEvent::describe() const
{
    switch (type) {
    case Type::Key:
        return QStringLiteral("key %1 %2 %3%4")
            .arg(code.Kind)
            .arg(code.Group)
            .arg(code.Index)
            .arg(text.isEmpty() ? QString() : u' ' + text);
    case Type::AtCommand: return QStringLiteral("at ") + text;
    case Type::NumberRequest: return QStringLiteral("request number");
    case Type::ModelRequest: return QStringLiteral("request model");
    case Type::Garbage: break;
    }
    return QStringLiteral("garbage ") + QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// Whether the bytes from `at` begin a pattern: fully (its length and event), partly (wait
// for more), or not at all.
WireDecoder::Match WireDecoder::matchAt(qsizetype at, WireEvent& event, qsizetype& length) const
{
    const QByteArrayView rest = QByteArrayView(pending_).sliced(at);
    const auto prefixOf = [&rest](const QByteArray& pattern, qsizetype patternLength) {
        const qsizetype n = std::min(rest.size(), patternLength);
        return rest.first(n) == QByteArrayView(pattern).first(n);
    };
    const char first = rest.front();
    if (first == kNumberRequest) {
        event.type = WireEvent::Type::NumberRequest;
        length = 1;
        return Match::Full;
    }
    if (first == kFrameHeader.front()) {
        if (!prefixOf(kFrameHeader, kFrameHeader.size()))
            return Match::No;
        if (rest.size() < 8)
            return Match::Partial;
        event.type = WireEvent::Type::Key;
        event.code = KeyCode{quint8(rest[5]), quint8(rest[6]), quint8(rest[7])};
        event.text = event.code.Kind <= KeyKind::FullWidth ? CharacterForKeyCode(event.code) : QString();
        length = 8;
        return Match::Full;
    }
    if (first == kModelRequest.front()) {
        if (!prefixOf(kModelRequest, kModelRequest.size()))
            return Match::No;
        if (rest.size() < kModelRequest.size())
            return Match::Partial;
        event.type = WireEvent::Type::ModelRequest;
        length = kModelRequest.size();
        return Match::Full;
    }
    if (first == 'A') {
        if (rest.size() >= 2 && rest[1] != 'T')
            return Match::No;
        for (qsizetype i = 2; i < rest.size(); ++i) {
            if (rest[i] == '\r') {
                event.type = WireEvent::Type::AtCommand;
                event.text = QString::fromLatin1(rest.first(i));
                length = i + 1;
                return Match::Full;
            }
            if (!printable(rest[i]) || i >= kAtMaxLength)
                return Match::No;
        }
        return Match::Partial;
    }
    return Match::No;
}

QList<WireEvent> WireDecoder::feed(const QByteArray& bytes)
{
    pending_.append(bytes);
    QList<WireEvent> events;
    QByteArray garbage;
    const auto flushGarbage = [&] {
        if (garbage.isEmpty())
            return;
        WireEvent event;
        event.bytes = garbage;
        events.append(event);
        garbage.clear();
    };
    qsizetype at = 0;
    while (at < pending_.size()) {
        WireEvent event;
        qsizetype length = 0;
        const Match match = matchAt(at, event, length);
        if (match == Match::Partial)
            break;
        if (match == Match::No) {
            // Resynchronise one byte later: the next valid frame may start inside the garbage.
            garbage.append(pending_[at]);
            ++at;
            continue;
        }
        flushGarbage();
        event.bytes = pending_.mid(at, length);
        events.append(event);
        at += length;
    }
    flushGarbage();
    pending_.remove(0, at);
    return events;
}

} // namespace phonesim
