#pragma once

#include <QString>
#include <QStringView>

// A text field of fixed capacity: a longer value keeps its first N characters when stored.
template <int N>
class TShortText final
{
public:
    static constexpr int Capacity = N;

    TShortText() = default;
    TShortText(const QString &text) : m_text(text.left(N)) {}
    TShortText(const char *text) : TShortText(QString::fromLatin1(text)) {}

    TShortText &operator=(const QString &text)
    {
        m_text = text.left(N);
        return *this;
    }

    TShortText &operator=(const char *text) { return *this = QString::fromLatin1(text); }

    // Stores `text` unless the field holds it already, so an unchanged value costs no copy.
    void Assign(QStringView text)
    {
        text = text.left(N);
        if (m_text != text)
            m_text = text.toString();
    }

    operator const QString &() const { return m_text; }
    const QString &text() const { return m_text; }
    bool isEmpty() const { return m_text.isEmpty(); }

    friend bool operator==(const TShortText &a, const TShortText &b) { return a.m_text == b.m_text; }
    friend bool operator==(const TShortText &a, const QString &b) { return a.m_text == b; }

private:
    QString m_text;
};
