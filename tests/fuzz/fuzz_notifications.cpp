// libFuzzer target: any bytes as the stream the handset sends, read the way the receive
// handler and the queries read it: each notification classified and turned into its text,
// a charge's digits up to the reply's end, model and serial fields from byte pairs.
#include "link/PhoneBytes.h"
#include "link/mdlGetPdcType.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace PhoneBytes;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i) {
        const quint8 b = data[i];
        switch (Classify(b, (i & 1) != 0)) {
        case Notification::SignalLevel: {
            const int level = b & 0x0F;
            const int left = HiddenBarsLeftTwips(level);
            if (left < 195 || left > HiddenBarsRightTwips || SignalLevelText(level).isEmpty())
                std::abort();
            break;
        }
        case Notification::ServiceArea:
            if (ServiceAreaText(b).isEmpty())
                std::abort();
            break;
        case Notification::IncomingCall:
            if (IncomingCallText().isEmpty())
                std::abort();
            break;
        case Notification::CallCharge: {
            QString digits;
            while (i + 1 < size && data[i + 1] != ReplyEnd && digits.size() < ChargeDigitsMax) {
                const QString digit = ReplyDigit(data[++i]);
                if (digit.size() > 1)
                    std::abort();
                digits += digit;
            }
            if (CallChargeLine(digits).isEmpty())
                std::abort();
            break;
        }
        case Notification::Other:
            if (!DiagnosticLine(b).startsWith(u"&h"))
                std::abort();
            break;
        }
    }
    // The same bytes as a model reply's fields.
    QString model;
    for (std::size_t i = 0; i + 1 < size && model.size() < ModelCodeCharacters; i += 2)
        model += ModelCodeCharacter(data[i], data[i + 1]);
    QString serial;
    for (std::size_t i = 0; i < size && i < std::size_t(SerialGroups); ++i)
        serial += SerialGroup(data[i]);
    (void)ModelNameFromSerial(model + serial);
    (void)ModelLine(model);
    (void)SerialLine(serial);
    return 0;
}
