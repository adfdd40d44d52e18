// ColourScanner: the Fortran syntax colouring of one line, as a pure function of its text.
//
// A line is scanned word by word; a word ends at any delimiter (blanks and ( ) , . < > : = + - *
// % / ' " ! # [ ]). Outside strings, "!" starts a comment and "#" preprocessor text, each running
// to the end of the line; a quote opens a string closed by the same quote on the same line (an
// unclosed string runs to the line's end). A word of two or more characters found in the keyword
// or intrinsic list (case-insensitively) gets that kind. In fixed form, a line starting with C, c
// or * is a comment. Spans never cover the line terminator; touching spans of one kind are merged.
//
//     "print *, 'a!b' ! done"  ->  keyword [0,5), string [9,14), comment [15,21)
#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringView>

namespace corvane
{

class Vocabulary;

// What the colouring gives a stretch of text; Normal text has no span.
enum class SpanKind { Comment, String, Preprocessor, Keyword, Intrinsic };

// The lowercase name printed by the colour command: "comment", "string", ...
QString spanKindName(SpanKind kind);

// A coloured stretch: start and length in UTF-16 code units, relative to what was scanned.
struct Span {
    qsizetype start = 0;
    qsizetype length = 0;
    SpanKind kind = SpanKind::Comment;
    qsizetype end() const { return start + length; }
    friend bool operator==(const Span &, const Span &) = default;
};

// The state carried from one line to the next. Every construct ends on its own line (strings
// included, so that colouring stays linear), so it is always Normal today; it is the block state
// the highlighter keeps, and the one place to extend should a construct ever span lines.
enum class LineState { Normal = 0 };

// The class of a word: 0 none, 1 keyword, 2 intrinsic (a word in both lists is a keyword).
enum KeywordClass { NoKeyword = 0, Keyword = 1, Intrinsic = 2 };

class ColourScanner
{
public:
    // Word lists in lower case.
    ColourScanner(QSet<QString> keywords, QSet<QString> intrinsics, bool fixedForm = false);
    // The lists of a vocabulary.
    explicit ColourScanner(const Vocabulary &vocabulary, bool fixedForm = false);

    bool isFixedForm() const { return m_fixedForm; }
    void setFixedForm(bool fixedForm) { m_fixedForm = fixedForm; }

    // Lower-cases the word and looks it up.
    KeywordClass keywordType(QStringView word) const;

    // Appends the spans of one line (text without its terminator) to out, offsets relative to
    // the line's start, and returns the state for the next line.
    LineState colourLine(QStringView line, LineState in, QList<Span> &out) const;

    // The spans of a whole text, lines split at \n, \r\n, \r, U+2028 and U+2029; offsets are
    // positions in text.
    QList<Span> colourText(QStringView text) const;

private:
    void addWord(QStringView line, qsizetype start, qsizetype end, QList<Span> &out) const;

    QSet<QString> m_keywords;
    QSet<QString> m_intrinsics;
    qsizetype m_longestWord = 0;
    bool m_fixedForm = false;
};

// Appends a span, merging it into the last one when they touch and are of one kind.
void appendSpan(QList<Span> &out, Span span);

// The end of the line starting at from (the index of its terminator, or text's length) and the
// length of that terminator (0, 1 or 2 for \r\n).
qsizetype lineEndFrom(QStringView text, qsizetype from, qsizetype *terminatorLength = nullptr);

} // namespace corvane
