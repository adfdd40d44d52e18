// FStatementReader: the reading half of the declaration parser. It walks a file's text statement
// by statement (free or fixed form), cuts statements into tokens and classifies them. The
// declaration parser (FFileParser) derives from it and drives the scanner.
//
// The scanner never copies the file text: it holds the text (implicitly shared) and a position in
// UTF-16 code units; statements are extracted substrings. A caller may save scanner.location
// before a read and set it back to read the same statement again.
#pragma once

#include "fttokenizer.h"
#include "statementclass.h"
#include "tokenlist.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

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

    // Installs a fresh scanner over text at position 0 and sets the source form.
    void startReading(const QString &text, unsigned form);

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
    void readF90Statement(StatementText &result);
    bool readF77Statement(StatementText &statement);
};

} // namespace corvane
