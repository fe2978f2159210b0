#include "SoakModel.h"

#include <array>
#include <utility>

namespace soak {

namespace {

// Words typed in romaji and the kana a Japanese reader writes for them.
constexpr std::pair<const char*, const char*> kRomajiWords[] = {
    {"kannji", "かんじ"},   {"sakura", "さくら"},     {"toukyou", "とうきょう"}, {"arigatou", "ありがとう"},
    {"kitte", "きって"},    {"gakkou", "がっこう"},   {"dennsha", "でんしゃ"},   {"kyouto", "きょうと"},
    {"hiragana", "ひらがな"}, {"yubisaki", "ゆびさき"}, {"me-ru", "めーる"},      {"dennwa", "でんわ"},
    {"ohayou", "おはよう"}, {"pinnponn", "ぴんぽん"},  {",", "、"},               {".", "。"},
};

// The JIS kana keyboard: what each unshifted key of the main block writes.
constexpr std::pair<char, const char*> kKanaKeys[] = {
    {'1', "ぬ"}, {'2', "ふ"}, {'3', "あ"}, {'4', "う"}, {'5', "え"}, {'6', "お"}, {'7', "や"}, {'8', "ゆ"},
    {'9', "よ"}, {'0', "わ"}, {'q', "た"}, {'w', "て"}, {'e', "い"}, {'r', "す"}, {'t', "か"}, {'y', "ん"},
    {'u', "な"}, {'i', "に"}, {'o', "ら"}, {'p', "せ"}, {'a', "ち"}, {'s', "と"}, {'d', "し"}, {'f', "は"},
    {'g', "き"}, {'h', "く"}, {'j', "ま"}, {'k', "の"}, {'l', "り"}, {'z', "つ"}, {'x', "さ"}, {'c', "そ"},
    {'v', "ひ"}, {'b', "こ"}, {'n', "み"}, {'m', "も"}, {',', "ね"}, {'.', "る"}, {'/', "め"}, {'-', "ほ"},
};

constexpr NamedKey kNamedKeys[] = {
    {"Left", "<LEFT>"},        {"Up", "<UP>"},         {"Right", "<RIGHT>"},        {"Down", "<DOWN>"},
    {"Return", "<OK>"},        {"shift+Return", "<F1>"}, {"Home", "<MENU>"},        {"Insert", "<CHAR>"},
    {"Prior", "<OFF-HOOK>"},   {"End", "<ON-HOOK>"},   {"Delete", "<CLEAR>"},       {"F2", "<F2>"},
    {"F7", "<F7>"},            {"F12", "<F12>"},       {"shift+F3", "<F15>"},       {"shift+F4", "<F16>"},
    {"KP_0", "<TEN-0>"},       {"KP_1", "<TEN-1>"},    {"KP_5", "<TEN-5>"},         {"KP_9", "<TEN-9>"},
    {"KP_Multiply", "<TEN-*>"}, {"KP_Subtract", "<TEN-#>"},
};

QChar Pick(std::mt19937& rng, const QString& pool) { return pool.at(Uniform(rng, 0, int(pool.size()) - 1)); }

QString NamedKeyToken(const KeyCode& code)
{
    static const std::array<const char*, 4> arrows = {"UP", "DOWN", "LEFT", "RIGHT"};
    static const std::array<const char*, 5> sixth = {"CONV", "OK", "CLEAR", "MENU", "CHAR"};
    static const std::array<const char*, 5> tenOthers = {"0", "#", "*", "ON-HOOK", "OFF-HOOK"};
    const int g = code.Group;
    const int i = code.Index;
    QString name;
    if (g == 1 && i >= 1 && i <= 4)
        name = QString::fromLatin1(arrows[i - 1]);
    else if (g == 2 && i >= 1 && i <= 9)
        name = QStringLiteral("TEN-%1").arg(i);
    else if (g == 2 && i >= 10 && i <= 14)
        name = (i <= 12 ? QStringLiteral("TEN-") : QString()) + QString::fromLatin1(tenOthers[i - 10]);
    else if (g == 3 && i >= 1 && i <= 15)
        name = QStringLiteral("F%1").arg(i);
    else if (g == 4 && i >= 1 && i <= 9)
        name = QStringLiteral("F%1").arg(15 + i);
    else if (g == 6 && i >= 1 && i <= 5)
        name = QString::fromLatin1(sixth[i - 1]);
    else
        name = QStringLiteral("? %1 %2").arg(g).arg(i);
    return (code.Kind == 9 ? QStringLiteral("<^") : QStringLiteral("<")) + name + u'>';
}

} // namespace

const char* ModeName(Mode mode)
{
    switch (mode) {
    case Mode::HalfWidth: return "half-width";
    case Mode::FullWidthAlphabet: return "full-width alphabet";
    case Mode::KanaKeyboard: return "kana keyboard";
    case Mode::Romaji: return "romaji";
    }
    return "?";
}

Typing RandomTyping(Mode mode, std::mt19937& rng, int length)
{
    Typing t;
    while (t.keys.size() < length) {
        switch (mode) {
        case Mode::HalfWidth: {
            const QChar c = Pick(rng, QStringLiteral("abcxyzABCXYZ0123456789 !?.,-+*/=()"));
            t.keys += c;
            t.tokens << QString(c);
            break;
        }
        case Mode::FullWidthAlphabet: {
            // The full-width forms sit at a fixed distance from ASCII in Unicode.
            const QChar c = Pick(rng, QStringLiteral("abcxyzABCXYZ0123456789!?"));
            t.keys += c;
            t.tokens << QString(QChar(c.unicode() + 0xFEE0));
            break;
        }
        case Mode::KanaKeyboard: {
            const auto& [key, kana] = kKanaKeys[Uniform(rng, 0, int(std::size(kKanaKeys)) - 1)];
            t.keys += QLatin1Char(key);
            t.tokens << QString::fromUtf8(kana);
            break;
        }
        case Mode::Romaji: {
            const auto& [word, kana] = kRomajiWords[Uniform(rng, 0, int(std::size(kRomajiWords)) - 1)];
            t.keys += QLatin1String(word);
            t.tokens << TextTokens(QString::fromUtf8(kana));
            break;
        }
        }
    }
    return t;
}

NamedKey RandomNamedKey(std::mt19937& rng) { return kNamedKeys[Uniform(rng, 0, int(std::size(kNamedKeys)) - 1)]; }

QStringList TextTokens(const QString& text)
{
    QStringList out;
    for (const QChar c : text.normalized(QString::NormalizationForm_C))
        out << QString(c);
    return out;
}

void AddReceived(QStringList& tokens, const phonesim::WireEvent& event)
{
    if (event.type != phonesim::WireEvent::Type::Key)
        return;
    if (event.text.isEmpty()) {
        tokens << NamedKeyToken(event.code);
        return;
    }
    // The handset's voiced and semi-voiced marks (″ and °) join the kana before them, as the
    // combining marks do in Unicode.
    const char16_t mark = event.text == u"″" ? 0x3099 : event.text == u"°" ? 0x309A : 0;
    if (mark && !tokens.isEmpty()) {
        const QString joined = (tokens.last() + QChar(mark)).normalized(QString::NormalizationForm_C);
        if (joined.size() == 1) {
            tokens.last() = joined;
            return;
        }
    }
    tokens << event.text;
}

QString RandomPasteText(std::mt19937& rng, int length)
{
    static const QString pool = QStringLiteral("あいうえおかきくけこがぎぐぱぴぷっゃーんをabcxyzXYZ019ＡＢＣ１２３ｱｲｳｶｷ、。");
    QString out;
    while (out.size() < length)
        out += Pick(rng, pool);
    return out;
}

} // namespace soak
