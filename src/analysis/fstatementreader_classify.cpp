// The keyword tables and the statement classifier of FStatementReader.
#include "fstatementreader.h"

#include <QHash>

#include <utility>

namespace corvane
{

// ---- keyword tables ---------------------------------------------------------------------------

const QSet<QString> &FStatementReader::programUnitSet()
{
    static const QSet<QString> set{"program", "subroutine", "function", "module", "block"};
    return set;
}

const QSet<QString> &FStatementReader::prefixSet()
{
    static const QSet<QString> set{"recursive", "pure", "impure", "module", "elemental"};
    return set;
}

const QSet<QString> &FStatementReader::intrinsicTypeSpec()
{
    static const QSet<QString> set{"integer", "real", "double", "complex", "character", "logical"};
    return set;
}

const QSet<QString> &FStatementReader::declarationKeywords()
{
    static const QSet<QString> set{"integer",   "real",   "complex", "logical",
                                   "character", "double", "type",    "class"};
    return set;
}

const QSet<QString> &FStatementReader::attributeSpecificationKeywords()
{
    static const QSet<QString> set{"public",   "private",   "allocatable", "asynchronous",
                                   "bind",     "data",      "dimension",   "intent",
                                   "optional", "parameter", "protected",   "pointer",
                                   "save",     "target",    "value",       "volatile"};
    return set;
}

const QStringList &FStatementReader::end_stmts()
{
    static const QStringList list{"end",          "enddo",         "endfunction", "endinterface",
                                  "endif",        "endwhere",      "endenum",     "endselect",
                                  "endprogram",   "endsubroutine", "endtype",     "endforall",
                                  "endassociate", "endmodule"};
    return list;
}

const QStringList &FStatementReader::type_attr_spec()
{
    static const QStringList list{
        "abstract",    "bind(c)",         "pointer",   "function", "allocatable", "asynchronous",
        "codimension", "contiguous",      "dimension", "external", "deferred",    "intent",
        "intrinsic",   "optional",        "parameter", "pointer",  "pass",        "protected",
        "nopass",      "non_overridable", "public",    "private",  "save",        "target",
        "value",       "volatile"};
    return list;
}

namespace
{

// True when token equals the lower-case ASCII keyword, ignoring ASCII case.
bool is(QStringView token, QLatin1StringView keyword)
{
    if (token.size() != keyword.size())
        return false;
    for (qsizetype i = 0; i < token.size(); ++i) {
        char16_t c = token[i].unicode();
        if (c >= 'A' && c <= 'Z')
            c += 'a' - 'A';
        if (c != static_cast<unsigned char>(keyword[i].toLatin1()))
            return false;
    }
    return true;
}

// Keywords are short lower-case ASCII words: a longer token, or one with other characters,
// never matches any of them.
constexpr qsizetype kMaxKeyword = 16;

// Lower-cases token into buffer and returns a string over it (no allocation), or a null string
// when the token cannot be a keyword.
QString lowerKeyword(QStringView token, char16_t (&buffer)[kMaxKeyword])
{
    if (token.size() > kMaxKeyword)
        return QString();
    for (qsizetype i = 0; i < token.size(); ++i) {
        char16_t c = token[i].unicode();
        if (c >= 128)
            return QString();
        if (c >= 'A' && c <= 'Z')
            c += 'a' - 'A';
        buffer[i] = c;
    }
    return QString::fromRawData(reinterpret_cast<const QChar *>(buffer), token.size());
}

// What the classifier needs to know about a first token, found with one lookup.
enum Group : unsigned char {
    ProgramUnitGroup = 1,
    PrefixGroup = 2,
    DeclarationGroup = 4,
    IntrinsicTypeGroup = 8,
    AttributeGroup = 16,
    EndGroup = 32,
};
enum class Word : unsigned char {
    Other,
    Program,
    Subroutine,
    Module,
    Contains,
    Use,
    Type,
    Class,
    Abstract,
    Interface,
    Associate,
    Format,
    EndModule,
    Entry,
    Enum,
    Procedure,
};
struct KeywordEntry {
    unsigned char groups = 0;
    Word word = Word::Other;
};

const QHash<QString, KeywordEntry> &keywordIndex()
{
    static const QHash<QString, KeywordEntry> index = [] {
        QHash<QString, KeywordEntry> h;
        const auto add = [&h](const auto &words, unsigned char group) {
            for (const QString &w : words)
                h[w].groups |= group;
        };
        add(FStatementReader::programUnitSet(), ProgramUnitGroup);
        add(FStatementReader::prefixSet(), PrefixGroup);
        add(FStatementReader::declarationKeywords(), DeclarationGroup);
        add(FStatementReader::intrinsicTypeSpec(), IntrinsicTypeGroup);
        add(FStatementReader::attributeSpecificationKeywords(), AttributeGroup);
        add(FStatementReader::end_stmts(), EndGroup);
        const std::pair<const char *, Word> words[] = {
            {"program", Word::Program},
            {"subroutine", Word::Subroutine},
            {"module", Word::Module},
            {"contains", Word::Contains},
            {"use", Word::Use},
            {"type", Word::Type},
            {"class", Word::Class},
            {"abstract", Word::Abstract},
            {"interface", Word::Interface},
            {"associate", Word::Associate},
            {"format", Word::Format},
            {"endmodule", Word::EndModule},
            {"entry", Word::Entry},
            {"enum", Word::Enum},
            {"procedure", Word::Procedure},
        };
        for (const auto &[w, id] : words)
            h[QString::fromLatin1(w)].word = id;
        return h;
    }();
    return index;
}

KeywordEntry lookupKeyword(QStringView token)
{
    char16_t buffer[kMaxKeyword];
    const QString lower = lowerKeyword(token, buffer);
    if (lower.isNull())
        return {};
    return keywordIndex().value(lower);
}

bool isChar(QStringView token, char16_t c)
{
    return token.size() == 1 && token.front() == c;
}

bool isUnitWord(QStringView token)
{
    return is(token, QLatin1StringView("function")) || is(token, QLatin1StringView("subroutine"));
}

// What classifying needs of a statement's tokens: the first two, their number and the first
// "function" or "subroutine" among them. Gathered from a list, or token by token.
struct TokenSummary {
    QStringView first, second;
    qsizetype count = 0;
    QStringView unitWord;
    const TokenList *list = nullptr; // the unit word is looked for only when asked

    void add(QStringView token)
    {
        if (count == 0)
            first = token;
        else if (count == 1)
            second = token;
        ++count;
        if (unitWord.isNull() && isUnitWord(token))
            unitWord = token;
    }

    QStringView firstUnitWord() const
    {
        if (list)
            for (qsizetype i = 0; i < list->size(); ++i)
                if (const QStringView token = (*list)[i]; isUnitWord(token))
                    return token;
        return unitWord;
    }
};

StatementClass classify(const TokenSummary &summary)
{
    const qsizetype n = summary.count;
    if (n == 0)
        return StatementClass::EmptyStmt;
    const QStringView tokens[2] = {summary.first, summary.second};
    const KeywordEntry first = lookupKeyword(tokens[0]);
    const Word word = first.word;

    if (first.groups & (ProgramUnitGroup | PrefixGroup | DeclarationGroup)) {
        if (word == Word::Program)
            return StatementClass::ProgramStmt;
        if (word == Word::Subroutine)
            return StatementClass::SubroutineStmt;
        if (word == Word::Module && n == 2)
            return StatementClass::ModuleStmt;
        if (const QStringView unit = summary.firstUnitWord(); !unit.isNull())
            return is(unit, QLatin1StringView("function"))
                       ? StatementClass::FunctionStmt
                       : StatementClass::SubroutineStmt;
    }
    if (word == Word::Contains && n == 1)
        return StatementClass::ContainsStmt;
    if (word == Word::Use)
        return StatementClass::UseStmt;
    if (first.groups & IntrinsicTypeGroup)
        return StatementClass::IntrinsicTypeDeclarationStmt;
    if ((word == Word::Type || word == Word::Class) && n > 1 && isChar(tokens[1], u'('))
        return StatementClass::TypeDeclarationStmt;
    if (word == Word::Type && n > 1 && tokens[1].startsWith(u'='))
        return StatementClass::OtherStmt; // "type = 'x'": an assignment to a variable "type"
    if (word == Word::Type && n > 1)
        return is(tokens[1], QLatin1StringView("is")) ? StatementClass::TypeIsStmt
                                                      : StatementClass::TypeDefinitionStmt;
    if (word == Word::Abstract && n > 1 && is(tokens[1], QLatin1StringView("interface")))
        return StatementClass::AbstractInterfaceStmt;
    if (word == Word::Interface)
        return StatementClass::InterfaceStmt;
    if (first.groups & AttributeGroup)
        return StatementClass::AttributeStmt;
    if (word == Word::Associate)
        return StatementClass::AssociateStmt;
    if (word == Word::Format)
        return StatementClass::FormatStmt;
    if (first.groups & EndGroup) {
        if ((n > 1 && is(tokens[1], QLatin1StringView("module"))) || word == Word::EndModule)
            return StatementClass::EndModuleStmt;
        return StatementClass::EndStmt;
    }
    if (word == Word::Entry)
        return StatementClass::EntryStmt;
    if (word == Word::Enum)
        return StatementClass::EnumStmt;
    if (word == Word::Procedure)
        return StatementClass::ProcedureStmt;
    return StatementClass::OtherStmt;
}

} // namespace

StatementClass FStatementReader::classifyStatement(const std::optional<QString> &statement) const
{
    return statement ? classifyStatement(QStringView(*statement)) : StatementClass::EmptyStmt;
}

StatementClass FStatementReader::classifyStatement(const QString &statement) const
{
    return classifyStatement(QStringView(statement));
}

StatementClass FStatementReader::classifyStatement(QStringView statement) const
{
    TokenSummary summary;
    FTTokenizer::forEachToken(statement, [&summary](QStringView token) { summary.add(token); });
    return classify(summary);
}

StatementClass FStatementReader::classifyStatementFromTokens(const QStringList &tokens)
{
    QList<QStringView> views;
    views.reserve(tokens.size());
    for (const QString &t : tokens)
        views.append(t);
    return classifyStatementFromTokens(views);
}

StatementClass FStatementReader::classifyStatementFromTokens(const QList<QStringView> &tokens)
{
    return classifyStatementFromTokens(TokenList(tokens));
}

StatementClass FStatementReader::classifyStatementFromTokens(const TokenList &tokens)
{
    TokenSummary summary;
    summary.count = tokens.size();
    summary.first = tokens.value(0);
    summary.second = tokens.value(1);
    summary.list = &tokens;
    return classify(summary);
}

bool FStatementReader::isProgramUnitStatement(StatementClass c)
{
    return c == StatementClass::ProgramStmt || c == StatementClass::FunctionStmt ||
           c == StatementClass::SubroutineStmt || c == StatementClass::ModuleStmt;
}

bool FStatementReader::hasModuleNature(const QStringList &tokens)
{
    return tokens.size() > 2 && isChar(tokens[1], u',') &&
           (is(tokens[2], QLatin1StringView("intrinsic")) ||
            is(tokens[2], QLatin1StringView("non_intrinsic")));
}

} // namespace corvane
