// libFuzzer target: the profile lookup, the number reading and the [Macro] fields, in both
// layouts, over any bytes as setting.ini.
#include "platform/Cp932.h"
#include "settings/MacroFields.h"
#include "settings/ProfileReader.h"
#include "settings/SettingsNumbers.h"
#include "Require.h"

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
            Require(value.size() <= Profile::MaxValueLength);
            ToInt16(value);
            ToInt32(value);
            // What the program writes must read back to the same text.
            const QString written = FormatSingle(ToSingle(value));
            Require(FormatSingle(ToSingle(written)) == written);
        }
        profile.Value(section, own);
    }
    const QStringList lines = Cp932::SplitLines(text);
    for (bool older : {false, true}) {
        const QStringList entries = ReadMacroEntries(lines, older);
        Require(!entries.isEmpty() && entries.size() <= MaxMacroEntries);
    }
    Require(lines.isEmpty() || FirstField(lines.front()).size() <= lines.front().size());
    return 0;
}
