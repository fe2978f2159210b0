// The key frames the simulated handset decoded, each as "KGI": kind, group and index
// ("221" for か), in the order they arrived.
#pragma once

#include "phonesim/Handset.h"

#include <QStringList>

inline QStringList KeyFrameList(const QList<phonesim::WireEvent>& events)
{
    QStringList out;
    for (const phonesim::WireEvent& e : events)
        if (e.type == phonesim::WireEvent::Type::Key)
            out << QString::asprintf("%d%d%d", e.code.Kind, e.code.Group, e.code.Index);
    return out;
}

inline QString KeyFrames(const QList<phonesim::WireEvent>& events) { return KeyFrameList(events).join(u' '); }

// Tests send F12 last: once its frame has arrived, everything typed before it has.
inline bool SentinelArrived(const phonesim::Handset& handset)
{
    return KeyFrameList(handset.events()).endsWith(QStringLiteral("3312"));
}
