// TextScanner: the one-position scanner the diagnostics readers walk compiler output with.
// "Take" steps skip white space and line ends first, then take the text up to a delimiter; a take
// that finds nothing to take yields nothing, so a reader can tell output that was cut off.
#pragma once

#include <QStringView>

#include <optional>

namespace corvane
{

class TextScanner
{
public:
    explicit TextScanner(QStringView text) : m_text(text) {}

    // Skips white space and line ends, then takes everything up to (not including) the next
    // occurrence of delimiter, or up to the end. The position moves to the delimiter (or the end).
    // Nothing is taken, and nothing is returned, when no character lies before the delimiter.
    std::optional<QStringView> takeUpTo(QStringView delimiter);
    std::optional<QStringView> takeUpTo(QChar delimiter);
    // takeUpTo a line feed; a carriage return before the line feed is not part of the line.
    std::optional<QStringView> takeLine();
    // Moves n characters forward, never past the end.
    void stepOver(qsizetype n);
    // Only white space and line ends remain.
    bool atEnd() const;

    qsizetype position() const { return m_pos; }
    void setPosition(qsizetype pos) { m_pos = qBound(qsizetype(0), pos, m_text.size()); }
    QStringView text() const { return m_text; }

private:
    void skipSpace();
    std::optional<QStringView> takeUntil(qsizetype found);

    QStringView m_text;
    qsizetype m_pos = 0;
};

// The leading integer of a text: leading blanks skipped, an optional sign, decimal digits up to the
// first other character; 0 without digits. Saturates instead of overflowing.
qint64 leadingInteger(QStringView text);
// The leading integer as a line or column number: negative values become 0.
quint64 leadingNumber(QStringView text);

// The text up to the first occurrence of marker (the whole text when marker does not occur).
QStringView cutBefore(QStringView text, QStringView marker);

} // namespace corvane
