#include "fstatementreader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace corvane
{

namespace
{

// ---- character sets -------------------------------------------------------------------------

enum : unsigned char { AlphaBit = 1, TerminatorBit = 2 };

// Flags of the ASCII characters: letters, digits and ":>,.+-*/=()[]%_!#'\"" are alpha characters;
// line feed, '&', ';', '!', '"', '\'' are terminators. A carriage return also ends a line, so a
// file with "\r\n" endings reads like one with "\n" endings.
constexpr std::array<unsigned char, 128> makeAsciiFlags()
{
    std::array<unsigned char, 128> f{};
    for (int c = 'a'; c <= 'z'; ++c)
        f[c] |= AlphaBit;
    for (int c = 'A'; c <= 'Z'; ++c)
        f[c] |= AlphaBit;
    for (int c = '0'; c <= '9'; ++c)
        f[c] |= AlphaBit;
    for (const char c : std::string_view(":>,.+-*/=()[]%_!#'\""))
        f[static_cast<unsigned char>(c)] |= AlphaBit;
    for (const char c : std::string_view("\n\r&;!\"'"))
        f[static_cast<unsigned char>(c)] |= TerminatorBit;
    return f;
}

constexpr std::array<unsigned char, 128> kAscii = makeAsciiFlags();

bool isAlphaCategory(QChar::Category cat)
{
    switch (cat) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
        return true;
    default:
        return false;
    }
}

bool isLineEnd(QChar c)
{
    return c.unicode() == '\n' || c.unicode() == '\r';
}

// Length of the line end at i ("\r\n" counts 2), 0 when there is none.
qsizetype lineEndLength(const QChar *d, qsizetype i, qsizetype n)
{
    if (i >= n)
        return 0;
    if (d[i] == u'\r')
        return (i + 1 < n && d[i + 1] == u'\n') ? 2 : 1;
    return d[i] == u'\n' ? 1 : 0;
}

// First index at or after i that holds a line end, or n. Two vectorised searches over the line
// (for '\n', then for a '\r' before it) cost less than a look at every character.
qsizetype findLineEnd(const QChar *d, qsizetype i, qsizetype n)
{
    if (i >= n)
        return n;
    const QStringView rest(d + i, n - i);
    qsizetype end = rest.indexOf(u'\n');
    if (end < 0)
        end = rest.size();
    const qsizetype cr = rest.first(end).indexOf(u'\r');
    return i + (cr < 0 ? end : cr);
}

// Skips characters that cannot start a statement (blanks, line ends, '&', ';', '<', '$', ...).
// Letters outside the BMP are recognised through their surrogate pair.
qsizetype skipNonAlpha(const QChar *d, qsizetype i, qsizetype n)
{
    while (i < n) {
        const char16_t c = d[i].unicode();
        if (c < 128) {
            if (kAscii[c] & AlphaBit)
                return i;
            ++i;
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < n && d[i + 1].isLowSurrogate()) {
            const char32_t ucs = QChar::surrogateToUcs4(c, d[i + 1].unicode());
            if (isAlphaCategory(QChar::category(ucs)))
                return i;
            i += 2;
            continue;
        }
        if (isAlphaCategory(QChar::category(c)))
            return i;
        ++i;
    }
    return n;
}

} // namespace

// The text of one statement while it is read: a view of the source as long as its pieces follow
// each other there (most statements are one line), copied into a string once a piece comes from
// elsewhere (a continuation line, a literal continued over lines). Given the writable source, a
// statement that reaches joinFrom characters is instead joined in place: each piece is moved
// down to follow the last, which never overtakes the reading (every character of the statement
// comes from a distinct, later or equal, position of the source), and the line feeds passed
// over are counted so that finish() can write them back after the statement.
class FStatementReader::StatementText
{
public:
    StatementText(QString &buffer, QChar *source, qsizetype joinFrom)
        : m_buffer(buffer), m_source(source), m_joinFrom(joinFrom)
    {
    }

    bool isEmpty() const { return view().isEmpty(); }
    QStringView view() const
    {
        switch (m_state) {
        case Copied:
            return m_buffer;
        case InPlace:
            return QStringView(m_start, m_write - m_start);
        case InView:
            break;
        }
        return m_view;
    }
    // The text as a string of its own; a single piece is copied exactly, without growth reserve.
    QString take() { return m_state == Copied ? std::move(m_buffer) : view().toString(); }
    bool isInPlace() const { return m_state == InPlace; }
    // Where a read of the statement begins again (set by the reader).
    qsizetype regionStart = 0;

    void append(QStringView piece)
    {
        if (piece.isEmpty())
            return;
        if (m_state == InView) {
            if (m_view.isEmpty()) {
                m_view = piece;
                return;
            }
            if (piece.data() == m_view.data() + m_view.size()) {
                m_view = QStringView(m_view.data(), m_view.size() + piece.size());
                return;
            }
            m_sourceEnd = m_view.data() + m_view.size();
        }
        appendElsewhere(piece);
    }

    // Ends a statement joined in place whose reading stopped at regionEnd: the rest of the region
    // becomes blanks and then as many line feeds as the region held outside the statement.
    void finish(const QChar *regionEnd)
    {
        Q_ASSERT(m_state == InPlace);
        m_lineFeeds += QStringView(m_sourceEnd, regionEnd).count(u'\n');
        QChar *const end = m_source + (regionEnd - m_source);
        Q_ASSERT(m_write + m_lineFeeds <= end);
        // The statement and the line feeds always fit; should they not, nothing is written past
        // the statement.
        QChar *const feeds = std::max(end - m_lineFeeds, m_write);
        std::fill(m_write, feeds, QChar(u' '));
        std::fill(feeds, end, QChar(u'\n'));
    }

    // Appends a free-form character literal. One that spans lines was continued with '&' as
    // the last character (but blanks) of a line and, usually, '&' as the first (but blanks) of
    // the next: the literal goes on after that second '&', or at the start of the line without
    // one. An '&' anywhere else is a character of the literal; a line end with no '&' before it
    // stays in the literal as it is.
    void appendLiteral(QStringView literal)
    {
        const QChar *const d = literal.data();
        const qsizetype n = literal.size();
        qsizetype pieceStart = 0;
        for (qsizetype e = findLineEnd(d, 0, n); e < n; e = findLineEnd(d, e + 1, n)) {
            qsizetype last = e;
            while (last > pieceStart && (d[last - 1] == u' ' || d[last - 1] == u'\t'))
                --last;
            if (last == pieceStart || d[last - 1] != u'&')
                continue;
            append(literal.sliced(pieceStart, last - 1 - pieceStart));
            const qsizetype lineStart = e + lineEndLength(d, e, n);
            qsizetype next = lineStart;
            while (next < n && (d[next] == u' ' || d[next] == u'\t'))
                ++next;
            pieceStart = next < n && d[next] == u'&' ? next + 1 : lineStart;
            e = pieceStart - 1; // the search goes on from the continued line
        }
        append(literal.sliced(pieceStart));
    }

private:
    enum State { InView, Copied, InPlace };

    // A piece that does not follow the statement in the source.
    void appendElsewhere(QStringView piece)
    {
        switch (m_state) {
        case InView:
            if (m_source && m_view.size() + piece.size() >= m_joinFrom) {
                startInPlace(m_view.size(), 0);
                appendInPlace(piece);
                return;
            }
            m_buffer.clear();
            m_buffer.reserve(m_view.size() + piece.size());
            m_buffer.append(m_view);
            m_buffer.append(piece);
            m_state = Copied;
            break;
        case Copied:
            if (m_source && m_buffer.size() + piece.size() >= m_joinFrom) {
                // The line feeds passed so far: those of the source read, less the statement's.
                const QStringView read(m_view.data(), m_sourceEnd - m_view.data());
                const qsizetype passed = read.count(u'\n') - m_buffer.count(u'\n');
                startInPlace(m_view.size(), passed);
                const qsizetype rest = m_buffer.size() - m_view.size();
                std::memcpy(static_cast<void *>(m_write), m_buffer.constData() + m_view.size(),
                            size_t(rest) * sizeof(QChar));
                m_write += rest;
                m_buffer.clear();
                appendInPlace(piece);
                return;
            }
            m_buffer.append(piece);
            break;
        case InPlace:
            appendInPlace(piece);
            return;
        }
        m_sourceEnd = piece.data() + piece.size();
    }

    // The statement so far stands at m_view's start, its first inPlace characters already there.
    void startInPlace(qsizetype inPlace, qsizetype lineFeeds)
    {
        m_start = m_source + (m_view.data() - m_source);
        m_write = m_start + inPlace;
        m_lineFeeds = lineFeeds;
        m_state = InPlace;
    }

    void appendInPlace(QStringView piece)
    {
        m_lineFeeds += QStringView(m_sourceEnd, piece.data()).count(u'\n');
        std::memmove(static_cast<void *>(m_write), piece.data(),
                     size_t(piece.size()) * sizeof(QChar));
        m_write += piece.size();
        m_sourceEnd = piece.data() + piece.size();
    }

    QString &m_buffer;
    QChar *const m_source; // the writable source text, or null
    const qsizetype m_joinFrom;
    State m_state = InView;
    QStringView m_view;                 // InView: the statement; later: its first piece(s)
    const QChar *m_sourceEnd = nullptr; // Copied, InPlace: just after the last piece read
    QChar *m_start = nullptr;           // InPlace: the statement and its end
    QChar *m_write = nullptr;
    qsizetype m_lineFeeds = 0; // InPlace: line feeds passed over, not in the statement
};

namespace
{

bool isBlankLine(QStringView line)
{
    for (QChar c : line)
        if (c != u' ' && c != u'\t')
            return false;
    return true;
}

} // namespace

// ---- scanner ---------------------------------------------------------------------------------

void FStatementReader::startReading(const QString &text, unsigned form)
{
    scanner.text = text;
    scanner.location = 0;
    fileType = form;
    m_mayJoinInPlace = false;
    m_joined.clear();
    m_nextJoined = 0;
}

void FStatementReader::startReading(QString &&text, unsigned form)
{
    scanner.text = std::move(text);
    scanner.location = 0;
    fileType = form;
    m_mayJoinInPlace = scanner.text.isDetached();
    m_joined.clear();
    m_nextJoined = 0;
}

const FStatementReader::JoinedRegion *FStatementReader::joinedAt(qsizetype position)
{
    size_t &i = m_nextJoined;
    while (i > 0 && m_joined[i - 1].start >= position)
        --i;
    while (i < m_joined.size() && m_joined[i].start < position)
        ++i;
    return i < m_joined.size() && m_joined[i].start == position ? &m_joined[i] : nullptr;
}

void FStatementReader::recordJoined(StatementText &result)
{
    result.finish(scanner.text.constData() + scanner.location);
    const QStringView joined = result.view();
    const JoinedRegion region{result.regionStart, joined.data() - scanner.text.constData(),
                              joined.size(), scanner.location};
    const auto at =
        std::upper_bound(m_joined.begin(), m_joined.end(), region.start,
                         [](qsizetype start, const JoinedRegion &r) { return start < r.start; });
    m_joined.insert(at, region);
    m_nextJoined = 0;
}

inline bool FStatementReader::readStatement(StatementText &result, unsigned form)
{
    bool produced = false;
    if (form == FixedForm) {
        produced = readF77Statement(result);
    } else {
        readF90Statement(result);
        produced = !result.isEmpty();
    }
    if (result.isInPlace())
        recordJoined(result);
    return produced;
}

bool FStatementReader::isTerminator(QChar c)
{
    return c.unicode() < 128 && (kAscii[c.unicode()] & TerminatorBit);
}

bool FStatementReader::isAlphaCharacter(QChar c)
{
    if (c.unicode() < 128)
        return kAscii[c.unicode()] & AlphaBit;
    return isAlphaCategory(c.category());
}

std::optional<QString> FStatementReader::nextFortranStatement()
{
    return fileType != FixedForm ? nextF90FortranStatement() : nextF77Statement();
}

inline QChar *FStatementReader::writableText()
{
    // A text someone else came to share since startReading is left as it is.
    if (m_mayJoinInPlace && !scanner.text.isDetached())
        m_mayJoinInPlace = false;
    return m_mayJoinInPlace ? scanner.text.data() : nullptr;
}

std::optional<QStringView> FStatementReader::nextStatementView(QString &buffer)
{
    StatementText result(buffer, writableText(), m_joinInPlaceFrom);
    if (!readStatement(result, fileType))
        return std::nullopt;
    return result.view();
}

std::optional<QString> FStatementReader::nextF90FortranStatement()
{
    QString buffer;
    StatementText result(buffer, writableText(), m_joinInPlaceFrom);
    if (!readStatement(result, FreeForm))
        return std::nullopt;
    return result.take();
}

std::optional<QString> FStatementReader::nextF77Statement()
{
    QString buffer;
    StatementText result(buffer, writableText(), m_joinInPlaceFrom);
    if (!readStatement(result, FixedForm))
        return std::nullopt;
    return result.take();
}

// The free-form reader, written as a loop: where a continuation or a literal makes the statement
// go on, the loop reads the next piece and appends it (so a statement of many thousand
// continuation lines needs no deep recursion).
void FStatementReader::readF90Statement(StatementText &result)
{
    const QChar *d = scanner.text.constData();
    const qsizetype n = scanner.text.size();
    qsizetype &pos = scanner.location;
    if (pos < 0)
        pos = 0;
    bool afterContinuation = false; // the last piece ended with '&'

    for (bool first = true;; first = false) {
        pos = skipNonAlpha(d, pos, n);
        if (first) {
            result.regionStart = pos;
            if (!m_joined.empty()) {
                if (const JoinedRegion *joined = joinedAt(pos)) {
                    result.append(QStringView(d + joined->joined, joined->length));
                    pos = joined->end;
                    return;
                }
            }
        }
        if (pos >= n)
            break;
        const qsizetype start = pos;
        while (pos < n && !(d[pos].unicode() < 128 && (kAscii[d[pos].unicode()] & TerminatorBit)))
            ++pos;
        const QStringView collected(d + start, pos - start);
        if (pos >= n) {
            result.append(collected);
            break;
        }
        const char16_t t = d[pos].unicode();
        if (t == '"' || t == '\'') {
            // A literal with no closing quote runs to the end of the text.
            const qsizetype close = scanner.text.indexOf(QChar(t), pos + 1);
            const qsizetype end = close < 0 ? n : close + 1;
            result.append(collected);
            result.appendLiteral(QStringView(d + pos, end - pos));
            afterContinuation = false;
            pos = end;
            while (pos < n && (d[pos] == u' ' || d[pos] == u'\t'))
                ++pos;
            if (pos >= n || isLineEnd(d[pos]))
                break;
            if (d[pos] == u';') {
                ++pos; // "s = 'a'; b = 1": the ';' ends the statement here too
                break;
            }
            continue;
        }
        if (t == '&') {
            result.append(collected);
            pos = findLineEnd(d, pos + 1, n);
            pos += lineEndLength(d, pos, n);
            afterContinuation = true;
            continue;
        }
        if (t == '!') {
            result.append(collected);
            pos = findLineEnd(d, pos + 1, n);
            pos += lineEndLength(d, pos, n);
            // Comment lines may stand between a continued line and its continuation.
            if (collected.isEmpty() && afterContinuation)
                continue;
            break;
        }
        // A line end or ';' ends the statement.
        pos += (t == ';') ? 1 : lineEndLength(d, pos, n);
        result.append(collected);
        break;
    }
}

// Fixed form: a line holding only its label field and column 6 still makes a statement (empty).
bool FStatementReader::readF77Statement(StatementText &statement)
{
    const QChar *d = scanner.text.constData();
    const qsizetype n = scanner.text.size();
    qsizetype &pos = scanner.location;
    if (pos < 0)
        pos = 0;
    bool started = false;
    const bool anyJoined = !m_joined.empty();

    while (pos < n) {
        const qsizetype lineStart = pos;
        if (anyJoined && !started) {
            if (const JoinedRegion *joined = joinedAt(pos)) {
                statement.append(QStringView(d + joined->joined, joined->length));
                pos = joined->end;
                return true;
            }
        }
        const qsizetype contentEnd = findLineEnd(d, pos, n);
        const qsizetype terminator = lineEndLength(d, contentEnd, n);
        const qsizetype contentLength = contentEnd - lineStart;
        // The length counts the line end as one character, whether it is "\n", "\r" or "\r\n".
        const qsizetype length = contentLength + (terminator > 0 ? 1 : 0);
        const QStringView line(d + lineStart, contentLength);
        const qsizetype next = contentEnd + terminator;

        // Lines of blanks only are comment lines: they neither end nor start a statement.
        if (length <= 5 || isF77CommentLine(line) || isBlankLine(line)) {
            pos = next;
            continue;
        }
        const QChar column6 = contentLength > 5 ? line[5] : QChar(u'\n');
        if (started && column6 == u' ')
            return true; // this line starts the next statement
        pos = next;
        if (length == 6)
            continue;
        if (!started)
            statement.regionStart = lineStart;
        statement.append(line.sliced(6, qMin<qsizetype>(contentLength, 72) - 6));
        started = true;
    }
    return started;
}

bool FStatementReader::isF77CommentLine(QStringView line)
{
    if (line.isEmpty())
        return false;
    switch (line.front().unicode()) {
    case '!':
    case '*':
    case 'C':
    case 'c':
    case 'D':
    case 'd':
        return true;
    default:
        return false;
    }
}

} // namespace corvane
