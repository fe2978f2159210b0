#include "mdlChangeAlphabet.h"

namespace {

// The three characters whose plain full-width forms are missing from the handset's table
// get the table's own look-alikes.
constexpr struct {
    char16_t ascii;
    char16_t wide;
} kOwnForms[] = {{u'"', u'\u201D'}, {u'\'', u'\u2019'}, {u'\\', u'\uFFE5'}};

bool Between(QStringView text, QStringView low, QStringView high)
{
    return text.compare(low) >= 0 && text.compare(high) <= 0;
}

} // namespace

QString FullWidthForm(QStringView text)
{
    QString wide;
    wide.reserve(text.size());
    for (const QChar ch : text) {
        if (ch.unicode() >= 0x21 && ch.unicode() <= 0x7E)
            wide += QChar(char16_t(ch.unicode() + 0xFEE0));
        else if (ch == u' ')
            wide += QChar(u'\u3000');
        else
            wide += ch;
    }
    return wide;
}

bool ConvertAlphabet(QStringView text, QString& result)
{
    if (text.isEmpty())
        return false;
    result.clear();
    // Code-unit order over the whole text: these ranges leave out exactly the space, the
    // quotation mark, the apostrophe and the backslash, whose full-width forms the handset
    // lacks.
    if (Between(text, u"a", u"z") || Between(text, u"A", u"Z") || text == u"!"
        || Between(text, u"#", u"&") || Between(text, u"(", u"[") || Between(text, u"]", u"~")) {
        result = FullWidthForm(text);
        return true;
    }
    for (const auto& [ascii, wide] : kOwnForms) {
        if (text == QStringView(&ascii, 1)) {
            result = QChar(wide);
            return true;
        }
    }
    return false;
}
