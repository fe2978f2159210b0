// The simulated handset started on a fresh pseudo-terminal and offered as COM1.
#pragma once

#include "phonesim/Handset.h"

#include <cstdio>

inline bool StartHandsetOnCom1(phonesim::Handset& handset)
{
    QString error;
    if (!handset.start(&error)) {
        std::fprintf(stderr, "phonesim: %s\n", qPrintable(error));
        return false;
    }
    qputenv("YUBISAKI_COM1", handset.portPath().toLocal8Bit());
    return true;
}
