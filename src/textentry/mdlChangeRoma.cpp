#include "mdlChangeRoma.h"

#include "textentry/mdlChangeAlphabet.h"

#include <algorithm>
#include <array>

namespace {

constexpr RomajiEntry kRomaji[] = {
    {u"a", u"あ"}, {u"i", u"い"}, {u"u", u"う"}, {u"e", u"え"}, {u"o", u"お"},
    {u"ka", u"か"}, {u"ca", u"か"}, {u"ki", u"き"}, {u"ku", u"く"}, {u"qu", u"く"}, {u"ke", u"け"}, {u"ko", u"こ"}, {u"co", u"こ"},
    {u"sa", u"さ"}, {u"si", u"し"}, {u"shi", u"し"}, {u"ci", u"し"}, {u"su", u"す"}, {u"se", u"せ"}, {u"ce", u"せ"}, {u"so", u"そ"},
    {u"ta", u"た"}, {u"ti", u"ち"}, {u"chi", u"ち"}, {u"tu", u"つ"}, {u"te", u"て"}, {u"to", u"と"},
    {u"na", u"な"}, {u"ni", u"に"}, {u"nu", u"ぬ"}, {u"ne", u"ね"}, {u"no", u"の"},
    {u"ha", u"は"}, {u"hi", u"ひ"}, {u"hu", u"ふ"}, {u"fu", u"ふ"}, {u"he", u"へ"}, {u"ho", u"ほ"},
    {u"ma", u"ま"}, {u"mi", u"み"}, {u"mu", u"む"}, {u"me", u"め"}, {u"mo", u"も"},
    {u"ya", u"や"}, {u"yu", u"ゆ"}, {u"yo", u"よ"},
    {u"ra", u"ら"}, {u"ri", u"り"}, {u"ru", u"る"}, {u"re", u"れ"}, {u"ro", u"ろ"},
    {u"wa", u"わ"}, {u"wo", u"を"},
    {u"ga", u"が"}, {u"gi", u"ぎ"}, {u"gu", u"ぐ"}, {u"ge", u"げ"}, {u"go", u"ご"},
    {u"za", u"ざ"}, {u"zi", u"じ"}, {u"ji", u"じ"}, {u"zu", u"ず"}, {u"ze", u"ぜ"}, {u"zo", u"ぞ"},
    {u"da", u"だ"}, {u"di", u"ぢ"}, {u"du", u"づ"}, {u"de", u"で"}, {u"do", u"ど"},
    {u"ba", u"ば"}, {u"bi", u"び"}, {u"bu", u"ぶ"}, {u"be", u"べ"}, {u"bo", u"ぼ"},
    {u"pa", u"ぱ"}, {u"pi", u"ぴ"}, {u"pu", u"ぷ"}, {u"pe", u"ぺ"}, {u"po", u"ぽ"},
    {u"kya", u"きゃ"}, {u"kyi", u"きぃ"}, {u"kyu", u"きゅ"}, {u"kye", u"きぇ"}, {u"kyo", u"きょ"},
    {u"qa", u"くぁ"}, {u"qi", u"くぃ"}, {u"qe", u"くぇ"}, {u"qo", u"くぉ"},
    {u"sya", u"しゃ"}, {u"sha", u"しゃ"}, {u"syi", u"しぃ"}, {u"syu", u"しゅ"}, {u"shu", u"しゅ"},
    {u"sye", u"しぇ"}, {u"she", u"しぇ"}, {u"syo", u"しょ"}, {u"sho", u"しょ"},
    {u"tha", u"てゃ"}, {u"thi", u"てぃ"}, {u"thu", u"てゅ"}, {u"the", u"てぇ"}, {u"tho", u"てょ"},
    {u"tya", u"ちゃ"}, {u"cha", u"ちゃ"}, {u"tyi", u"ちぃ"}, {u"tyu", u"ちゅ"}, {u"chu", u"ちゅ"},
    {u"tye", u"ちぇ"}, {u"che", u"ちぇ"}, {u"tyo", u"ちょ"}, {u"cho", u"ちょ"},
    {u"nya", u"にゃ"}, {u"nyi", u"にぃ"}, {u"nyu", u"にゅ"}, {u"nye", u"にぇ"}, {u"nyo", u"にょ"},
    {u"hya", u"ひゃ"}, {u"hyi", u"ひぃ"}, {u"hyu", u"ひゅ"}, {u"hye", u"ひぇ"}, {u"hyo", u"ひょ"},
    {u"fa", u"ふぁ"}, {u"fi", u"ふぃ"}, {u"fe", u"ふぇ"}, {u"fo", u"ふぉ"},
    {u"mya", u"みゃ"}, {u"myi", u"みぃ"}, {u"myu", u"みゅ"}, {u"mye", u"みぇ"}, {u"myo", u"みょ"},
    {u"rya", u"りゃ"}, {u"ryi", u"りぃ"}, {u"ryu", u"りゅ"}, {u"rye", u"りぇ"}, {u"ryo", u"りょ"},
    {u"gya", u"ぎゃ"}, {u"gyi", u"ぎぃ"}, {u"gyu", u"ぎゅ"}, {u"gye", u"ぎぇ"}, {u"gyo", u"ぎょ"},
    {u"jya", u"じゃ"}, {u"ja", u"じゃ"}, {u"jyi", u"じぃ"}, {u"jyu", u"じゅ"}, {u"ju", u"じゅ"},
    {u"jye", u"じぇ"}, {u"je", u"じぇ"}, {u"jyo", u"じょ"}, {u"jo", u"じょ"},
    {u"dya", u"ぢゃ"}, {u"dyi", u"ぢぃ"}, {u"dyu", u"ぢゅ"}, {u"dye", u"ぢぇ"}, {u"dyo", u"ぢょ"},
    {u"bya", u"びゃ"}, {u"byi", u"びぃ"}, {u"byu", u"びゅ"}, {u"bye", u"びぇ"}, {u"byo", u"びょ"},
    {u"pya", u"ぴゃ"}, {u"pyi", u"ぴぃ"}, {u"pyu", u"ぴゅ"}, {u"pye", u"ぴぇ"}, {u"pyo", u"ぴょ"},
    {u"la", u"ぁ"}, {u"xa", u"ぁ"}, {u"li", u"ぃ"}, {u"xi", u"ぃ"}, {u"lu", u"ぅ"}, {u"xu", u"ぅ"},
    {u"le", u"ぇ"}, {u"xe", u"ぇ"}, {u"lo", u"ぉ"}, {u"xo", u"ぉ"},
    {u"ltu", u"っ"}, {u"xtu", u"っ"}, {u"lya", u"ゃ"}, {u"xya", u"ゃ"},
    {u"lyu", u"ゅ"}, {u"xyu", u"ゅ"}, {u"lyo", u"ょ"}, {u"xyo", u"ょ"},
};

// Keys that type a sign rather than a letter; digits, ":", ";", "^" and "@" take their
// full-width forms instead.
constexpr struct {
    char16_t key;
    char16_t kana;
} kPunctuation[] = {
    {u'-', u'ー'}, {u'[', u'「'}, {u']', u'」'}, {u',', u'、'}, {u'.', u'。'}, {u'/', u'・'}, {u'\\', u'￥'},
};

} // namespace

std::span<const RomajiEntry> RomajiTable()
{
    return kRomaji;
}

bool ConvertRoma(QStringView text, QString& kana, QString& remainder)
{
    if (text.isEmpty())
        return false;
    kana.clear();
    remainder.clear();
    const QString s = text.toString().toLower();

    // A doubled first letter is a small つ (or ん for nn) at once, whatever the letters:
    // the second letter stays in the box to start the next syllable.
    if (s.size() >= 2 && s[0] == s[1]) {
        if (s[0] == u'n') {
            kana = QStringLiteral("ん");
        } else {
            kana = QStringLiteral("っ");
            remainder = s.mid(1);
        }
        return true;
    }

    const auto entry = std::ranges::find(kRomaji, QStringView(s), &RomajiEntry::romaji);
    if (entry != std::end(kRomaji)) {
        kana = entry->kana.toString();
        return true;
    }

    if ((s.compare(u"0") >= 0 && s.compare(u";") <= 0) || s == u"^" || s == u"@") {
        kana = FullWidthForm(s);
        return true;
    }

    for (const auto& [key, sign] : kPunctuation) {
        if (s == QStringView(&key, 1)) {
            kana = QChar(sign);
            return true;
        }
    }
    return false;
}
