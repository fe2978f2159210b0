// The simulated handset's reading of the wire: key frames, the cable's AT commands and the
// two query requests, back in sync after any garbage.
#pragma once

#include "textentry/mdlGetBinary.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace phonesim {

struct WireEvent {
    enum class Type { Key, AtCommand, NumberRequest, ModelRequest, Garbage };
    Type type = Type::Garbage;
    KeyCode code;     // Key
    QByteArray bytes; // the event's own bytes
    QString text;     // the character of a Key, the AT command without its CR
    qint64 ns = 0;    // when its last byte arrived (set by Handset)

    // One line for logs: "key 2 2 1 か", "at ATQ1%B0", "request number", "garbage F2 03".
    QString describe() const;
};

class WireDecoder {
public:
    // Decodes what can be decoded; a prefix of a pattern waits for the next bytes.
    QList<WireEvent> feed(const QByteArray& bytes);
    void reset() { pending_.clear(); }
    qsizetype pendingSize() const { return pending_.size(); }

private:
    enum class Match { No, Partial, Full };
    Match matchAt(qsizetype at, WireEvent& event, qsizetype& length) const;

    QByteArray pending_;
};

} // namespace phonesim
