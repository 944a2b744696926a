#include "uReplyEnvelope.h"

#include "uCodec.h"
#include "uTokens.h"

QStringList SplitReplyLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && text[end] != QLatin1Char('\r') && text[end] != QLatin1Char('\n'))
            ++end;
        lines.append(text.mid(start, end - start));
        if (end < size && text[end] == QLatin1Char('\r'))
            ++end;
        if (end < size && text[end] == QLatin1Char('\n'))
            ++end;
        start = end;
    }
    return lines;
}

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

QByteArray UrlDecode(const QByteArray &value)
{
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '+') {
            out.append(' ');
        } else if (c == '%' && i + 2 < value.size() && HexValue(value[i + 1]) >= 0
                   && HexValue(value[i + 2]) >= 0) {
            out.append(static_cast<char>(HexValue(value[i + 1]) * 16 + HexValue(value[i + 2])));
            i += 2;
        } else {
            out.append(c);
        }
    }
    return out;
}

TServerMessage ParseMessageHeader(const QByteArray &rawValue)
{
    TServerMessage message;
    if (rawValue.isEmpty())
        return message;
    const QString value = Codec::Decode(UrlDecode(rawValue));
    const qsizetype space = value.indexOf(QLatin1Char(' '));
    // Without a space the count is all but the last character and there is no text.
    const QString countText = space < 0 ? value.left(value.size() - 1) : value.left(space);
    const int count = StrToIntDef(countText, 0);
    if (count <= 0)
        return message;
    message.Present = true;
    message.Text = space < 0 ? QString() : value.mid(space + 1).left(count);
    const qsizetype bar = message.Text.indexOf(QLatin1Char('|'));
    if (bar >= 0) {
        message.Action = message.Text.mid(bar + 1);
        message.Text.truncate(bar);
    }
    return message;
}
