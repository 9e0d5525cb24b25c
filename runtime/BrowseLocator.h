#pragma once
#include <QString>
#include <QtGlobal>

#include <functional>

namespace vrt {

// The text typed into a list for its type-ahead search: characters accumulate, Backspace takes
// the last one off, and a pause of CLEARTIME hundredths of a second (two seconds) lets the next
// character start a new text. The clock is injectable so the pause is testable without waiting.
class LocatorText {
public:
    // Hundredths of a second from any fixed point; only differences are used.
    using Clock = std::function<qint64()>;
    static constexpr int MaxLength = 1023;
    static constexpr int DefaultClearTime = 200;

    explicit LocatorText(Clock clock = {});

    // Backspace (U+0008) removes the last character, anything else is appended; characters
    // past MaxLength are dropped. Stamps the time of the last letter.
    void type(const QString& chars);
    void clear() { m_text.clear(); }
    const QString& text() const { return m_text; }

    void setClearTime(int hundredths) { m_clearTime = hundredths; }
    int clearTime() const { return m_clearTime; }
    // The text is not empty and the pause since the last letter reached the clear time.
    bool expired() const;
    qint64 now() const { return m_clock(); }
    void setClock(Clock clock);

    // Keys whose release ends a search: Down, Up, Home, Page Down, Page Up, End and Enter.
    static bool clearsOn(int qtKey);
    // Whether a row's text starts with the search text, ignoring case; only the first
    // MaxLength characters of the row's text take part. An empty text matches every row.
    static bool matches(const QString& cell, const QString& text);
    // The first of `rows` rows whose text (`cellAt(row)`) matches; -1 when none does.
    static int findRow(int rows, const std::function<QString(int)>& cellAt, const QString& text);

private:
    Clock m_clock;
    QString m_text;
    int m_clearTime = DefaultClearTime;
    qint64 m_lastLetter = 0;
};

} // namespace vrt
