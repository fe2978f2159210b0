#include "mdlChangeKana.h"

namespace {

// Read as two columns per line of the printed chart: kana order. The vertical bar, which
// the chart lists apart, comes last.
constexpr KanaKey kKanaKeys[] = {
    {u"3", u"あ", {}},        {u"#", u"ぁ", {}},
    {u"e", u"い", u"ぃ"},     {u"4", u"う", {}},
    {u"$", u"ぅ", {}},        {u"5", u"え", {}},
    {u"%", u"ぇ", {}},        {u"6", u"お", {}},
    {u"&", u"ぉ", {}},        {u"t", u"か", {}},
    {u"g", u"き", {}},        {u"h", u"く", {}},
    {u":*", u"け", {}},       {u"b", u"こ", {}},
    {u"x", u"さ", {}},        {u"d", u"し", {}},
    {u"r", u"す", {}},        {u"p", u"せ", {}},
    {u"c", u"そ", {}},        {u"q", u"た", {}},
    {u"a", u"ち", {}},        {u"z", u"つ", u"っ"},
    {u"w", u"て", {}},        {u"s", u"と", {}},
    {u"u", u"な", {}},        {u"i", u"に", {}},
    {u"1!", u"ぬ", {}},       {u",", u"ね", {}},
    {u"k", u"の", {}},        {u"f", u"は", {}},
    {u"v", u"ひ", {}},        {u"2\"", u"ふ", {}},
    {u"^~", u"へ", {}},       {u"-=", u"ほ", {}},
    {u"j", u"ま", {}},        {u"n", u"み", {}},
    {u"]", u"む", {}},        {u"/", u"め", {}},
    {u"m", u"も", {}},        {u"7", u"や", {}},
    {u"8", u"ゆ", {}},        {u"9", u"よ", {}},
    {u"o", u"ら", {}},        {u"l", u"り", {}},
    {u".", u"る", {}},        {u";+", u"れ", {}},
    {u"\\_", u"ろ", {}},      {u"0", u"わ", u"を"},
    {u"y", u"ん", {}},        {u"[", u"\u00B0", {}},
    {u"@`", u"\u2033", {}},
    {u"'", u"ゃ", {}},        {u"(", u"ゅ", {}},
    {u")", u"ょ", {}},        {u"{", u"「", {}},
    {u"}", u"」", {}},        {u"<", u"、", {}},
    {u">", u"。", {}},        {u"?", u"・", {}},
    {u"|", u"\u30FC", {}},
};

} // namespace

std::span<const KanaKey> KanaKeyTable()
{
    return kKanaKeys;
}

bool ConvertKana(QStringView text, bool shiftHeld, QString& kana, const std::function<void()>& beep)
{
    kana.clear();
    const QString s = text.toString().toLower();
    if (s.size() == 1) {
        for (const KanaKey& key : kKanaKeys) {
            if (key.keys.contains(s[0])) {
                kana = (shiftHeld && !key.shifted.isEmpty() ? key.shifted : key.kana).toString();
                return true;
            }
        }
    }
    if (beep)
        beep();
    return false;
}
