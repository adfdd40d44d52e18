// The declaration half of FFileParser: type declaration statements, attribute statements and
// derived type definitions with their type-bound procedures.
#include "analysis/ffileparser.h"

#include "analysis/tokenmatch.h"

#include <limits>

namespace corvane
{

using namespace tokens;

bool tokens::isTypeAttribute(QStringView token)
{
    for (const QString &word : FStatementReader::type_attr_spec()) {
        if (word.size() == token.size() && token.compare(word, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

namespace
{

bool isAccessWord(QStringView t)
{
    return isOneOf(t, {QLatin1StringView("public"), QLatin1StringView("private"),
                       QLatin1StringView("protected")});
}

// Entity names start with a letter (or "_" in some dialects); leftovers such as ")" or "%"
// from constructs the parser does not model are passed over.
bool canBeName(QStringView t)
{
    return !t.isEmpty() && (t[0].isLetter() || t[0] == u'_');
}

// "bind" directly followed by "(": the BIND(C) attribute, not a name.
bool isBindAttribute(const FFileParser::Tokens &t, qsizetype i)
{
    return is(t[i], QLatin1StringView("bind")) && isChar(at(t, i + 1), u'(');
}

} // namespace

namespace
{

// Text joined from tokens, kept to at most limit characters (a surrogate pair is never split);
// cut tells that something was left out.
struct JoinedText {
    qsizetype limit;
    QString text;
    bool cut = false;

    void append(QStringView piece)
    {
        if (cut)
            return;
        const qsizetype room = limit - text.size();
        if (piece.size() <= room) {
            text += piece;
            return;
        }
        cut = true;
        qsizetype kept = room;
        if (kept > 0 && piece[kept - 1].isHighSurrogate())
            --kept;
        text += piece.first(kept);
    }
};

void joinGroup(QChar open, const FFileParser::Tokens &tokens, qsizetype start, qsizetype &end,
               JoinedText &text)
{
    const char16_t openChar = open.unicode();
    const char16_t closeChar = openChar == u'[' ? u']' : u')';
    text.append(QStringView(&open, 1));
    int depth = 0;
    for (qsizetype i = start + 1; i < tokens.size(); ++i) {
        const QStringView tok = tokens[i];
        text.append(tok);
        if (isChar(tok, openChar)) {
            ++depth;
        } else if (isChar(tok, closeChar)) {
            if (depth == 0) {
                end = i;
                return;
            }
            --depth;
        }
    }
    end = tokens.size();
}

} // namespace

QString FFileParser::accumulateParenthetical(QChar open, const Tokens &tokens, qsizetype start,
                                             qsizetype &end)
{
    JoinedText text{std::numeric_limits<qsizetype>::max()};
    joinGroup(open, tokens, start, end, text);
    return text.text;
}

QString FFileParser::genericSpec(const Tokens &tokens, qsizetype i, qsizetype &end)
{
    const QStringView tok = at(tokens, i);
    for (const QLatin1StringView word : {QLatin1StringView("operator"),
                                         QLatin1StringView("assignment")}) {
        if (tok.size() > word.size() && tok[word.size()] == u'(' && is(tok.first(word.size()), word)) {
            end = i; // "operator(/=)" is one token: "(/" reads like an array constructor
            return tok.toString();
        }
        const QStringView next = at(tokens, i + 1);
        if (is(tok, word) && next.size() > 1 && next.startsWith(u"(/") && next.endsWith(u')')) {
            end = i + 1; // "operator (/=)"
            return tok.toString() + next.toString();
        }
        if (is(tok, word) && isChar(next, u'(')) {
            qsizetype close = tokens.size();
            const QString group = accumulateParenthetical(u'(', tokens, i + 1, close);
            end = qMin(close, tokens.size() - 1);
            return tok.toString() + group;
        }
    }
    return QString();
}

QString FFileParser::accumulateValue(const Tokens &tokens, qsizetype start, qsizetype &end)
{
    JoinedText text{kMaxValueLength};
    const auto finish = [&text] {
        if (text.cut)
            text.text += QLatin1StringView("...");
        return text.text;
    };
    for (qsizetype i = start + 1; i < tokens.size(); ++i) {
        const QStringView tok = tokens[i];
        const char16_t first = tok.isEmpty() ? 0 : tok[0].unicode();
        if (first == u')' || first == u',') {
            end = i;
            return finish();
        }
        if (isChar(tok, u'(') || isChar(tok, u'[')) {
            qsizetype close = tokens.size();
            joinGroup(tok[0], tokens, i, close, text);
            i = close;
            continue;
        }
        if (first == u'>')
            continue;
        text.append(tok);
    }
    end = tokens.size();
    return finish();
}

OrderedMap<std::shared_ptr<FVariable>>
FFileParser::variablesfromDeclarationTokens(const Tokens &tokens, bool isDerivedType,
                                            StringPool *pool)
{
    StringPool local;
    if (!pool)
        pool = &local;
    OrderedMap<std::shared_ptr<FVariable>> result;
    const qsizetype n = tokens.size();
    QString typeText;
    qsizetype i = 1;
    if (isDerivedType) {
        typeText = at(tokens, 2).toString();
        // Entities start after the parenthesis that closes type(...)/class(...), so a
        // parameterised type "type(t(k=8))" declares no entities named "k" or ")".
        qsizetype close = n;
        if (isChar(at(tokens, 1), u'('))
            accumulateParenthetical(u'(', tokens, 1, close);
        i = close + 1;
    } else if (is(at(tokens, 0), QLatin1StringView("double"))) {
        typeText = at(tokens, 0).toString() + QLatin1Char(' ') + at(tokens, 1).toString();
        i = 2;
    } else {
        typeText = at(tokens, 0).toString();
    }

    QStringList pending;
    QString star;
    QString access;
    bool interned = false; // false while texts have changed since the last entity
    std::shared_ptr<FVariable> current;
    QStringView splitName; // an entity name split off a star length, read as the next token
    while (i < n) {
        QStringView tok = tokens[i];
        if (!splitName.isNull()) {
            tok = splitName;
            splitName = QStringView();
        }
        const char16_t first = tok[0].toLower().unicode();
        if (first == u'(' || first == u'[') {
            qsizetype close = n;
            const QString group = accumulateParenthetical(tok[0], tokens, i, close);
            if (current) {
                if (!current->attributes)
                    current->attributes.emplace();
                current->attributes->append(pool->intern(
                    (first == u'(' ? QStringLiteral("DIMENSION") : QStringLiteral("CO_DIMENSION")) +
                    group));
            } else if (!pending.isEmpty()) {
                pending.last() += group;
                interned = false;
            } else {
                typeText += group;
                interned = false;
            }
            i = close + 1;
        } else if (first == u'*') {
            // "*8" or "*(*)": a length or kind written after the type keyword.
            if (isChar(at(tokens, i + 1), u'(')) {
                qsizetype close = n;
                star = tok.toString() + accumulateParenthetical(u'(', tokens, i + 1, close);
                i = close + 1;
            } else {
                const QStringView length = at(tokens, i + 1);
                qsizetype digits = 0;
                while (digits < length.size() && length[digits].isDigit())
                    ++digits;
                if (digits > 0 && digits < length.size() && canBeName(length.sliced(digits))) {
                    // "character*10d(3,4)": the length runs into the entity name "d".
                    star = tok.toString() + length.first(digits).toString();
                    splitName = length.sliced(digits);
                    i += 1;
                } else {
                    star = tok.toString() + length.toString();
                    i += 2;
                }
            }
            interned = false;
        } else if (first == u',') {
            ++i;
        } else if (first == u'=') {
            qsizetype end = n;
            const QString value = accumulateValue(tokens, i, end);
            if (current)
                current->declaredValue = pool->intern(value);
            i = end + 1; // past the "," or ")" that ended the value
        } else if (isTypeAttribute(tok) || (!current && isBindAttribute(tokens, i))) {
            pending.append(pool->intern(tok));
            if (isAccessWord(tok))
                access = pool->intern(tok);
            interned = false;
            ++i;
        } else if (canBeName(tok)) {
            if (!interned) {
                // Type and attribute texts repeat across a file: keep one copy of each.
                typeText = pool->intern(typeText);
                for (QString &a : pending)
                    a = pool->intern(a);
                star = pool->intern(star);
                interned = true;
            }
            QString name = pool->intern(tok);
            const QString key = pool->lowerOf(name);
            std::shared_ptr<FVariable> v = result.value(key);
            if (!v) {
                v = std::make_shared<FVariable>();
                v->name = std::move(name);
                result.insert(key, v);
            }
            v->typeName = typeText;
            v->isDerivedType = isDerivedType;
            if (!pending.isEmpty())
                v->attributes = pending;
            if (!star.isNull()) {
                if (!v->attributes)
                    v->attributes.emplace();
                v->attributes->append(star);
            }
            if (!access.isNull())
                v->access = access;
            current = std::move(v);
            ++i;
        } else {
            ++i;
        }
    }
    return result;
}

void FFileParser::parseVariableDeclaration(const Tokens &tokens, DeclarationMap<FVariable> &into,
                                           bool isDerivedType, const QString &defaultAccess)
{
    auto found = variablesfromDeclarationTokens(tokens, isDerivedType, &m_pool);
    if (!defaultAccess.isNull()) {
        for (auto &entry : found)
            if (entry.second->access.isNull())
                entry.second->access = defaultAccess;
    }
    if (!into) {
        into = std::move(found);
        return;
    }
    for (auto &entry : found) {
        // An entity first named by an attribute statement ("public :: x" before "integer :: x")
        // keeps what that statement said.
        if (const auto earlier = into->value(entry.first);
            earlier && earlier->typeName == FVariable::implicitTypeName) {
            FVariable &v = *entry.second;
            if (v.access.isNull())
                v.access = earlier->access;
            if (earlier->attributes && !earlier->attributes->isEmpty())
                v.attributes = *earlier->attributes + v.attributes.value_or(QStringList());
            if (v.declaredValue.isNull())
                v.declaredValue = earlier->declaredValue;
        }
        into->insert(entry.first, std::move(entry.second));
    }
}

void FFileParser::parseEnumerators(const Tokens &tokens, FProgramUnit &unit)
{
    static const QString integer = QStringLiteral("integer");
    static const QStringList parameter{QStringLiteral("parameter")};
    const qsizetype n = tokens.size();
    for (qsizetype i = 1; i < n;) {
        const QStringView tok = tokens[i];
        if (!canBeName(tok)) {
            ++i;
            continue;
        }
        auto v = std::make_shared<FVariable>();
        v->name = m_pool.intern(tok);
        v->typeName = integer;
        v->attributes = parameter;
        ++i;
        if (i < n && isChar(tokens[i], u'=')) {
            qsizetype end = n;
            v->declaredValue = m_pool.intern(accumulateValue(tokens, i, end));
            bool literal = false;
            const qint64 value = v->declaredValue.toLongLong(&literal);
            m_nextEnumerator = literal ? std::optional<qint64>(value + 1) : std::nullopt;
            i = end + 1;
        } else if (m_nextEnumerator) {
            v->declaredValue = m_pool.intern(QString::number(*m_nextEnumerator));
            ++*m_nextEnumerator;
        }
        const QString name = v->name;
        storeDeclaration(unit.variables, name, std::move(v), m_pool);
    }
}

void FFileParser::parseAttributeTokens(const Tokens &tokens, FProgramUnit &unit)
{
    const qsizetype n = tokens.size();
    if (n == 1 && unit.pUnitType == ModuleType && isAccessWord(tokens[0])) {
        unit.defaultAccess = m_pool.intern(tokens[0]); // a bare PRIVATE or PUBLIC statement
        return;
    }
    if (n < 2)
        return;
    const QStringView keyword = tokens[0];
    const QString attribute = m_pool.intern(keyword);
    if (!unit.variables)
        unit.variables.emplace();
    auto entity = [&unit, this](QStringView name) {
        QString written = m_pool.intern(name);
        const QString key = m_pool.lowerOf(written);
        std::shared_ptr<FVariable> v = unit.variables->value(key);
        if (!v) {
            v = std::make_shared<FVariable>();
            v->name = std::move(written);
            v->typeName = FVariable::implicitTypeName;
            v->attributes.emplace();
            unit.variables->insert(key, v);
        }
        if (!v->attributes)
            v->attributes.emplace();
        return v;
    };

    if (isOneOf(keyword, {QLatin1StringView("bind"), QLatin1StringView("data")})) {
        // nothing is recorded
    } else if (isOneOf(keyword,
                       {QLatin1StringView("protected"), QLatin1StringView("value"),
                        QLatin1StringView("optional"), QLatin1StringView("asynchronous")})) {
        const bool isProtected = is(keyword, QLatin1StringView("protected"));
        for (qsizetype i = 1; i < n; ++i) {
            if (!canBeName(tokens[i]))
                continue;
            auto v = entity(tokens[i]);
            v->attributes->append(attribute);
            if (isProtected)
                v->access = attribute;
        }
    } else {
        QString text = attribute;
        qsizetype i = 1;
        if (is(keyword, QLatin1StringView("intent"))) {
            qsizetype close = n;
            if (isChar(tokens[1], u'(')) {
                text += accumulateParenthetical(u'(', tokens, 1, close);
                i = close + 1;
            }
        } else if (is(keyword, QLatin1StringView("parameter"))) {
            i = 2;
        }
        text = m_pool.intern(text);
        const bool setsAccess =
            isOneOf(keyword, {QLatin1StringView("public"), QLatin1StringView("private")});
        std::shared_ptr<FVariable> current;
        while (i < n) {
            const QStringView tok = tokens[i];
            const char16_t first = tok[0].unicode();
            if (first == u'=') {
                qsizetype end = n;
                const QString value = accumulateValue(tokens, i, end);
                if (current)
                    current->declaredValue = m_pool.intern(value);
                i = end + 1; // "parameter (n = 1)" must not declare an entity ")"
            } else if (first == u'(' || first == u'[') {
                qsizetype close = n;
                const QString group = accumulateParenthetical(tok[0], tokens, i, close);
                if (current)
                    current->attributes->append(m_pool.intern(group));
                i = close + 1;
            } else if (first == u',') {
                current.reset();
                ++i;
            } else if (qsizetype specEnd = i; !genericSpec(tokens, i, specEnd).isNull()) {
                // "public :: operator(==)" names a generic interface, not a variable.
                current.reset();
                i = specEnd + 1;
            } else if (canBeName(tok)) {
                current = entity(tok);
                current->attributes->append(text);
                if (setsAccess)
                    current->access = attribute;
                ++i;
            } else {
                ++i;
            }
        }
    }
    if (unit.variables->isEmpty())
        unit.variables.reset();
}

void FFileParser::scanDerivedTypeDeclaration(const Tokens &tokens,
                                             const std::shared_ptr<FProgramUnit> &unit)
{
    auto type = std::make_shared<FDerivedType>();
    type->definingProgramUnit = unit;
    getDerivedType(*type, tokens);
    type->name = m_pool.intern(type->name); // before it gives its key
    // A header without a name stores nothing; its components are still read and dropped.
    if (!type->name.isNull())
        storeDeclaration(unit->types, type->name, type, m_pool);

    QString componentAccess; // "private" after a PRIVATE statement among the components
    Statement st;
    while (!scanner.isAtEnd()) {
        const qsizetype before = scanner.location;
        if (!readStatement(st))
            continue;
        const Tokens &t = st.tokens;
        switch (st.kind) {
        case StatementClass::IntrinsicTypeDeclarationStmt:
            parseVariableDeclaration(t, type->variables, false, componentAccess);
            continue;
        case StatementClass::TypeDeclarationStmt:
            parseVariableDeclaration(t, type->variables, true, componentAccess);
            continue;
        case StatementClass::ProcedureStmt:
            // "procedure(parser_func), pointer :: parse_value => parse_value_recursive": a
            // procedure-pointer component, with its target as the initial value.
            parseVariableDeclaration(t, type->variables, false, componentAccess);
            continue;
        case StatementClass::AttributeStmt:
            if (t.size() == 1 && isAccessWord(t[0]))
                componentAccess = m_pool.intern(t[0]);
            continue;
        case StatementClass::ContainsStmt:
            scanTypeBoundProcedurePart(*type);
            return;
        default:
            break;
        }
        if ((t.size() >= 2 && is(t[0], QLatin1StringView("end")) &&
             is(t[1], QLatin1StringView("type"))) ||
            (!t.isEmpty() && is(t[0], QLatin1StringView("endtype"))))
            return;
        if (closesEnclosingUnit(st)) {
            // END TYPE is missing: leave the statement to the unit loop.
            scanner.location = before;
            return;
        }
    }
}

void FFileParser::getDerivedType(FDerivedType &type, const Tokens &tokens)
{
    const qsizetype n = tokens.size();
    if (n < 2)
        return;
    if (n <= 2 || !isChar(tokens[1], u',')) {
        type.name = tokens[1].toString();
        return;
    }
    for (qsizetype i = 2; i < n;) {
        const QStringView tok = tokens[i];
        if (isChar(tok, u'(') || isChar(tok, u')') || isChar(tok, u',')) {
            ++i;
        } else if (isTypeAttribute(tok) || isBindAttribute(tokens, i)) {
            QString text = tok.toString();
            ++i;
            if (is(tok, QLatin1StringView("bind"))) {
                qsizetype close = n;
                text += accumulateParenthetical(u'(', tokens, i, close);
                i = close + 1;
            }
            if (!type.attributes)
                type.attributes.emplace();
            type.attributes->append(text);
            if (isAccessWord(tok))
                type.access = tok.toString();
        } else if (is(tok, QLatin1StringView("extends"))) {
            if (i + 2 < n)
                type.superclassName = tokens[i + 2].toString();
            i += 3;
        } else {
            type.name = tok.toString();
            return;
        }
    }
}

void FFileParser::scanTypeBoundProcedurePart(FDerivedType &type)
{
    QString bindingAccess; // "private" after a PRIVATE statement of the binding part
    Statement st;
    while (!scanner.isAtEnd()) {
        const qsizetype before = scanner.location;
        if (!readStatement(st))
            continue;
        const Tokens &t = st.tokens;
        if (t.isEmpty())
            continue;
        if (is(t[0], QLatin1StringView("procedure"))) {
            if (!type.typeboundProcedures)
                type.typeboundProcedures.emplace();
            for (auto &binding : parseTypeboundProcedureStatement(t)) {
                // The binding's own PUBLIC or PRIVATE, else the part's default; a generic
                // binding naming it never changes it.
                if (binding->attributes) {
                    for (const QString &a : *binding->attributes)
                        if (isAccessWord(a))
                            binding->access = a;
                }
                if (binding->access.isNull())
                    binding->access = bindingAccess;
                type.typeboundProcedures->append(std::move(binding));
            }
        } else if (t.size() == 1 && isAccessWord(t[0])) {
            bindingAccess = m_pool.intern(t[0]);
        } else if (is(t[0], QLatin1StringView("generic"))) {
            applyGenericName(type, t);
        } else if (is(t[0], QLatin1StringView("final"))) {
            parseFinalRoutines(type, t);
        } else if ((t.size() >= 2 && is(t[0], QLatin1StringView("end")) &&
                    is(t[1], QLatin1StringView("type"))) ||
                   is(t[0], QLatin1StringView("endtype"))) {
            return;
        } else if (closesEnclosingUnit(st)) {
            scanner.location = before;
            return;
        }
    }
}

QList<std::shared_ptr<FTypeboundProc>>
FFileParser::parseTypeboundProcedureStatement(const Tokens &tokens)
{
    // "procedure, nopass :: a, b => impl_b, c": one binding per name, each with the attributes
    // of the statement.
    QList<std::shared_ptr<FTypeboundProc>> bindings;
    auto first = std::make_shared<FTypeboundProc>();
    first->pass = true;
    qsizetype i = parseTypeboundProcedureDeclaration(*first, tokens);
    if (first->name.isNull() || !canBeName(first->name))
        return bindings;
    bindings.append(first);
    bool hasPointer = false;
    if (first->attributes) {
        for (const QString &a : *first->attributes)
            hasPointer = hasPointer || is(a, QLatin1StringView("pointer"));
    }
    const qsizetype n = tokens.size();
    while (i < n) {
        if (isChar(tokens[i], u',') || !canBeName(tokens[i])) {
            ++i;
            continue;
        }
        auto next = std::make_shared<FTypeboundProc>();
        next->attributes = first->attributes;
        next->pass = first->pass;
        if (at(tokens, i + 1) == u"=>" && !hasPointer) {
            next->bindingName = tokens[i].toString();
            i += 2;
            if (i >= n || !canBeName(tokens[i]))
                break;
        }
        next->name = tokens[i].toString();
        bindings.append(std::move(next));
        ++i;
    }
    return bindings;
}

qsizetype FFileParser::parseTypeboundProcedureDeclaration(FTypeboundProc &binding,
                                                          const Tokens &tokens)
{
    const qsizetype n = tokens.size();
    qsizetype i = 1;
    if (isChar(at(tokens, 1), u'(')) {
        qsizetype close = n;
        accumulateParenthetical(u'(', tokens, 1, close); // the interface name is not recorded
        i = close + 1;
    }
    bool pointer = false;
    while (i < n) {
        const QStringView tok = tokens[i];
        if (isTypeAttribute(tok)) {
            QString text = tok.toString();
            if (is(tok, QLatin1StringView("pass")))
                binding.pass = true;
            else if (is(tok, QLatin1StringView("nopass")))
                binding.pass = false;
            else if (is(tok, QLatin1StringView("pointer")))
                pointer = true;
            ++i;
            if (isChar(at(tokens, i), u'(')) {
                qsizetype close = n;
                text += accumulateParenthetical(u'(', tokens, i, close);
                i = close + 1;
            }
            if (!binding.attributes)
                binding.attributes.emplace();
            binding.attributes->append(text);
        } else if (isChar(tok, u',')) {
            ++i;
        } else if (at(tokens, i + 1) == u"=>" && !pointer) {
            binding.bindingName = tok.toString();
            i += 2;
        } else {
            binding.name = tok.toString();
            return i + 1;
        }
    }
    return n;
}

void FFileParser::applyGenericName(FDerivedType &type, const Tokens &tokens)
{
    const qsizetype n = tokens.size();
    if (n < 2)
        return;
    qsizetype g = 1;
    if (isChar(tokens[1], u','))
        g = isOneOf(at(tokens, 2), {QLatin1StringView("public"), QLatin1StringView("private")}) ? 3
                                                                                                : 2;
    if (g >= n)
        return;
    // "generic :: operator(==) => eq" is recorded under its spec "operator(==)".
    qsizetype last = g;
    QString generic = genericSpec(tokens, g, last);
    if (generic.isNull())
        generic = tokens[g].toString();
    if (!canBeName(generic))
        return;
    if (!type.genericBindings)
        type.genericBindings.emplace();
    QStringList &list = (*type.genericBindings)[m_pool.intern(generic)];
    for (qsizetype i = last + 2; i < n; ++i) {
        if (canBeName(tokens[i]))
            list.append(tokens[i].toString());
    }
}

void FFileParser::parseFinalRoutines(FDerivedType &type, const Tokens &tokens)
{
    if (!type.finalRoutines)
        type.finalRoutines.emplace();
    for (qsizetype i = 1; i < tokens.size(); ++i) {
        if (!isChar(tokens[i], u','))
            type.finalRoutines->append(tokens[i].toString());
    }
}

} // namespace corvane
