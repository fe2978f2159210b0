#include "mdlGetBinary.h"

#include <QHash>

namespace {

// Full-width rows (Kind 2). Row 7 holds U+2019 and U+FFE3, row 8 U+201D and U+FFE5,
// row 9 the ideographic space U+3000, row 10 the marks U+2033 and U+00B0.
constexpr std::array<QStringView, 15> kFullWidth{
    u"あいうえおＡＢＣＤＥＦＧＨＩＪ",
    u"かきくけこＫＬＭＮＯＰＱＲＳＴ",
    u"さしすせそＵＶＷＸＹＺ",
    u"たちつてとａｂｃｄｅｆｇｈｉｊ",
    u"なにぬねのｋｌｍｎｏｐｑｒｓｔ",
    u"はひふへほｕｖｗｘｙｚ",
    u"まみむめも＠．／，－＿：\u2019\uFFE3＆",
    u"や（ゆ）よ\u201D＄％＋；＜＝＞\uFFE5［",
    u"らりるれろ］＾｛｜｝「」～\u3000｀",
    u"わをん\u2033\u00B0",
    u"ぁぃぅぇぉ",
    u"っゃゅょ\u30FC",
    u"、。・！？",
    u"１２３４５",
    u"６７８９０＃＊",
};

// Half-width rows (Kind 1). The space of row 7 is never chosen: the space is (1, 9, 14).
constexpr std::array<QStringView, 15> kHalfWidth{
    u"ｱｲｳｴｵABCDEFGHIJ",
    u"ｶｷｸｹｺKLMNOPQRST",
    u"ｻｼｽｾｿUVWXYZ",
    u"ﾀﾁﾂﾃﾄabcdefghij",
    u"ﾅﾆﾇﾈﾉklmnopqrst",
    u"ﾊﾋﾌﾍﾎuvwxyz",
    u"ﾏﾐﾑﾒﾓ@./,-_:' &",
    u"ﾔ(ﾕ)ﾖ\"$%+;<=>\\[",
    u"ﾗﾘﾙﾚﾛ]^{|}｢｣~ `",
    u"ﾜｦﾝﾞﾟ",
    u"ｧｨｩｪｫ",
    u"ｯｬｭｮｰ",
    u"､｡･!?",
    u"12345",
    u"67890#*",
};

constexpr std::array<PhoneKey, 48> kPhoneKeys{{
    {u"UP", 1, 1},       {u"DOWN", 1, 2},     {u"LEFT", 1, 3},     {u"RIGHT", 1, 4},
    {u"TEN-1", 2, 1},    {u"TEN-2", 2, 2},    {u"TEN-3", 2, 3},    {u"TEN-4", 2, 4},
    {u"TEN-5", 2, 5},    {u"TEN-6", 2, 6},    {u"TEN-7", 2, 7},    {u"TEN-8", 2, 8},
    {u"TEN-9", 2, 9},    {u"TEN-0", 2, 10},   {u"TEN-#", 2, 11},   {u"TEN-*", 2, 12},
    {u"ON-HOOK", 2, 13}, {u"OFF-HOOK", 2, 14},
    {u"F1", 3, 1},       {u"F2", 3, 2},       {u"F3", 3, 3},       {u"F4", 3, 4},
    {u"F5", 3, 5},       {u"F6", 3, 6},       {u"F7", 3, 7},       {u"F8", 3, 8},
    {u"F9", 3, 9},       {u"F10", 3, 10},     {u"F11", 3, 11},     {u"F12", 3, 12},
    {u"F13", 3, 13},     {u"F14", 3, 14},     {u"F15", 3, 15},
    {u"F16", 4, 1},      {u"F17", 4, 2},      {u"F18", 4, 3},      {u"F19", 4, 4},
    {u"F20", 4, 5},      {u"F21", 4, 6},      {u"F22", 4, 7},      {u"F23", 4, 8},
    {u"F24", 4, 9},
    {u"CR", 3, 1},
    {u"OK", 6, 2},       {u"CLEAR", 6, 3},    {u"MENU", 6, 4},     {u"CHAR", 6, 5},
    // The conversion key has no macro name; it is sent for the space key.
    {u"", 6, 1},
}};

constexpr std::array<VoicedKana, 25> kVoiced{{
    {u'が', u'か', u'″'}, {u'ぎ', u'き', u'″'}, {u'ぐ', u'く', u'″'}, {u'げ', u'け', u'″'}, {u'ご', u'こ', u'″'},
    {u'ざ', u'さ', u'″'}, {u'じ', u'し', u'″'}, {u'ず', u'す', u'″'}, {u'ぜ', u'せ', u'″'}, {u'ぞ', u'そ', u'″'},
    {u'だ', u'た', u'″'}, {u'ぢ', u'ち', u'″'}, {u'づ', u'つ', u'″'}, {u'で', u'て', u'″'}, {u'ど', u'と', u'″'},
    {u'ば', u'は', u'″'}, {u'び', u'ひ', u'″'}, {u'ぶ', u'ふ', u'″'}, {u'べ', u'へ', u'″'}, {u'ぼ', u'ほ', u'″'},
    {u'ぱ', u'は', u'°'}, {u'ぴ', u'ひ', u'°'}, {u'ぷ', u'ふ', u'°'}, {u'ぺ', u'へ', u'°'}, {u'ぽ', u'ほ', u'°'},
}};

struct CodeMaps {
    QHash<char16_t, KeyCode> byCharacter;
    QHash<quint32, QChar> byCode;
};

quint32 packed(const KeyCode& c) { return (quint32(c.Kind) << 16) | (quint32(c.Group) << 8) | c.Index; }

// Built once; the first occurrence wins, full-width rows before half-width, and the space
// is entered at its row-9 place.
const CodeMaps& maps()
{
    static const CodeMaps m = [] {
        CodeMaps built;
        const auto enter = [&built](const std::array<QStringView, 15>& rows, std::uint8_t kind) {
            for (std::size_t row = 0; row < rows.size(); ++row) {
                for (qsizetype pos = 0; pos < rows[row].size(); ++pos) {
                    const char16_t ch = rows[row][pos].unicode();
                    const KeyCode code{kind, std::uint8_t(row + 1), std::uint8_t(pos + 1)};
                    if (ch == u' ' && row + 1 != 9)
                        continue;
                    if (!built.byCharacter.contains(ch))
                        built.byCharacter.insert(ch, code);
                    built.byCode.insert(packed(code), QChar(ch));
                }
            }
        };
        enter(kFullWidth, KeyKind::FullWidth);
        enter(kHalfWidth, KeyKind::HalfWidth);
        return built;
    }();
    return m;
}

} // namespace

const std::array<QStringView, 15>& FullWidthRows() { return kFullWidth; }
const std::array<QStringView, 15>& HalfWidthRows() { return kHalfWidth; }

bool GetKeyCode(QStringView character, KeyCode& code)
{
    code = KeyCode{};
    if (character.size() != 1)
        return false;
    const auto it = maps().byCharacter.constFind(character.front().unicode());
    if (it == maps().byCharacter.constEnd())
        return false;
    code = *it;
    return true;
}

QString CharacterForKeyCode(const KeyCode& code)
{
    if (code.Kind == KeyKind::HalfWidth && code.Group == 7 && code.Index == 14)
        return QStringLiteral(" ");
    const auto it = maps().byCode.constFind(packed(code));
    return it == maps().byCode.constEnd() ? QString() : QString(*it);
}

const std::array<PhoneKey, 48>& PhoneKeys() { return kPhoneKeys; }

const std::array<VoicedKana, 25>& VoicedKanaTable() { return kVoiced; }
