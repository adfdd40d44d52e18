// FFileParser: turns the text of one Fortran source file into its FFileDeclarations: modules and
// external procedures with their variables, derived types, contained procedures, dummy arguments,
// USE lists and named generic interfaces. A recogniser for declarations only: it walks the file
// statement by statement, records what declaration statements say and passes over everything
// else. It never fails: any text, however broken, yields whatever was recognised.
//
// Program units nest through an explicit stack (no recursion), so text with thousands of chained
// CONTAINS parts cannot exhaust the call stack.
#pragma once

#include "analysis/ffiledeclarations.h"
#include "analysis/fpreprocessor.h"
#include "analysis/fstatementreader.h"
#include "analysis/stringpool.h"

#include <QList>
#include <QStringView>

#include <memory>
#include <vector>

namespace corvane
{

class FFileParser : public FStatementReader
{
public:
    using Tokens = TokenList;

    // Parses fileString (fileType 1 free form, 0 fixed form). The result's name is path.
    // sourceMap, when fileString was preprocessed or had INCLUDE files spliced in, gives the file
    // and line each of its lines comes from: units then name the file they stand in.
    std::shared_ptr<FFileDeclarations>
    declarationsInFortranFile(const QString &path, const QString &fileString, unsigned fileType,
                              const FPreprocessor::Result *sourceMap = nullptr);
    // The same for a text handed over: when nobody else shares it, a statement continued over
    // many lines is joined in place instead of in a second copy (see FStatementReader).
    std::shared_ptr<FFileDeclarations>
    declarationsInFortranFile(const QString &path, QString &&fileString, unsigned fileType,
                              const FPreprocessor::Result *sourceMap = nullptr);

    // Modules that are never recorded as used: "iso_c_binding", "iso_fortran_env", the IEEE ones.
    static bool isIntrinsicModuleName(QStringView name);

    // Joins a bracketed group: "(", "len", "=", "*", ")"  ->  "(len=*)". start is the position
    // of the opening token; end receives the position of the matching close (or the token count).
    static QString accumulateParenthetical(QChar open, const Tokens &tokens, qsizetype start,
                                           qsizetype &end);
    // Joins an initial value after the "=" or "=>" at start, up to the "," or ")" that ends it
    // (end receives its position, or the token count): "= f(1, 2), y"  ->  "f(1,2)". A value
    // longer than kMaxValueLength characters (a generated table) keeps that many, then "...".
    static constexpr qsizetype kMaxValueLength = qsizetype(1) << 16;
    static QString accumulateValue(const Tokens &tokens, qsizetype start, qsizetype &end);
    // A generic spec at i as written, "operator(==)", "operator(/=)", "assignment(=)"; end
    // receives the position of its last token. A null string when tokens[i] starts none.
    static QString genericSpec(const Tokens &tokens, qsizetype i, qsizetype &end);
    // The entities of one type declaration statement, keyed by lower-cased name.
    // pool, when given, shares repeated names, type and attribute texts between records.
    static OrderedMap<std::shared_ptr<FVariable>>
    variablesfromDeclarationTokens(const Tokens &tokens, bool isDerivedType,
                                   StringPool *pool = nullptr);

    // The passes that tie one finished unit together.
    static void assignBindingRenames(FProgramUnit &unit);
    // resultName: the name of a RESULT clause, where the function result is looked for instead
    // of the function's own name.
    static void cleanUpProgramUnit(FProgramUnit &unit, const QString &resultName = QString());
    static void cleanUsesOfModuleName(const QString &hostName, FProgramUnit &unit);
    // A separate module procedure ("module procedure f", or "module function f(x)") completed
    // from the interface its module declares: the kind, and the arguments, result and binding
    // when its own header names none. The interface body's genericName and access carry over.
    static void takeOverInterface(FProgramUnit &implementation, const FProgramUnit &interface);

    // Set when END MODULE or another module header ended a collection of contained procedures.
    bool moduleScanCompleted = false;

private:
    QString m_resultName; // RESULT name of the header being parsed
    // The value the next enumerator without "=" gets; none after a value that is no literal.
    std::optional<qint64> m_nextEnumerator;
    StringPool m_pool;
    std::shared_ptr<FDefinitionInfo> m_defInfo; // shared by every unit of the file
    const FPreprocessor::Result *m_sourceMap = nullptr;
    // One shared definition info per file of the source map, made on first use.
    QList<std::shared_ptr<FDefinitionInfo>> m_mappedDefInfos;
    // A known place of the text: its position and its 0-based line, moved as headers are placed.
    qsizetype m_linePosition = 0;
    qsizetype m_lineIndex = 0;

    // One statement read: a view of the source text when it stands in one piece there (a
    // statement of one long line is never copied), else of buffer, which holds it joined.
    struct Statement {
        Statement() = default;
        Statement(const Statement &) = delete; // text may view buffer
        Statement &operator=(const Statement &) = delete;
        QString buffer;
        QStringView text;
        Tokens tokens; // views into text
        StatementClass kind = StatementClass::EmptyStmt;
    };
    struct Frame;

    // The parse of the text startReading installed.
    std::shared_ptr<FFileDeclarations> parseText(const QString &path,
                                                 const FPreprocessor::Result *sourceMap);
    // Reads and classifies the next statement; false when none was produced here.
    bool readStatement(Statement &s);

    void pushUnit(std::vector<Frame> &frames, const Statement &header, qsizetype headerStart);
    // Gives unit the file and line of its header, which starts at position (or just after it).
    void placeUnit(FProgramUnit &unit, qsizetype position);
    std::shared_ptr<FProgramUnit> startUnit(const Statement &header);
    void specificationStatement(const Statement &s, const std::shared_ptr<FProgramUnit> &unit);
    void finishFrame(std::vector<Frame> &frames, FFileDeclarations &result);
    // Shares the finished unit's texts and lists through the pool and drops spare capacity.
    void compactUnit(FProgramUnit &unit);

    void parseProcedureStatementFor(QLatin1StringView keyword, FProgramUnit &unit,
                                    const Tokens &tokens);
    void getPrefixArgumentsAndSuffix(FProgramUnit &unit, const Tokens &tokens, qsizetype k);
    static QString variableTypeFromTokens(const Tokens &tokens, qsizetype &index);
    qsizetype getDummyArguments(FProgramUnit &unit, const Tokens &tokens, qsizetype start);
    void getLanguageBindingSpec(FProgramUnit &unit, const Tokens &tokens, qsizetype start);
    void parseUseStatement(const Tokens &tokens, FProgramUnit &unit);

    void parseInterfaceBlock(const std::shared_ptr<FProgramUnit> &unit, const QString &name,
                             bool skip);
    // Reads an interface block up to its END INTERFACE; each interface body becomes a procedure
    // of unit marked as an interface. Returns the specific names of a generic block.
    QStringList proceduresForInterface(const std::shared_ptr<FProgramUnit> &unit);
    void parseInterfaceBody(const std::shared_ptr<FProgramUnit> &unit, const Statement &header,
                            qsizetype headerStart);
    // Statements that end any open block whose own END is missing: a program-unit header,
    // END MODULE or the END of a program unit. The caller leaves them to the unit loop.
    static bool closesEnclosingUnit(const Statement &s);

    // defaultAccess: the access of entities the statement gives none (components after a
    // PRIVATE statement of their type).
    void parseVariableDeclaration(const Tokens &tokens, DeclarationMap<FVariable> &into,
                                  bool isDerivedType, const QString &defaultAccess = QString());
    // "enumerator :: red = 1, blue": integer parameters of unit, numbered on from the last value.
    void parseEnumerators(const Tokens &tokens, FProgramUnit &unit);
    void parseAttributeTokens(const Tokens &tokens, FProgramUnit &unit);
    void scanDerivedTypeDeclaration(const Tokens &tokens,
                                    const std::shared_ptr<FProgramUnit> &unit);
    static void getDerivedType(FDerivedType &type, const Tokens &tokens);
    void scanTypeBoundProcedurePart(FDerivedType &type);
    // Reads the first binding of a PROCEDURE statement; returns the position after its name.
    static qsizetype parseTypeboundProcedureDeclaration(FTypeboundProc &binding,
                                                        const Tokens &tokens);
    // Every binding of a PROCEDURE statement, in order.
    static QList<std::shared_ptr<FTypeboundProc>>
    parseTypeboundProcedureStatement(const Tokens &tokens);
    void applyGenericName(FDerivedType &type, const Tokens &tokens);
    static void parseFinalRoutines(FDerivedType &type, const Tokens &tokens);
};

} // namespace corvane
