#include "colourscanner.h"

#include "settings/vocabulary.h"

#include <array>

namespace corvane
{

namespace
{

// Delimiter test with a table for ASCII, built once from the vocabulary's delimiter set.
bool isDelimiter(QChar c)
{
    static const std::array<bool, 128> ascii = [] {
        std::array<bool, 128> table{};
        for (int i = 0; i < 128; ++i)
            table[size_t(i)] = Vocabulary::delimiters().contains(QChar(i));
        return table;
    }();
    const char16_t u = c.unicode();
    return u < 128 ? ascii[u] : Vocabulary::delimiters().contains(c);
}

bool isLineBreak(QChar c)
{
    const char16_t u = c.unicode();
    return u == u'\n' || u == u'\r' || u == 0x2028 || u == 0x2029;
}

} // namespace

QString spanKindName(SpanKind kind)
{
    switch (kind) {
    case SpanKind::Comment: return QStringLiteral("comment");
    case SpanKind::String: return QStringLiteral("string");
    case SpanKind::Preprocessor: return QStringLiteral("preprocessor");
    case SpanKind::Keyword: return QStringLiteral("keyword");
    case SpanKind::Intrinsic: return QStringLiteral("intrinsic");
    }
    return QString();
}

void appendSpan(QList<Span> &out, Span span)
{
    if (span.length <= 0)
        return;
    if (!out.isEmpty() && out.last().kind == span.kind && out.last().end() == span.start) {
        out.last().length += span.length;
        return;
    }
    out.append(span);
}

qsizetype lineEndFrom(QStringView text, qsizetype from, qsizetype *terminatorLength)
{
    qsizetype i = from;
    while (i < text.size() && !isLineBreak(text[i]))
        ++i;
    if (terminatorLength) {
        if (i == text.size())
            *terminatorLength = 0;
        else if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            *terminatorLength = 2;
        else
            *terminatorLength = 1;
    }
    return i;
}

ColourScanner::ColourScanner(QSet<QString> keywords, QSet<QString> intrinsics, bool fixedForm)
    : m_keywords(std::move(keywords)), m_intrinsics(std::move(intrinsics)), m_fixedForm(fixedForm)
{
    for (const QSet<QString> *words : {&m_keywords, &m_intrinsics})
        for (const QString &w : *words)
            m_longestWord = qMax(m_longestWord, w.size());
}

ColourScanner::ColourScanner(const Vocabulary &vocabulary, bool fixedForm)
    : ColourScanner(vocabulary.fortranKeywords(), vocabulary.fortranIntrinsics(), fixedForm)
{
}

KeywordClass ColourScanner::keywordType(QStringView word) const
{
    if (word.isEmpty() || word.size() > m_longestWord)
        return NoKeyword;
    // Lower-case into a stack buffer: this runs once per word of every coloured line.
    constexpr qsizetype BufferSize = 64;
    QChar buffer[BufferSize];
    QString heap;
    const QChar *lower = buffer;
    if (word.size() <= BufferSize) {
        for (qsizetype i = 0; i < word.size(); ++i)
            buffer[i] = word[i].toLower();
    } else {
        heap = word.toString().toLower();
        lower = heap.constData();
    }
    const QString key = QString::fromRawData(lower, word.size());
    if (m_keywords.contains(key))
        return Keyword;
    if (m_intrinsics.contains(key))
        return Intrinsic;
    return NoKeyword;
}

void ColourScanner::addWord(QStringView line, qsizetype start, qsizetype end,
                            QList<Span> &out) const
{
    if (end - start < 2)
        return;
    switch (keywordType(line.mid(start, end - start))) {
    case Keyword: appendSpan(out, {start, end - start, SpanKind::Keyword}); break;
    case Intrinsic: appendSpan(out, {start, end - start, SpanKind::Intrinsic}); break;
    case NoKeyword: break;
    }
}

LineState ColourScanner::colourLine(QStringView line, LineState in, QList<Span> &out) const
{
    const qsizetype n = line.size();
    if (n == 0)
        return in;
    if (m_fixedForm && (line[0] == u'C' || line[0] == u'c' || line[0] == u'*')) {
        appendSpan(out, {0, n, SpanKind::Comment});
        return LineState::Normal;
    }
    qsizetype word = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar ch = line[i];
        if (!isDelimiter(ch))
            continue;
        switch (ch.unicode()) {
        case u'!':
            addWord(line, word, i, out);
            appendSpan(out, {i, n - i, SpanKind::Comment});
            return LineState::Normal;
        case u'#':
            addWord(line, word, i, out);
            appendSpan(out, {i, n - i, SpanKind::Preprocessor});
            return LineState::Normal;
        case u'\'':
        case u'"': {
            addWord(line, word, i, out);
            // The closing quote is looked for on this line only.
            const qsizetype close = line.indexOf(ch, i + 1);
            if (close < 0) {
                appendSpan(out, {i, n - i, SpanKind::String});
                return LineState::Normal;
            }
            appendSpan(out, {i, close - i + 1, SpanKind::String});
            i = close;
            word = close + 1;
            break;
        }
        default:
            addWord(line, word, i, out);
            word = i + 1;
        }
    }
    // The line's end ends the last word, also on a last line without terminator.
    addWord(line, word, n, out);
    return LineState::Normal;
}

QList<Span> ColourScanner::colourText(QStringView text) const
{
    QList<Span> spans;
    QList<Span> lineSpans;
    LineState state = LineState::Normal;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype terminator = 0;
        const qsizetype end = lineEndFrom(text, start, &terminator);
        lineSpans.clear();
        state = colourLine(text.mid(start, end - start), state, lineSpans);
        for (const Span &s : std::as_const(lineSpans))
            appendSpan(spans, {start + s.start, s.length, s.kind});
        start = end + terminator;
    }
    return spans;
}

} // namespace corvane
