#include "uIniFile.h"

#include <QFile>
#include <QSaveFile>

#include "uCodec.h"
#include "uTokens.h"

namespace {

bool SameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A line break inside a value would end its line and start a forged one.
QString OneLine(QString value)
{
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

// Whoever edited the file by hand may have saved it as UTF-8 with a byte-order mark.
const QByteArray Utf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

} // namespace

TIniFile::TIniFile(const QString &fileName)
{
    Load(fileName);
}

bool TIniFile::Load(const QString &fileName)
{
    m_fileName = fileName;
    m_sections.clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    Parse(file.readAll());
    return true;
}

void TIniFile::Parse(const QByteArray &content)
{
    m_sections.clear();
    m_sections.push_back({});
    m_utf8 = content.startsWith(Utf8Bom);
    const QString text = m_utf8 ? QString::fromUtf8(content.mid(Utf8Bom.size())) : Codec::Decode(content);
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.contains(QLatin1Char(']'))) {
            TSection section;
            section.Header = line;
            section.Name = trimmed.mid(1, trimmed.indexOf(QLatin1Char(']')) - 1).trimmed();
            m_sections.push_back(std::move(section));
            continue;
        }
        TLine entry;
        entry.Text = line;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && !trimmed.startsWith(QLatin1Char(';'))) {
            entry.Key = line.left(eq).trimmed();
            entry.Value = line.mid(eq + 1).trimmed();
        }
        m_sections.back().Lines.push_back(std::move(entry));
    }
}

QByteArray TIniFile::Serialize() const
{
    QString out;
    for (const TSection &section : m_sections) {
        if (!section.Header.isEmpty())
            out += section.Header + QLatin1String("\r\n");
        for (const TLine &line : section.Lines)
            out += line.Text + QLatin1String("\r\n");
    }
    return m_utf8 ? Utf8Bom + out.toUtf8() : Codec::Encode(out);
}

bool TIniFile::Save() const
{
    return SaveAs(m_fileName);
}

bool TIniFile::SaveAs(const QString &fileName) const
{
    const bool isNew = !QFile::exists(fileName);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if ((isNew && m_ownerOnly) || m_secret)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(Serialize());
    return file.commit();
}

const TIniFile::TSection *TIniFile::FindSection(const QString &name) const
{
    // Section 0 holds the lines before the first header and has no name.
    for (std::size_t i = 1; i < m_sections.size(); ++i) {
        if (SameName(m_sections[i].Name, name))
            return &m_sections[i];
    }
    return nullptr;
}

TIniFile::TSection *TIniFile::FindSection(const QString &name)
{
    return const_cast<TSection *>(std::as_const(*this).FindSection(name));
}

TIniFile::TSection &TIniFile::ObtainSection(const QString &name)
{
    if (TSection *found = FindSection(name))
        return *found;
    if (m_sections.empty())
        m_sections.push_back({});
    TSection section;
    section.Name = name;
    section.Header = QLatin1Char('[') + name + QLatin1Char(']');
    m_sections.push_back(std::move(section));
    return m_sections.back();
}

const TIniFile::TLine *TIniFile::FindKey(const TSection &section, const QString &key)
{
    for (const TLine &line : section.Lines) {
        if (!line.Key.isEmpty() && SameName(line.Key, key))
            return &line;
    }
    return nullptr;
}

bool TIniFile::SectionExists(const QString &section) const
{
    return FindSection(section) != nullptr;
}

bool TIniFile::ValueExists(const QString &section, const QString &key) const
{
    const TSection *found = FindSection(section);
    return found && FindKey(*found, key);
}

QString TIniFile::ReadString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const TSection *found = FindSection(section);
    const TLine *line = found ? FindKey(*found, key) : nullptr;
    return line ? line->Value : defaultValue;
}

int TIniFile::ReadInteger(const QString &section, const QString &key, int defaultValue) const
{
    const TSection *found = FindSection(section);
    const TLine *line = found ? FindKey(*found, key) : nullptr;
    return line ? StrToIntDef(line->Value, defaultValue) : defaultValue;
}

bool TIniFile::ReadBool(const QString &section, const QString &key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

QStringList TIniFile::ReadSection(const QString &section) const
{
    QStringList keys;
    if (const TSection *found = FindSection(section)) {
        for (const TLine &line : found->Lines) {
            if (!line.Key.isEmpty())
                keys.append(line.Key);
        }
    }
    return keys;
}

QList<QPair<QString, QString>> TIniFile::ReadSectionValues(const QString &section) const
{
    QList<QPair<QString, QString>> entries;
    if (const TSection *found = FindSection(section)) {
        for (const TLine &line : found->Lines) {
            if (!line.Key.isEmpty())
                entries.append({line.Key, line.Value});
        }
    }
    return entries;
}

TIniFile::TLine TIniFile::KeyLine(const QString &key, const QString &value)
{
    const QString flat = OneLine(value);
    return TLine{key + QLatin1Char('=') + flat, key, flat};
}

void TIniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    TSection &target = ObtainSection(section);
    for (TLine &line : target.Lines) {
        if (!line.Key.isEmpty() && SameName(line.Key, key)) {
            line = KeyLine(line.Key, value);
            return;
        }
    }
    // A new key goes after the last key of its section, before trailing blank lines.
    auto at = target.Lines.end();
    while (at != target.Lines.begin() && std::prev(at)->Text.trimmed().isEmpty())
        --at;
    target.Lines.insert(at, KeyLine(key, value));
}

void TIniFile::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString &section, const QString &key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::EraseSection(const QString &section)
{
    for (std::size_t i = 1; i < m_sections.size(); ++i) {
        if (SameName(m_sections[i].Name, section)) {
            m_sections.erase(m_sections.begin() + qsizetype(i));
            return;
        }
    }
}

void TIniFile::ReplaceSection(const QString &section, const QList<QPair<QString, QString>> &entries)
{
    TSection &target = ObtainSection(section);
    target.Lines.clear();
    for (const auto &[key, value] : entries)
        target.Lines.push_back(KeyLine(key, value));
}
