#include "uTokens.h"

#include <limits>

namespace {

struct TTokenState
{
    QString Text;
    QString Separator;
    // A separator without letters reads the same in any case: it is matched as it is,
    // which is much faster than a search that folds case.
    bool Exact = false;
    int Position = 1; // 1-based: the first character not yet consumed
};

TTokenState &State()
{
    static TTokenState state;
    return state;
}

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

bool HasCase(const QString &text)
{
    for (const QChar c : text) {
        // Roman numerals and circled letters have case without being letters.
        if (c.isLetter() || c.toCaseFolded() != c || c.toUpper() != c)
            return true;
    }
    return false;
}

} // namespace

void TokenInit(const QString &text, const QString &separator)
{
    TTokenState &state = State();
    state.Text = text;
    if (state.Separator != separator) {
        state.Separator = separator;
        state.Exact = !HasCase(separator);
    }
    state.Position = 1;
}

QStringView NextTokenView()
{
    TTokenState &state = State();
    const QStringView text = state.Text;
    const int length = int(text.size());
    if (state.Position > length)
        return {};
    const qsizetype start = state.Position - 1;
    qsizetype found = -1;
    if (state.Separator.size() == 1 && state.Exact) {
        // Fields are short: a plain scan beats a library search that first sets itself up.
        const char16_t separator = state.Separator.front().unicode();
        const char16_t *data = text.utf16();
        qsizetype i = start;
        while (i < length && data[i] != separator)
            ++i;
        found = i < length ? i : -1;
    } else if (!state.Separator.isEmpty())
        found = text.indexOf(state.Separator, start, state.Exact ? Qt::CaseSensitive : Qt::CaseInsensitive);
    if (found < 0) {
        state.Position = length + 1;
        return text.mid(start);
    }
    state.Position = int(found + state.Separator.size()) + 1;
    return text.mid(start, found - start);
}

QString NextToken()
{
    return NextTokenView().toString();
}

int NextTokenInt()
{
    return StrToIntDef(NextTokenView(), 0);
}

int StrToIntDef(QStringView text, int defaultValue)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i < n && text[i] == QLatin1Char('$')) {
        base = 16;
        ++i;
    }
    if (i >= n)
        return defaultValue;

    // One past the largest magnitude: -2147483648 fits, +2147483648 does not.
    const qint64 limit = negative ? qint64(std::numeric_limits<int>::max()) + 1
                                  : qint64(std::numeric_limits<int>::max());
    qint64 value = 0;
    for (; i < n; ++i) {
        const int digit = HexDigit(text[i]);
        if (digit < 0 || digit >= base)
            return defaultValue;
        value = value * base + digit;
        if (value > limit)
            return defaultValue;
    }
    return int(negative ? -value : value);
}
