#include "mdlGetPdcType.h"

#include <QStringView>
#include <array>

namespace {

// One row: a maker code, the model-letter ranges it covers (a single code is a range of one),
// and the model name. Rows of one maker are tried from the top.
struct LetterRange {
    QStringView from;
    QStringView to;
};
struct ModelRow {
    QStringView maker;
    std::array<LetterRange, 3> ranges; // unused ranges stay empty
    QStringView name;
};

constexpr ModelRow kModels[] = {
    {u"NMA", {{{u"BK", u"BL"}}}, u"P504i"},
    {u"NMA", {{{u"UD", u"UD"}}}, u"P504is"},
    {u"NMA", {{{u"BH", u"BJ"}}}, u"P503i"},
    {u"NMA", {{{u"UA", u"UC"}}}, u"P503is"},
    {u"NMA", {{{u"BD", u"BG"}}}, u"P502i"},
    {u"NMA", {{{u"DI", u"DL"}}}, u"P211i"},
    {u"NMA", {{{u"DE", u"DF"}}}, u"P210i"},
    {u"NMA", {{{u"DA", u"DD"}}}, u"P209i"},
    {u"NMA", {{{u"IC", u"IF"}}}, u"P209is"},
    {u"NNE", {{{u"BO", u"BP"}}}, u"N504i"},
    {u"NNE", {{{u"UI", u"UI"}}}, u"N504is"},
    {u"NNE", {{{u"BI", u"BN"}}}, u"N503i"},
    {u"NNE", {{{u"UD", u"UH"}}}, u"N503is"},
    {u"NNE", {{{u"BE", u"BH"}}}, u"N502i"},
    {u"NNE", {{{u"IM", u"IQ"}, {u"IS", u"IS"}}}, u"N502it"},
    {u"NNE", {{{u"DI", u"DK"}}}, u"N211i"},
    {u"NNE", {{{u"DD", u"DH"}}}, u"N210i"},
    {u"NNE", {{{u"DA", u"DC"}}}, u"N209i"},
    {u"NNE", {{{u"CC", u"CC"}}}, u"N251i"},
    {u"NMI", {{{u"BH", u"BH"}}}, u"D504i"},
    {u"NMI", {{{u"BF", u"BF"}, {u"BG", u"BG"}}}, u"D503i"},
    {u"NMI", {{{u"UA", u"UA"}, {u"UB", u"UB"}}}, u"D503is"},
    {u"NMI", {{{u"BB", u"BB"}, {u"BD", u"BD"}, {u"BE", u"BE"}}}, u"D502i"},
    {u"NMI", {{{u"DG", u"DG"}}}, u"D211i"},
    {u"NMI", {{{u"DE", u"DE"}, {u"DF", u"DF"}, {u"IE", u"IE"}}}, u"D210i"},
    {u"NMI", {{{u"DA", u"DA"}, {u"DB", u"DB"}, {u"DC", u"DC"}}}, u"D209i"},
    {u"NFJ", {{{u"BF", u"BF"}}}, u"F504i"},
    {u"NFJ", {{{u"UB", u"UB"}}}, u"F504is"},
    {u"NFJ", {{{u"BD", u"BD"}, {u"BE", u"BE"}}}, u"F503i"},
    {u"NFJ", {{{u"UA", u"UA"}}}, u"F503is"},
    {u"NFJ", {{{u"BC", u"BC"}}}, u"F502i"},
    {u"NFJ", {{{u"IA", u"IA"}}}, u"F502it"},
    {u"NFJ", {{{u"DE", u"DE"}}}, u"F212i"},
    {u"NFJ", {{{u"DD", u"DD"}}}, u"F211i"},
    {u"NFJ", {{{u"DB", u"DB"}}}, u"F210i"},
    {u"NFJ", {{{u"DA", u"DA"}}}, u"F209i"},
    {u"NSO", {{{u"BF", u"BF"}}}, u"SO504i"},
    {u"NSO", {{{u"BB", u"BD"}}}, u"SO503i"},
    {u"NSO", {{{u"UA", u"UA"}}}, u"SO503is"},
    {u"NSO", {{{u"DD", u"DD"}}}, u"SO211i"},
    {u"NSO", {{{u"DA", u"DA"}, {u"DB", u"DB"}}}, u"SO210i"},
};

// Character-code order, as the table's ranges are meant: a shorter text sorts before
// every longer text it begins.
bool inRange(QStringView letters, const LetterRange& range)
{
    if (range.from.isEmpty())
        return false;
    return range.from.compare(letters) <= 0 && letters.compare(range.to) <= 0;
}

} // namespace

QString UnknownModelName() { return QStringLiteral("不明"); }

QString ModelNameFromSerial(const QString& serial)
{
    const QStringView maker = QStringView(serial).left(3);
    const QStringView letters = QStringView(serial).mid(3, 2);
    for (const ModelRow& row : kModels) {
        if (row.maker != maker)
            continue;
        for (const LetterRange& range : row.ranges) {
            if (inRange(letters, range))
                return row.name.toString();
        }
    }
    return UnknownModelName();
}
