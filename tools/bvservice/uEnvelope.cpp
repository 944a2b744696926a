#include "uEnvelope.h"

namespace Envelope {

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<QByteArray> DecodeRequest(const QByteArray &body, const QByteArray &key)
{
    if (body.size() % 2 != 0 || (key.isEmpty() && !body.isEmpty()))
        return std::nullopt;
    QByteArray plain;
    plain.reserve(body.size() / 2);
    for (qsizetype i = 0; i < body.size(); i += 2) {
        const int high = HexValue(body[i]);
        const int low = HexValue(body[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        const auto keyByte = static_cast<unsigned char>(key[(i / 2) % key.size()]);
        plain.append(static_cast<char>((high << 4 | low) ^ keyByte));
    }
    return plain;
}

QByteArray ScrambleReply(const QByteArray &text, const QByteArray &key)
{
    if (key.isEmpty())
        return text;
    QByteArray out;
    out.reserve(text.size() + 1);
    out.append('>');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto keyByte = static_cast<unsigned char>(key[i % key.size()]);
        out.append(static_cast<char>(static_cast<unsigned char>(text[i]) ^ ReplyMask ^ keyByte));
    }
    return out;
}

QByteArray MessageHeader(const QByteArray &text)
{
    const QByteArray value = QByteArray::number(text.size()) + ' ' + text;
    QByteArray out;
    for (char c : value) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9')
            || u == '-' || u == '_' || u == '.' || u == '~') {
            out.append(c);
        } else if (u == ' ') {
            out.append('+');
        } else {
            out.append('%');
            out.append(QByteArray::number(u, 16).rightJustified(2, '0').toUpper());
        }
    }
    return out;
}

TArgs::TArgs(const QString &argString)
{
    if (argString.isEmpty())
        return;
    for (const QString &pair : argString.split(u'&')) {
        const qsizetype equals = pair.indexOf(u'=');
        if (equals < 0)
            Items.append({pair, QString()});
        else
            Items.append({pair.left(equals), pair.mid(equals + 1)});
    }
}

QString TArgs::Value(const QString &name) const
{
    for (const auto &item : Items) {
        if (item.first == name)
            return item.second;
    }
    return {};
}

bool TArgs::Has(const QString &name) const
{
    for (const auto &item : Items) {
        if (item.first == name)
            return true;
    }
    return false;
}

} // namespace Envelope
