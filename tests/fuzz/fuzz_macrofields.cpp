// libFuzzer target: the [Macro] field reading, in both layouts, over any bytes as setting.ini.
#include "platform/Cp932.h"
#include "settings/MacroFields.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QStringList lines =
        Cp932::SplitLines(Cp932::Decode(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))));
    for (bool older : {false, true}) {
        const QStringList entries = ReadMacroEntries(lines, older);
        if (entries.isEmpty() || entries.size() > MaxMacroEntries)
            std::abort();
    }
    if (!lines.isEmpty() && FirstField(lines.front()).size() > lines.front().size())
        std::abort();
    return 0;
}
