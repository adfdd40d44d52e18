#include "fstatementreader.h"

#include <array>
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
// elsewhere (a continuation line, a literal continued over lines).
class FStatementReader::StatementText
{
public:
    explicit StatementText(QString &buffer) : m_buffer(buffer) {}

    bool isEmpty() const { return m_copied ? m_buffer.isEmpty() : m_view.isEmpty(); }
    QStringView view() const { return m_copied ? QStringView(m_buffer) : m_view; }
    // The text as a string of its own; a single piece is copied exactly, without growth reserve.
    QString take() { return m_copied ? std::move(m_buffer) : m_view.toString(); }

    void append(QStringView piece)
    {
        if (piece.isEmpty())
            return;
        if (m_copied) {
            m_buffer.append(piece);
        } else if (m_view.isEmpty()) {
            m_view = piece;
        } else if (piece.data() == m_view.data() + m_view.size()) {
            m_view = QStringView(m_view.data(), m_view.size() + piece.size());
        } else {
            m_buffer.clear();
            m_buffer.reserve(m_view.size() + piece.size());
            m_buffer.append(m_view);
            m_buffer.append(piece);
            m_copied = true;
        }
    }

    // Appends a free-form character literal. One that spans lines was continued with '&' at the
    // end of a line and at the start of the next: keep the 1st, 3rd, ... pieces between '&'s.
    void appendLiteral(QStringView literal)
    {
        bool spansLines = false;
        for (QChar c : literal)
            if (isLineEnd(c)) {
                spansLines = true;
                break;
            }
        if (!spansLines) {
            append(literal);
            return;
        }
        qsizetype pieceStart = 0;
        bool keep = true;
        for (qsizetype i = 0; i <= literal.size(); ++i) {
            if (i == literal.size() || literal[i] == u'&') {
                if (keep)
                    append(literal.sliced(pieceStart, i - pieceStart));
                keep = !keep;
                pieceStart = i + 1;
            }
        }
    }

private:
    QString &m_buffer;
    QStringView m_view;
    bool m_copied = false;
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

std::optional<QStringView> FStatementReader::nextStatementView(QString &buffer)
{
    StatementText result(buffer);
    if (fileType == FixedForm)
        return readF77Statement(result) ? std::optional(result.view()) : std::nullopt;
    readF90Statement(result);
    if (result.isEmpty())
        return std::nullopt;
    return result.view();
}

std::optional<QString> FStatementReader::nextF90FortranStatement()
{
    QString buffer;
    StatementText result(buffer);
    readF90Statement(result);
    if (result.isEmpty())
        return std::nullopt;
    return result.take();
}

std::optional<QString> FStatementReader::nextF77Statement()
{
    QString buffer;
    StatementText result(buffer);
    if (!readF77Statement(result))
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

    for (;;) {
        pos = skipNonAlpha(d, pos, n);
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

    while (pos < n) {
        const qsizetype lineStart = pos;
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
