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

// First index at or after i that holds a line end, or n.
qsizetype findLineEnd(const QChar *d, qsizetype i, qsizetype n)
{
    while (i < n && !isLineEnd(d[i]))
        ++i;
    return i;
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

// Appends a free-form character literal. One that spans lines was continued with '&' at the end
// of a line and at the start of the next: keep the 1st, 3rd, ... pieces between '&'s.
void appendLiteral(QString &to, QStringView literal)
{
    bool spansLines = false;
    for (QChar c : literal)
        if (isLineEnd(c)) {
            spansLines = true;
            break;
        }
    if (!spansLines) {
        to.append(literal);
        return;
    }
    qsizetype pieceStart = 0;
    bool keep = true;
    for (qsizetype i = 0; i <= literal.size(); ++i) {
        if (i == literal.size() || literal[i] == u'&') {
            if (keep)
                to.append(literal.sliced(pieceStart, i - pieceStart));
            keep = !keep;
            pieceStart = i + 1;
        }
    }
}

// Appends piece; the first piece of a statement is copied exactly, without growth reserve.
void appendPiece(QString &to, QStringView piece)
{
    if (to.isEmpty())
        to = piece.toString();
    else
        to.append(piece);
}

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

// The free-form reader, written as a loop: where a continuation or a literal makes the statement
// go on, the loop reads the next piece and appends it (so a statement of many thousand
// continuation lines needs no deep recursion).
std::optional<QString> FStatementReader::nextF90FortranStatement()
{
    const QChar *d = scanner.text.constData();
    const qsizetype n = scanner.text.size();
    qsizetype &pos = scanner.location;
    if (pos < 0)
        pos = 0;
    QString result;
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
            appendPiece(result, collected);
            break;
        }
        const char16_t t = d[pos].unicode();
        if (t == '"' || t == '\'') {
            // A literal with no closing quote runs to the end of the text.
            const qsizetype close = scanner.text.indexOf(QChar(t), pos + 1);
            const qsizetype end = close < 0 ? n : close + 1;
            appendPiece(result, collected);
            appendLiteral(result, QStringView(d + pos, end - pos));
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
            appendPiece(result, collected);
            pos = findLineEnd(d, pos + 1, n);
            pos += lineEndLength(d, pos, n);
            afterContinuation = true;
            continue;
        }
        if (t == '!') {
            appendPiece(result, collected);
            pos = findLineEnd(d, pos + 1, n);
            pos += lineEndLength(d, pos, n);
            // Comment lines may stand between a continued line and its continuation.
            if (collected.isEmpty() && afterContinuation)
                continue;
            break;
        }
        // A line end or ';' ends the statement.
        pos += (t == ';') ? 1 : lineEndLength(d, pos, n);
        appendPiece(result, collected);
        break;
    }
    if (result.isEmpty())
        return std::nullopt;
    return result;
}

std::optional<QString> FStatementReader::nextF77Statement()
{
    const QChar *d = scanner.text.constData();
    const qsizetype n = scanner.text.size();
    qsizetype &pos = scanner.location;
    if (pos < 0)
        pos = 0;
    std::optional<QString> statement;

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
        if (statement && column6 == u' ')
            return statement; // this line starts the next statement
        pos = next;
        if (length == 6)
            continue;
        const QStringView field = line.sliced(6, qMin<qsizetype>(contentLength, 72) - 6);
        if (statement)
            statement->append(field);
        else
            statement = field.toString();
    }
    return statement;
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
