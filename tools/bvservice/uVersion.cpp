#include "uVersion.h"

#include <QStringList>

namespace Version {

std::optional<TVersion> Parse(const QString &text)
{
    const QStringList parts = text.trimmed().split(u'.');
    if (parts.isEmpty() || parts.size() > 4)
        return std::nullopt;
    TVersion version{0, 0, 0, 0};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        bool ok = false;
        const int number = parts[i].toInt(&ok);
        if (!ok || number < 0 || parts[i].startsWith(u'+'))
            return std::nullopt;
        version[static_cast<std::size_t>(i)] = number;
    }
    return version;
}

std::optional<TVersion> FromUserAgent(const QByteArray &userAgent)
{
    static const QByteArray prefix = "BVMonitor V";
    if (!userAgent.startsWith(prefix))
        return std::nullopt;
    // The version ends at the first blank, should a client add more after it.
    const QByteArray rest = userAgent.mid(prefix.size());
    const qsizetype blank = rest.indexOf(' ');
    return Parse(QString::fromLatin1(blank < 0 ? rest : rest.left(blank)));
}

} // namespace Version
