// libFuzzer target: any text (the bytes as UTF-16) through the romaji, kana-keyboard and
// alphabet conversions and the character table.
#include "textentry/mdlChangeAlphabet.h"
#include "textentry/mdlChangeKana.h"
#include "textentry/mdlChangeRoma.h"
#include "textentry/mdlGetBinary.h"
#include "Require.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text(reinterpret_cast<const QChar*>(data), qsizetype(size / 2));
    QString kana;
    QString remainder;
    Require(!ConvertRoma(text, kana, remainder) || !kana.isEmpty() || !remainder.isEmpty() || text.isEmpty());
    for (const bool shift : {false, true}) {
        QString typed;
        int beeps = 0;
        ConvertKana(text, shift, typed, [&] { ++beeps; });
    }
    QString wide;
    ConvertAlphabet(text, wide);
    for (const QChar c : text) {
        KeyCode code;
        // Whatever the table takes, it can say again.
        Require(!GetKeyCode(QStringView(&c, 1), code) || !CharacterForKeyCode(code).isEmpty());
    }
    return 0;
}
