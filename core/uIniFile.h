#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// A Windows-style INI file held in memory with everything it contains: sections, keys,
// their order, comments and lines we do not understand survive a save untouched.
// Section and key names match without regard to letter case, as on Windows. Values are
// everything after the first "=", so they may contain "=", ";", "," and "\"; a line break
// in a written value becomes a blank.
class TIniFile final
{
public:
    TIniFile() = default;
    explicit TIniFile(const QString &fileName);

    // A missing or unreadable file reads as empty.
    bool Load(const QString &fileName);
    void Parse(const QByteArray &content);
    // Whole file, atomically, with CR LF line ends, in the encoding it was read in:
    // Windows-1252, or UTF-8 where the file began with a byte-order mark.
    bool Save() const;
    bool SaveAs(const QString &fileName) const;
    QByteArray Serialize() const;

    // A file this object creates is readable by its owner only (it may hold a password);
    // an existing file keeps its permissions.
    void SetOwnerOnly(bool ownerOnly) { m_ownerOnly = ownerOnly; }
    // It holds a secret now: written readable by its owner only, an existing file too.
    void SetSecret(bool secret) { m_secret = secret; }

    bool SectionExists(const QString &section) const;
    bool ValueExists(const QString &section, const QString &key) const;
    QString ReadString(const QString &section, const QString &key, const QString &defaultValue = {}) const;
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const;
    bool ReadBool(const QString &section, const QString &key, bool defaultValue) const;
    // Keys of a section in file order.
    QStringList ReadSection(const QString &section) const;
    // Every key line of a section in file order, repeated keys included.
    QList<QPair<QString, QString>> ReadSectionValues(const QString &section) const;

    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int value);
    void WriteBool(const QString &section, const QString &key, bool value);
    void EraseSection(const QString &section);
    // Replaces the section's content with these lines ("key=value"), keeping its place.
    void ReplaceSection(const QString &section, const QList<QPair<QString, QString>> &entries);

private:
    struct TLine
    {
        QString Text;      // the line as read or written
        QString Key;       // non-empty for "key=value" lines
        QString Value;
    };
    struct TSection
    {
        QString Name;      // empty for lines before the first section
        QString Header;    // the header line as read
        std::vector<TLine> Lines;
    };

    const TSection *FindSection(const QString &name) const;
    TSection *FindSection(const QString &name);
    TSection &ObtainSection(const QString &name);
    static const TLine *FindKey(const TSection &section, const QString &key);
    // The stored line of a value, CR and LF in it made blanks.
    static TLine KeyLine(const QString &key, const QString &value);

    QString m_fileName;
    bool m_ownerOnly = false;
    bool m_secret = false;
    bool m_utf8 = false;
    std::vector<TSection> m_sections;
};
