// FStatementReader: the reading half of the declaration parser. It walks a file's text statement
// by statement (free or fixed form), cuts statements into tokens and classifies them. The
// declaration parser (FFileParser) derives from it and drives the scanner.
//
// The scanner never copies the file text: it holds the text (implicitly shared) and a position in
// UTF-16 code units; statements are extracted substrings. A caller may save scanner.location
// before a read and set it back to read the same statement again.
//
// A statement continued over many lines is joined from its pieces. When the reader holds the
// only reference to its text (startReading with a moved-in string nobody else shares), a joined
// statement of kJoinInPlaceFrom characters or more is written over the source region it was
// read from instead of into a second buffer: it is never longer than that region. The region
// keeps its count of line feeds (written after the statement), so line numbers counted in
// scanner.text stay right, and the reader remembers it, so reading it again from a saved
// location gives the same statement. A shared text (an editor's) is never changed.
#pragma once

#include "fttokenizer.h"
#include "statementclass.h"
#include "tokenlist.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace corvane
{

// The whole text being read and the current read position.
struct FScanner {
    QString text;
    qsizetype location = 0;

    bool isAtEnd() const { return location >= text.size(); }
};

class FStatementReader
{
public:
    // Values of fileType.
    static constexpr unsigned FixedForm = 0;
    static constexpr unsigned FreeForm = 1;

    FStatementReader() = default;
    virtual ~FStatementReader() = default;

    // Joined statements of at least this many characters are joined in place (see above).
    static constexpr qsizetype kJoinInPlaceFrom = qsizetype(1) << 16;

    // Installs a fresh scanner over text at position 0 and sets the source form. The second
    // form may join long statements in place when text is not shared.
    void startReading(const QString &text, unsigned form);
    void startReading(QString &&text, unsigned form);
    // The length from which statements are joined in place; tests set a small one.
    void setJoinInPlaceFrom(qsizetype length) { m_joinInPlaceFrom = qMax<qsizetype>(1, length); }
    // The number of statements joined in place since startReading.
    qsizetype joinedInPlaceCount() const { return qsizetype(m_joined.size()); }

    // The next logical statement, or none when none was produced at this point (a comment line,
    // the end of the text). None does not mean the text is exhausted: loop on scanner.isAtEnd().
    // Every call that is not at the end advances the scanner.
    std::optional<QString> nextFortranStatement();
    // Free-form reader: joins '&' continuations (comment lines may stand between them), splits
    // at ';', drops '!' comments, keeps character literals whole (also across continued lines).
    // "\r\n" and a lone "\r" end a line like "\n" does, so no "\r" is left in a statement.
    std::optional<QString> nextF90FortranStatement();
    // Fixed-form reader: statement field of columns 7-72, continuation by a non-blank column 6,
    // comment lines by column 1 (see isF77CommentLine) and lines holding only blanks skipped.
    std::optional<QString> nextF77Statement();
    // The next statement as nextFortranStatement reads it, as a view: of the source text when
    // the statement stands in one piece there, else of buffer, which then holds it. The view
    // lasts until the next read or until buffer changes; a statement of one long line is never
    // copied.
    std::optional<QStringView> nextStatementView(QString &buffer);

    // True when the first character of line is '!', '*', 'C', 'c', 'D' or 'd'.
    static bool isF77CommentLine(QStringView line);

    // Tokenizes text (absent or empty gives no tokens) and classifies the tokens.
    StatementClass classifyStatement(const std::optional<QString> &statement) const;
    StatementClass classifyStatement(QStringView statement) const;
    StatementClass classifyStatement(const QString &statement) const;
    static StatementClass classifyStatementFromTokens(const QStringList &tokens);
    static StatementClass classifyStatementFromTokens(const QList<QStringView> &tokens);
    static StatementClass classifyStatementFromTokens(const TokenList &tokens);

    // True for ProgramStmt, FunctionStmt, SubroutineStmt and ModuleStmt.
    static bool isProgramUnitStatement(StatementClass c);
    // True for the tokens of "use, intrinsic :: name" / "use, non_intrinsic :: name".
    static bool hasModuleNature(const QStringList &tokens);

    // Keyword tables, all lower case; compare lower-cased tokens with them.
    static const QSet<QString> &programUnitSet();
    static const QSet<QString> &prefixSet();
    static const QSet<QString> &intrinsicTypeSpec();
    static const QSet<QString> &declarationKeywords();
    static const QSet<QString> &attributeSpecificationKeywords();
    static const QStringList &end_stmts();
    static const QStringList &type_attr_spec(); // ordered

    // Membership of one character in the reader's character sets.
    static bool isTerminator(QChar c);
    static bool isAlphaCharacter(QChar c);

    QString filePath;
    unsigned fileType = FreeForm;
    FScanner scanner;
    FTTokenizer tokenizer;

private:
    class StatementText;
    // A statement joined in place: the region [start, end) of scanner.text it was read from, and
    // where in it the joined text stands. start is where a read of it begins (free form: its
    // first character; fixed form: the start of its first line).
    struct JoinedRegion {
        qsizetype start = 0;
        qsizetype joined = 0;
        qsizetype length = 0;
        qsizetype end = 0;
    };

    void readF90Statement(StatementText &result);
    bool readF77Statement(StatementText &statement);
    // The reading of one statement into result, with the bookkeeping of a statement joined in
    // place; false when none was produced.
    bool readStatement(StatementText &result, unsigned form);
    // Finishes a statement joined in place and remembers its region.
    void recordJoined(StatementText &result);
    // The text to join statements in place in, or null when it is shared.
    QChar *writableText();
    // The region joined in place that starts at position, if any.
    const JoinedRegion *joinedAt(qsizetype position);

    bool m_mayJoinInPlace = false;
    qsizetype m_joinInPlaceFrom = kJoinInPlaceFrom;
    std::vector<JoinedRegion> m_joined; // ordered by start
    size_t m_nextJoined = 0;            // where the last look-up ended
};

} // namespace corvane
