// libFuzzer target: the profile lookup and the number reading over any bytes as setting.ini.
#include "platform/Cp932.h"
#include "settings/ProfileReader.h"
#include "settings/SettingsNumbers.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = Cp932::Decode(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const Profile profile = Profile::FromText(text);
    // The keys the program asks for, and a section and key taken from the input itself.
    const QStringView asked[] = {u"Ver", u"Xpos", u"ComPort", u"PdcType", u"MacroWait", u"KEY_OK"};
    const QStringView own = QStringView(text).first(std::min<qsizetype>(text.size(), 8));
    for (QStringView section : {QStringView(u"Option"), QStringView(u"KeyMap"), own}) {
        for (QStringView key : asked) {
            const QString value = profile.Value(section, key);
            if (value.size() > Profile::MaxValueLength)
                std::abort();
            ToInt16(value);
            ToInt32(value);
            // What the program writes must read back to the same text.
            const QString written = FormatSingle(ToSingle(value));
            if (FormatSingle(ToSingle(written)) != written)
                std::abort();
        }
        profile.Value(section, own);
    }
    return 0;
}
