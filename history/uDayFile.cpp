#include "uDayFile.h"

#include <charconv>
#include <cstdint>

#include <QIODevice>

namespace {

constexpr int FieldCount = 5;
constexpr qint64 ReadChunk = 64 * 1024;
constexpr std::uint64_t PositiveLimit = 2147483647u;
constexpr std::uint64_t NegativeLimit = 2147483648u;

bool IsBlank(char c)
{
    // The blanks of formatted input other than the line ends, which split lines here.
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Scans one line byte by byte, so lines may be split across read chunks.
class TLineScanner final
{
public:
    void Feed(char c);
    // Ends the line: fills `slot` with what was read, zeros elsewhere.
    void Finish(THistorySample &slot);

private:
    enum class TState { BeforeNumber, AfterSign, InNumber, Stopped };

    void EndNumber();

    TState m_state = TState::BeforeNumber;
    bool m_negative = false;
    bool m_overflow = false;
    std::uint64_t m_magnitude = 0;
    int m_fieldCount = 0;
    qint32 m_fields[FieldCount] = {};
};

void TLineScanner::Feed(char c)
{
    switch (m_state) {
    case TState::BeforeNumber:
        if (IsBlank(c))
            return;
        m_negative = c == '-';
        m_overflow = false;
        m_magnitude = 0;
        if (c == '-' || c == '+') {
            m_state = TState::AfterSign;
        } else if (IsDigit(c)) {
            m_magnitude = std::uint64_t(c - '0');
            m_state = TState::InNumber;
        } else {
            m_state = TState::Stopped;
        }
        return;
    case TState::AfterSign:
        if (IsDigit(c)) {
            m_magnitude = std::uint64_t(c - '0');
            m_state = TState::InNumber;
        } else {
            m_state = TState::Stopped;
        }
        return;
    case TState::InNumber:
        if (IsDigit(c)) {
            if (!m_overflow) {
                m_magnitude = m_magnitude * 10 + std::uint64_t(c - '0');
                m_overflow = m_magnitude > NegativeLimit;
            }
            return;
        }
        EndNumber();
        if (m_state != TState::Stopped)
            m_state = (c == ',' && m_fieldCount < FieldCount) ? TState::BeforeNumber : TState::Stopped;
        return;
    case TState::Stopped:
        return;
    }
}

void TLineScanner::EndNumber()
{
    const std::uint64_t limit = m_negative ? NegativeLimit : PositiveLimit;
    if (m_overflow || m_magnitude > limit) {
        m_state = TState::Stopped;
        return;
    }
    const qint64 value = m_negative ? -qint64(m_magnitude) : qint64(m_magnitude);
    m_fields[m_fieldCount++] = qint32(value);
    m_state = m_fieldCount < FieldCount ? TState::BeforeNumber : TState::Stopped;
}

void TLineScanner::Finish(THistorySample &slot)
{
    if (m_state == TState::InNumber)
        EndNumber();
    for (int i = m_fieldCount; i < FieldCount; ++i)
        m_fields[i] = 0;
    slot = {m_fields[0], m_fields[1], m_fields[2], m_fields[3], m_fields[4]};
    *this = TLineScanner();
}

char *AppendNumber(char *out, qint32 value)
{
    return std::to_chars(out, out + 11, value).ptr;
}

} // namespace

qint32 THistorySample::Value(int index) const
{
    switch (index) {
    case SeriesOnline:
        return Online;
    case SeriesCallers:
        return Callers;
    case SeriesMinutes:
        return Seconds;
    case SeriesEuro:
        return Cents;
    default:
        return 0;
    }
}

void FormatDayFile(const THistorySample *samples, int count, QByteArray &text)
{
    const qsizetype start = text.size();
    text.resize(start + qsizetype(count) * DayFileMaxLineLength);
    char *out = text.data() + start;
    for (int i = 0; i < count; ++i) {
        const THistorySample &s = samples[i];
        out = AppendNumber(out, s.Time);
        *out++ = ',';
        out = AppendNumber(out, s.Online);
        *out++ = ',';
        out = AppendNumber(out, s.Callers);
        *out++ = ',';
        out = AppendNumber(out, s.Seconds);
        *out++ = ',';
        out = AppendNumber(out, s.Cents);
        *out++ = '\r';
        *out++ = '\n';
    }
    text.resize(out - text.data());
}

int ReadDayFile(QIODevice &device, THistorySample *into, int capacity)
{
    QByteArray chunk(ReadChunk, Qt::Uninitialized);
    TLineScanner scanner;
    int count = 0;
    bool afterCr = false;
    bool lineOpen = false;
    while (count < capacity) {
        const qint64 got = device.read(chunk.data(), ReadChunk);
        if (got <= 0)
            break;
        for (qint64 i = 0; i < got && count < capacity; ++i) {
            const char c = chunk[i];
            if (c == '\n' && afterCr) {
                afterCr = false;
                continue;
            }
            afterCr = c == '\r';
            if (c == '\r' || c == '\n') {
                scanner.Finish(into[count++]);
                lineOpen = false;
                continue;
            }
            lineOpen = true;
            scanner.Feed(c);
        }
    }
    // A last line without a line end is still a line.
    if (lineOpen && count < capacity)
        scanner.Finish(into[count++]);
    return count;
}
