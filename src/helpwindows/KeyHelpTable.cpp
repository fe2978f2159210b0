#include "KeyHelpTable.h"

#include <algorithm>
#include <array>
#include <span>
#include <utility>

namespace {

struct KeyName {
    int code;
    QStringView name;
};

constexpr KeyName kKeyNames[] = {
    {45, u"Ins"},      {46, u"Del"},  {36, u"Home"}, {35, u"End"},        {33, u"PageUp"},
    {34, u"PageDown"}, {8, u"BS"},    {13, u"Return"}, {27, u"Esc"},      {145, u"ScrollLock"},
    {19, u"Pause"},    {37, u"←"},    {38, u"↑"},    {39, u"→"},          {40, u"↓"},
};

enum class Family { P, N504, N251, N210, D, SO, F };

// `variant` marks the models that show their family's model-dependent rows: in P the
// current-time row, in N504 the address-list rows, in D the mail-menu F1 and F2.
struct Model {
    QStringView name;
    Family family;
    bool variant;
};

constexpr Model kModels[] = {
    {u"P504i", Family::P, true},       {u"P503i", Family::P, false},     {u"P503is", Family::P, false},
    {u"P502i", Family::P, false},      {u"P211i", Family::P, true},      {u"N504i", Family::N504, true},
    {u"N504is", Family::N504, true},   {u"N503i", Family::N504, false},  {u"N503is", Family::N504, false},
    {u"N251i", Family::N251, false},   {u"N210i", Family::N210, false},  {u"D503i", Family::D, true},
    {u"D503is", Family::D, true},      {u"D502i", Family::D, false},     {u"D209i", Family::D, true},
    {u"SO503i", Family::SO, false},    {u"F504i", Family::F, false},
};

// Texts of the tables. {Left} ... {OnHook} stand for the names of the keys the key map holds,
// {CLEAR} for the three clear keys together.
constexpr const char16_t* kNone = u"―";
constexpr const char16_t* kMapped = u"○";
constexpr const char16_t* kFixed = u"×";
constexpr const char16_t* kEmpty = u"";
constexpr const char16_t* kLineBreak = u"文中の改行";
constexpr const char16_t* kSubMenu = u"サブメニュー";
constexpr const char16_t* kIModeButton = u"iモードボタン";
constexpr const char16_t* kSideButton = u"サイドボタンの設定";
constexpr const char16_t* kServiceNumber = u"サービス設定番号";
constexpr const char16_t* kPowerOff = u"端末の電源OFF";
constexpr const char16_t* kMailMenu = u"メールメニュー呼出し";
constexpr const char16_t* kWriteMail = u"メール作成キー";
constexpr const char16_t* kPhoneBook = u"電話帳呼び出し";
constexpr const char16_t* kPhoneBookEntry = u"電話帳登録";
constexpr const char16_t* kReceivedList = u"{Left}：受信アドレス一覧";
constexpr const char16_t* kSentList = u"{Right}：送信アドレス一覧";

struct Texts {
    const char16_t* key;
    const char16_t* function;
    const char16_t* ctrl;
    const char16_t* reassignable;
};

enum Id { R1, R2, R3, R4, R5, R5c, R6, R7, R8, R9, R10, R11, R12, Added };

struct BaseRow {
    Id id;
    Texts texts;
};

constexpr BaseRow kBaseRows[] = {
    {R1, {u"カーソルキーの{Left}{Up}{Right}{Down}", u"←↑→↓", kNone, kMapped}},
    {R2, {u"{OK}", u"決定キー", kNone, kMapped}},
    {R3, {u"Shift + {OK}", kLineBreak, kNone, kMapped}},
    {R4, {u"{CLEAR}", u"クリアキー", kNone, kMapped}},
    {R5, {u"Shift + {CLEAR}", u"カーソルの位置より後ろの文字列を削除", kNone, kMapped}},
    {R5c, {kEmpty, u"カーソル最後尾の時､文字列全消去", kEmpty, kEmpty}},
    {R6, {u"{SubMenu}", kSubMenu, kNone, kMapped}},
    {R7, {u"{CharChange}", u"文章作成中の文字(かな、カナ、英数字などの)変換キー", kNone, kMapped}},
    {R8, {u"テンキーの0～9", u"端末上にある0～9キーと同様", kNone, kFixed}},
    {R9, {u"テンキーの*", u"端末上にある*キーと同様", kNone, kFixed}},
    {R10, {u"テンキーの-", u"端末上にある#キーと同様", kNone, kFixed}},
    {R11, {u"{OffHook}", u"オフフック(電話接続)", kNone, kMapped}},
    {R12, {u"{OnHook}", u"オンフック(電話切断)", kNone, kMapped}},
};

// How a family's table differs from the base rows, followed by its function-key rows.
enum class Op { SetFunction, SetCtrl, InsertAfter, Remove, Append };
enum class When { Always, Variant, Other };

struct Edit {
    Op op;
    Id row;
    Texts texts;
    When when;
};

constexpr Edit function(Id row, const char16_t* text) { return {Op::SetFunction, row, {kEmpty, text, kEmpty, kEmpty}, When::Always}; }
constexpr Edit ctrl(Id row, const char16_t* text, When when = When::Always)
{
    return {Op::SetCtrl, row, {kEmpty, kEmpty, text, kEmpty}, when};
}
constexpr Edit after(Id row, Texts texts, When when = When::Always) { return {Op::InsertAfter, row, texts, when}; }
constexpr Edit remove(Id row) { return {Op::Remove, row, {}, When::Always}; }
// A row with only a second line of explanation.
constexpr Texts note(const char16_t* text) { return {kEmpty, text, kEmpty, kEmpty}; }
// A function-key row, and a function-key row's second line.
constexpr Edit fkey(const char16_t* key, const char16_t* text, const char16_t* withCtrl = kNone, When when = When::Always)
{
    return {Op::Append, Added, {key, text, withCtrl, kFixed}, when};
}
constexpr Edit more(const char16_t* text, When when) { return {Op::Append, Added, note(text), when}; }

constexpr Edit kFamilyP[] = {
    after(R12, note(u"メール作成画面で押すと､現在の時刻を表示"), When::Variant),
    fkey(u"F1", kLineBreak),
    fkey(u"F2", kWriteMail),
    fkey(u"F3", u"メール送信キー"),
    fkey(u"F4", kPhoneBook, kPhoneBookEntry),
    fkey(u"F5～F24", kNone),
};

constexpr Edit kFamilyN504[] = {
    ctrl(R1, kReceivedList, When::Variant),
    after(R1, {kEmpty, kEmpty, kSentList, kMapped}, When::Variant),
    ctrl(R6, kSideButton),
    ctrl(R11, kServiceNumber),
    ctrl(R12, kPowerOff),
    fkey(u"F1", kLineBreak),
    fkey(u"F2", kMailMenu, u"センター問合わせ"),
    fkey(u"F3", kNone),
    fkey(u"F4", u"ホーム/ボイス(サイドの▲)"),
    fkey(u"F5", u"メモ/確認(サイドの▼)"),
    fkey(u"F6", kIModeButton, u"iアプリ"),
    fkey(u"F7～F24", kNone),
};

constexpr Edit kFamilyN251[] = {
    ctrl(R1, kReceivedList),
    after(R1, {kEmpty, kEmpty, kSentList, kMapped}),
    after(R1, {u"待受け画面で{Left}", u"着信履歴", kNone, kMapped}),
    after(R1, {u"待受け画面で{Up}", u"グループ検索", kNone, kMapped}),
    after(R1, {u"待受け画面で{Right}", u"リダイヤル", kNone, kMapped}),
    after(R1, {u"待受け画面で{Down}", u"行検索", kNone, kMapped}),
    ctrl(R2, kIModeButton),
    remove(R5c),
    ctrl(R6, kSideButton),
    ctrl(R11, kServiceNumber),
    ctrl(R12, kPowerOff),
    fkey(u"F1", kLineBreak),
    fkey(u"F2", kMailMenu, u"メール確認"),
    fkey(u"F3", kNone),
    fkey(u"F4", kNone),
    fkey(u"F5", u"伝言メモ再生、メール作成時は改ページ(?)"),
    fkey(u"F6", kIModeButton),
    fkey(u"F7～F24", kNone),
};

constexpr Edit kFamilyN210[] = {
    ctrl(R1, u"{Left}：音量下げ"),
    after(R1, {kEmpty, kEmpty, u"{Right}：音量上げ", kMapped}),
    ctrl(R2, kIModeButton),
    function(R4, u"クリアキー(リダイヤル)"),
    function(R5, kNone),
    remove(R5c),
    ctrl(R6, kSideButton),
    ctrl(R11, kServiceNumber),
    ctrl(R12, kPowerOff),
    fkey(u"F1", kNone),
    fkey(u"F2", kMailMenu, kMailMenu),
    fkey(u"F3", kNone),
    fkey(u"F4", kNone),
    fkey(u"F5", u"伝言メモ再生"),
    fkey(u"F6", kIModeButton),
    fkey(u"F7～F24", kNone),
};

constexpr Edit kFamilyD[] = {
    function(R3, kNone),
    function(R6, kNone),
    after(R7, note(u"または「ボイス」")),
    ctrl(R10, kLineBreak),
    fkey(u"F1", u"iモードメニュー", kNone, When::Other),
    fkey(u"F1", u"メールメニューの表示", kNone, When::Variant),
    more(u"(電話機上のメールボタンを押したときと同じ)", When::Variant),
    fkey(u"F2", u"iモード", kNone, When::Other),
    fkey(u"F2", u"センター問い合わせ", kNone, When::Variant),
    more(u"(iモードメールセンターへの問い合わせメニュー)", When::Variant),
    fkey(u"F3", u"iモードメール作成メニュー"),
    fkey(u"F4", u"ショートメール作成メニュー"),
    fkey(u"F5", u"受信メールフォルダを開く"),
    fkey(u"F6", u"送信メールフォルダを開く"),
    fkey(u"F7", u"インターネットメニュー(URL入力画面)"),
    fkey(u"F8", u"電話帳登録メニュー"),
    fkey(u"F9", u"定型文メニュー"),
    fkey(u"F10", u"単語登録メニュー"),
    fkey(u"F11", u"ジャンプメニュー"),
    fkey(u"F12", kLineBreak),
    fkey(u"F13～F24", kNone),
};

constexpr Edit kFamilySO[] = {
    function(R4, u"クリアキーまたはメールメニュー"),
    function(R6, kNone),
    function(R7, kSubMenu),
    fkey(u"F1", kNone),
    fkey(u"F2", u"メモ(音声メモ)メニュー"),
    fkey(u"F3～F24", kNone),
};

constexpr Edit kFamilyF[] = {
    function(R3, kNone),
    fkey(u"F1", kPhoneBook, kPhoneBookEntry),
    fkey(u"F2", kWriteMail),
    fkey(u"F3", u"受信メール呼び出し"),
    fkey(u"F4～F24", kNone),
};

std::span<const Edit> EditsOf(Family family)
{
    switch (family) {
    case Family::P: return kFamilyP;
    case Family::N504: return kFamilyN504;
    case Family::N251: return kFamilyN251;
    case Family::N210: return kFamilyN210;
    case Family::D: return kFamilyD;
    case Family::SO: return kFamilySO;
    case Family::F: return kFamilyF;
    }
    return {};
}

// The names the placeholders of a row stand for, with the user's key map.
class KeyTexts {
public:
    explicit KeyTexts(const KeyMap& m)
        : names_{{{u"{Left}", KeyDisplayName(m.KEY_Left)},
                  {u"{Up}", KeyDisplayName(m.KEY_Up)},
                  {u"{Right}", KeyDisplayName(m.KEY_Right)},
                  {u"{Down}", KeyDisplayName(m.KEY_Down)},
                  {u"{OK}", KeyDisplayName(m.KEY_OK)},
                  {u"{CLEAR}", KeyDisplayName(m.KEY_Clear1) + QStringLiteral("または") + KeyDisplayName(m.KEY_Clear2) + QStringLiteral("、")
                                   + KeyDisplayName(m.KEY_Clear3)},
                  {u"{SubMenu}", KeyDisplayName(m.KEY_SubMenu)},
                  {u"{CharChange}", KeyDisplayName(m.KEY_CharChange)},
                  {u"{OffHook}", KeyDisplayName(m.KEY_OffHook)},
                  {u"{OnHook}", KeyDisplayName(m.KEY_OnHook)}}}
    {
    }

    // A name never holds a brace, so one pass over the placeholders is enough.
    QString expand(const char16_t* text) const
    {
        QString out = QString::fromUtf16(text);
        if (!out.contains(u'{'))
            return out;
        for (const auto& [placeholder, name] : names_)
            out.replace(placeholder.toString(), name);
        return out;
    }

    KeyHelpRow row(const Texts& t) const
    {
        return {expand(t.key), expand(t.function), expand(t.ctrl), expand(t.reassignable)};
    }

private:
    std::array<std::pair<QStringView, QString>, 10> names_;
};

struct Entry {
    Id id;
    bool base;
    KeyHelpRow row;
};

} // namespace

QString KeyDisplayName(int code)
{
    const auto found = std::ranges::find(kKeyNames, code, &KeyName::code);
    return found == std::end(kKeyNames) ? QString() : found->name.toString();
}

QStringList KeyHelpModels()
{
    QStringList names;
    for (const Model& model : kModels)
        names.append(model.name.toString());
    return names;
}

QList<KeyHelpRow> KeyHelpRows(QStringView model, const KeyMap& keyMap)
{
    const auto found = std::ranges::find(kModels, model, &Model::name);
    if (found == std::end(kModels))
        return {};
    const KeyTexts texts(keyMap);
    QList<Entry> entries;
    for (const BaseRow& base : kBaseRows)
        entries.append({base.id, true, texts.row(base.texts)});
    const auto baseEntry = [&](Id id) {
        return std::ranges::find_if(entries, [id](const Entry& e) { return e.base && e.id == id; });
    };

    for (const Edit& edit : EditsOf(found->family)) {
        if ((edit.when == When::Variant && !found->variant) || (edit.when == When::Other && found->variant))
            continue;
        const auto target = baseEntry(edit.row);
        switch (edit.op) {
        case Op::SetFunction:
            if (target != entries.end())
                target->row.function = texts.expand(edit.texts.function);
            break;
        case Op::SetCtrl:
            if (target != entries.end())
                target->row.withCtrl = texts.expand(edit.texts.ctrl);
            break;
        case Op::Remove:
            if (target != entries.end())
                entries.erase(target);
            break;
        case Op::Append: entries.append({Added, false, texts.row(edit.texts)}); break;
        case Op::InsertAfter: {
            // Rows added after the same row keep the order in which they are listed.
            const auto last = std::find_if(entries.rbegin(), entries.rend(),
                                           [&](const Entry& e) { return e.id == edit.row; });
            entries.insert(last.base(), {edit.row, false, texts.row(edit.texts)});
            break;
        }
        }
    }

    QList<KeyHelpRow> rows;
    rows.reserve(entries.size());
    for (const Entry& e : entries)
        rows.append(e.row);
    return rows;
}

QString KeyHelpCopyText(const QList<KeyHelpRow>& rows)
{
    const QString separator = QStringLiteral(", ");
    QString text;
    for (const KeyHelpRow& row : rows)
        text += row.key + separator + row.function + separator + row.withCtrl + separator + QStringLiteral("\r\n");
    return text;
}
