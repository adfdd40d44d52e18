#include "analysis/ffileparser.h"

#include "analysis/tokenmatch.h"

#include <vector>

namespace corvane
{

using namespace tokens;

namespace
{

// "end", "end subroutine [name]", "endfunction", ...: the END statement of a program unit, as
// opposed to the END of a construct or block ("end do", "end type", "end interface").
bool isUnitEnd(const FFileParser::Tokens &t)
{
    if (t.isEmpty())
        return false;
    if (is(t[0], QLatin1StringView("end"))) {
        return t.size() == 1 ||
               isOneOf(t[1], {QLatin1StringView("subroutine"), QLatin1StringView("function"),
                              QLatin1StringView("program"), QLatin1StringView("module"),
                              QLatin1StringView("procedure")});
    }
    return isOneOf(t[0], {QLatin1StringView("endsubroutine"), QLatin1StringView("endfunction"),
                          QLatin1StringView("endprogram"), QLatin1StringView("endmodule"),
                          QLatin1StringView("endprocedure")});
}

// "submodule (points) points_a" or "submodule (points:points_a) points_b".
bool isSubmoduleHeader(const FFileParser::Tokens &t)
{
    return t.size() >= 5 && is(t[0], QLatin1StringView("submodule")) && t[1] == u"(";
}

// "end submodule [name]" or "endsubmodule [name]".
bool isEndSubmodule(const FFileParser::Tokens &t)
{
    return (t.size() >= 2 && is(t[0], QLatin1StringView("end")) &&
            is(t[1], QLatin1StringView("submodule"))) ||
           (!t.isEmpty() && is(t[0], QLatin1StringView("endsubmodule")));
}

// "module procedure name": the body of a separate module procedure, whose interface its
// ancestor module declares.
bool isSeparateProcedureHeader(const FFileParser::Tokens &t)
{
    return t.size() == 3 && is(t[0], QLatin1StringView("module")) &&
           is(t[1], QLatin1StringView("procedure"));
}

// "end interface" or "endinterface".
bool isEndInterface(const FFileParser::Tokens &t)
{
    if (t.isEmpty())
        return false;
    if (t.size() >= 2 && is(t[0], QLatin1StringView("end")) &&
        is(t[1], QLatin1StringView("interface")))
        return true;
    return is(t[0], QLatin1StringView("endinterface"));
}

bool hasModuleNatureTokens(const FFileParser::Tokens &t)
{
    return t.size() > 2 && isChar(t[1], u',') &&
           isOneOf(t[2], {QLatin1StringView("intrinsic"), QLatin1StringView("non_intrinsic")});
}

} // namespace

struct FFileParser::Frame {
    std::shared_ptr<FProgramUnit> unit;
    bool inContains = false; // collecting contained procedures after CONTAINS
    QString resultName;      // the name in a RESULT clause of the header
};

bool FFileParser::isIntrinsicModuleName(QStringView name)
{
    return isOneOf(name, {QLatin1StringView("ieee_exceptions"), QLatin1StringView("ieee_features"),
                          QLatin1StringView("ieee_arithmetic"), QLatin1StringView("iso_c_binding"),
                          QLatin1StringView("iso_fortran_env")});
}

bool FFileParser::readStatement(Statement &s)
{
    const std::optional<QStringView> text = nextStatementView(s.buffer);
    if (!text) {
        s.text = QStringView();
        s.tokens.clear();
        s.kind = StatementClass::EmptyStmt;
        return false;
    }
    s.text = *text;
    s.tokens.tokenize(s.text);
    s.kind = classifyStatementFromTokens(s.tokens);
    return true;
}

bool FFileParser::closesEnclosingUnit(const Statement &s)
{
    return isProgramUnitStatement(s.kind) || s.kind == StatementClass::EndModuleStmt ||
           isUnitEnd(s.tokens) || isSubmoduleHeader(s.tokens) || isEndSubmodule(s.tokens);
}

std::shared_ptr<FFileDeclarations>
FFileParser::declarationsInFortranFile(const QString &path, const QString &fileString,
                                       unsigned type, const FPreprocessor::Result *sourceMap)
{
    startReading(fileString, type);
    return parseText(path, sourceMap);
}

std::shared_ptr<FFileDeclarations>
FFileParser::declarationsInFortranFile(const QString &path, QString &&fileString, unsigned type,
                                       const FPreprocessor::Result *sourceMap)
{
    startReading(std::move(fileString), type);
    return parseText(path, sourceMap);
}

std::shared_ptr<FFileDeclarations> FFileParser::parseText(const QString &path,
                                                          const FPreprocessor::Result *sourceMap)
{
    auto result = std::make_shared<FFileDeclarations>();
    result->name = path;
    filePath = path;
    // Every unit of the file has the same, never-changed definition info: one record serves all.
    m_defInfo = std::make_shared<FDefinitionInfo>();
    m_defInfo->fileSource = path;
    m_sourceMap = sourceMap;
    m_mappedDefInfos.clear();
    m_linePosition = 0;
    m_lineIndex = 0;
    moduleScanCompleted = false;

    std::vector<Frame> frames;
    Statement st;
    while (!scanner.isAtEnd()) {
        const qsizetype before = scanner.location;
        if (!readStatement(st))
            continue;
        const StatementClass kind = st.kind;
        const bool submoduleHeader = isSubmoduleHeader(st.tokens);
        if (frames.empty()) {
            // Between units everything up to the next header is passed over (BLOCK DATA too).
            if (isProgramUnitStatement(kind) || submoduleHeader)
                pushUnit(frames, st, before);
            continue;
        }
        if (kind == StatementClass::ModuleStmt || kind == StatementClass::ProgramStmt ||
            submoduleHeader) {
            // Modules and main programs are never contained: the header closes every open unit
            // and is read again at top level.
            scanner.location = before;
            if (kind == StatementClass::ModuleStmt)
                moduleScanCompleted = true;
            while (!frames.empty())
                finishFrame(frames, *result);
            continue;
        }
        if (kind == StatementClass::EndModuleStmt || isEndSubmodule(st.tokens)) {
            // Closes the open units up to and including the innermost module (or submodule);
            // with no module open it closes the current unit only.
            moduleScanCompleted = true;
            qsizetype module = -1;
            for (qsizetype i = qsizetype(frames.size()) - 1; i >= 0 && module < 0; --i) {
                const unsigned type = frames[size_t(i)].unit->pUnitType;
                if (type == ModuleType || type == SubmoduleType)
                    module = i;
            }
            if (module < 0)
                module = qsizetype(frames.size()) - 1;
            while (qsizetype(frames.size()) > module)
                finishFrame(frames, *result);
            continue;
        }
        if (isUnitEnd(st.tokens)) {
            finishFrame(frames, *result);
            continue;
        }
        Frame &frame = frames.back();
        if (kind == StatementClass::FunctionStmt || kind == StatementClass::SubroutineStmt) {
            if (frame.inContains) {
                pushUnit(frames, st, before);
            } else {
                // A procedure header inside a body whose END is missing ends that body; the
                // header is read again by the enclosing unit or at top level.
                scanner.location = before;
                finishFrame(frames, *result);
            }
            continue;
        }
        if (frame.inContains && isSeparateProcedureHeader(st.tokens)) {
            pushUnit(frames, st, before);
            continue;
        }
        if (frame.inContains)
            continue; // stray statements between contained procedures
        if (kind == StatementClass::ContainsStmt) {
            frame.inContains = true;
            moduleScanCompleted = false;
            continue;
        }
        specificationStatement(st, frame.unit);
    }
    while (!frames.empty())
        finishFrame(frames, *result);
    if (result->modules)
        result->modules->squeeze();
    if (result->nonModuleProcedures)
        result->nonModuleProcedures->squeeze();
    if (result->submodules)
        result->submodules->squeeze();
    // The records keep what they share; the pool's own table is no longer needed.
    m_pool = StringPool();
    m_sourceMap = nullptr;
    m_mappedDefInfos.clear();
    return result;
}

void FFileParser::pushUnit(std::vector<Frame> &frames, const Statement &header,
                           qsizetype headerStart)
{
    m_resultName = QString();
    auto unit = startUnit(header);
    placeUnit(*unit, headerStart);
    frames.push_back({std::move(unit), false, m_resultName});
}

void FFileParser::placeUnit(FProgramUnit &unit, qsizetype position)
{
    const QString &text = scanner.text;
    // The header starts at its first character that is no blank, on the first line that is no
    // comment line (the reader may have passed over comment lines to reach it).
    position = qBound<qsizetype>(0, position, text.size());
    while (position < text.size()) {
        qsizetype lineStart = position;
        while (lineStart > 0 && text[lineStart - 1] != u'\n')
            --lineStart;
        qsizetype end = text.indexOf(u'\n', position);
        if (end < 0)
            end = text.size();
        const QStringView line = QStringView(text).sliced(lineStart, end - lineStart);
        const QStringView rest = QStringView(text).sliced(position, end - position).trimmed();
        const bool comment = rest.isEmpty() || rest.startsWith(u'!') ||
                             (fileType == FixedForm && position == lineStart &&
                              isF77CommentLine(line));
        if (!comment) {
            while (position < end && (text[position] == u' ' || text[position] == u'\t'))
                ++position;
            break;
        }
        position = end + 1;
    }
    position = qMin(position, text.size());
    // Headers come in text order, apart from one statement read again: count from the last.
    if (position >= m_linePosition)
        m_lineIndex += QStringView(text).sliced(m_linePosition, position - m_linePosition).count(u'\n');
    else
        m_lineIndex -= QStringView(text).sliced(position, m_linePosition - position).count(u'\n');
    m_linePosition = position;

    if (!m_sourceMap || m_lineIndex >= m_sourceMap->lineMap.size()) {
        unit.line = int(m_lineIndex + 1);
        unit.defInfo = m_defInfo;
        return;
    }
    const FPreprocessor::SourceLine at = m_sourceMap->lineMap[m_lineIndex];
    unit.line = at.line;
    if (at.file == 0 || at.file >= m_sourceMap->files.size()) {
        unit.defInfo = m_defInfo;
        return;
    }
    if (m_mappedDefInfos.size() <= at.file)
        m_mappedDefInfos.resize(at.file + 1);
    std::shared_ptr<FDefinitionInfo> &info = m_mappedDefInfos[at.file];
    if (!info) {
        info = std::make_shared<FDefinitionInfo>();
        info->fileSource = m_sourceMap->files[at.file];
    }
    unit.defInfo = info;
}

std::shared_ptr<FProgramUnit> FFileParser::startUnit(const Statement &header)
{
    auto unit = std::make_shared<FProgramUnit>();
    const Tokens &t = header.tokens;
    switch (header.kind) {
    case StatementClass::ProgramStmt:
        unit->pUnitType = MainProgramType;
        if (t.size() > 1)
            unit->name = m_pool.intern(t[1]);
        break;
    case StatementClass::FunctionStmt:
        unit->pUnitType = FunctionType;
        parseProcedureStatementFor(QLatin1StringView("function"), *unit, t);
        break;
    case StatementClass::SubroutineStmt:
        unit->pUnitType = SubroutineType;
        parseProcedureStatementFor(QLatin1StringView("subroutine"), *unit, t);
        break;
    default:
        if (isSubmoduleHeader(t)) {
            unit->pUnitType = SubmoduleType;
            unit->ancestorName = m_pool.intern(t[2]);
            qsizetype close = t.size();
            accumulateParenthetical(u'(', t, 1, close);
            if (close + 1 < t.size())
                unit->name = m_pool.intern(t[close + 1]);
        } else if (isSeparateProcedureHeader(t)) {
            // Its kind, arguments and result are those of its interface, taken over when the
            // interface is known (in the host here, or in the ancestor module when indexing).
            unit->name = m_pool.intern(t[2]);
            unit->attributes = QStringList{m_pool.intern(t[0])};
        } else { // ModuleStmt
            unit->pUnitType = ModuleType;
            if (t.size() > 1)
                unit->name = m_pool.intern(t[1]);
        }
        break;
    }
    return unit;
}

void FFileParser::finishFrame(std::vector<Frame> &frames, FFileDeclarations &result)
{
    std::shared_ptr<FProgramUnit> unit = std::move(frames.back().unit);
    const QString resultName = frames.back().resultName;
    frames.pop_back();
    assignBindingRenames(*unit);
    if (unit->pUnitType != MainProgramType)
        cleanUpProgramUnit(*unit, resultName);
    compactUnit(*unit);

    if (!frames.empty()) {
        Frame &host = frames.back();
        if (unit->name.isNull()) {
            // A unit without a name is dropped and ends the host's collection.
            host.inContains = false;
            return;
        }
        unit->definingProgramUnit = host.unit;
        cleanUsesOfModuleName(host.unit->name, *unit);
        if (const auto declared = lookupDeclaration(host.unit->procedures, unit->name);
            declared && declared->isInterface)
            takeOverInterface(*unit, *declared);
        if (!unit->defInfo)
            unit->defInfo = m_defInfo;
        const QString name = unit->name;
        storeDeclaration(host.unit->procedures, name, std::move(unit), m_pool);
        return;
    }
    if (unit->name.isNull())
        return;
    if (!unit->defInfo)
        unit->defInfo = m_defInfo;
    const QString name = unit->name;
    if (unit->pUnitType == ModuleType)
        storeDeclaration(result.modules, name, std::move(unit), m_pool);
    else if (unit->pUnitType == SubmoduleType)
        storeDeclaration(result.submodules, name, std::move(unit), m_pool);
    else
        storeDeclaration(result.nonModuleProcedures, name, std::move(unit), m_pool);
}

void FFileParser::specificationStatement(const Statement &s,
                                         const std::shared_ptr<FProgramUnit> &unit)
{
    const Tokens &t = s.tokens;
    switch (s.kind) {
    case StatementClass::UseStmt:
        parseUseStatement(t, *unit);
        break;
    case StatementClass::IntrinsicTypeDeclarationStmt:
        parseVariableDeclaration(t, unit->variables, false);
        break;
    case StatementClass::TypeDeclarationStmt:
        parseVariableDeclaration(t, unit->variables, true);
        break;
    case StatementClass::AttributeStmt:
        parseAttributeTokens(t, *unit);
        break;
    case StatementClass::TypeDefinitionStmt:
        scanDerivedTypeDeclaration(t, unit);
        break;
    case StatementClass::InterfaceStmt: {
        // "interface name" or "interface operator(==)": a generic interface under its name or
        // spec as written; any other INTERFACE statement opens a block that is skipped.
        qsizetype last = 1;
        QString spec = genericSpec(t, 1, last);
        if (spec.isNull() && t.size() == 2)
            spec = t[1].toString();
        else if (last + 1 != t.size())
            spec = QString();
        parseInterfaceBlock(unit, spec.isNull() ? spec : m_pool.intern(spec), spec.isNull());
        break;
    }
    case StatementClass::AbstractInterfaceStmt:
        proceduresForInterface(unit);
        break;
    case StatementClass::ProcedureStmt:
        // "procedure(iface), pointer :: p => null()": a procedure pointer or an external
        // procedure of the unit, recorded with the type text "procedure(iface)".
        parseVariableDeclaration(t, unit->variables, false);
        break;
    case StatementClass::EnumStmt:
        m_nextEnumerator = 0;
        break;
    case StatementClass::OtherStmt:
        if (!t.isEmpty() && is(t[0], QLatin1StringView("enumerator")))
            parseEnumerators(t, *unit);
        break;
    default: // executable statements, construct ENDs, FORMAT, ...
        break;
    }
}

void FFileParser::parseProcedureStatementFor(QLatin1StringView keyword, FProgramUnit &unit,
                                             const Tokens &tokens)
{
    if (tokens.size() < 2)
        return;
    for (qsizetype k = 0; k < tokens.size(); ++k) {
        if (!is(tokens[k], keyword))
            continue;
        if (k + 1 < tokens.size()) {
            unit.name = m_pool.intern(tokens[k + 1]);
            getPrefixArgumentsAndSuffix(unit, tokens, k);
        }
        return;
    }
}

void FFileParser::getPrefixArgumentsAndSuffix(FProgramUnit &unit, const Tokens &tokens, qsizetype k)
{
    const qsizetype n = tokens.size();
    std::shared_ptr<FVariable> prepared;
    for (qsizetype i = 0; i < k;) {
        const QStringView tok = tokens[i];
        if (isOneOf(tok, {QLatin1StringView("recursive"), QLatin1StringView("pure"),
                          QLatin1StringView("impure"), QLatin1StringView("module"),
                          QLatin1StringView("elemental")})) {
            if (!unit.attributes)
                unit.attributes.emplace();
            unit.attributes->append(m_pool.intern(tok));
            ++i;
            continue;
        }
        if (unit.pUnitType == FunctionType) {
            qsizetype j = i;
            const QString type = variableTypeFromTokens(tokens, j);
            if (!type.isNull()) {
                prepared = std::make_shared<FVariable>();
                prepared->typeName = m_pool.intern(type);
                prepared->name = unit.name;
                prepared->isDerivedType =
                    !isOneOf(type, {QLatin1StringView("integer"), QLatin1StringView("real"),
                                    QLatin1StringView("double"), QLatin1StringView("complex"),
                                    QLatin1StringView("character"), QLatin1StringView("logical")});
                // The token after a type specification is passed over ("double precision").
                i = j + 1;
                continue;
            }
            if (!unit.attributes)
                unit.attributes.emplace();
            unit.attributes->append(m_pool.intern(tok));
        }
        ++i;
    }

    // A typed function without a RESULT clause returns a variable named after itself.
    if (prepared)
        unit.returnVariable = prepared;
    if (k + 1 >= n - 1)
        return; // the name is the last token: no argument list
    const qsizetype p = getDummyArguments(unit, tokens, k + 3);
    if (p + 1 >= n)
        return;
    // RESULT clause: "result", "(", name, ")"; a BIND clause may follow it.
    if (is(tokens[p + 1], QLatin1StringView("result")) && n - (p + 1) >= 4) {
        m_resultName = m_pool.intern(tokens[p + 3]);
        if (prepared) {
            prepared->name = m_resultName;
            storeDeclaration(unit.variables, prepared->name, prepared, m_pool);
        }
        getLanguageBindingSpec(unit, tokens, p + 5);
    } else {
        getLanguageBindingSpec(unit, tokens, p + 1);
    }
}

QString FFileParser::variableTypeFromTokens(const Tokens &tokens, qsizetype &index)
{
    const qsizetype i = index;
    const qsizetype n = tokens.size();
    const QStringView tok = at(tokens, i);
    if (isOneOf(tok, {QLatin1StringView("integer"), QLatin1StringView("real"),
                      QLatin1StringView("double"), QLatin1StringView("complex"),
                      QLatin1StringView("character"), QLatin1StringView("logical")}) &&
        i + 1 < n - 1) {
        if (isChar(tokens[i + 1], u'(')) {
            qsizetype end = n;
            const QString group = accumulateParenthetical(u'(', tokens, i + 1, end);
            index = end + 1;
            return tok.toString().toLower() + group;
        }
        index = i + 1;
        return tok.toString().toLower();
    }
    if (i + 2 < n - 1 && isOneOf(tok, {QLatin1StringView("type"), QLatin1StringView("class")})) {
        index = i + 4;
        if (isChar(tokens[i + 2], u'*'))
            return tok.toString().toLower() + QStringLiteral("(*)");
        return tokens[i + 2].toString();
    }
    return QString();
}

qsizetype FFileParser::getDummyArguments(FProgramUnit &unit, const Tokens &tokens, qsizetype start)
{
    const qsizetype n = tokens.size();
    if (start >= n)
        return n - 1;
    if (!unit.arguments)
        unit.arguments.emplace();
    if (!unit.variables)
        unit.variables.emplace();
    if (unit.argumentList.isNull())
        unit.argumentList = QStringLiteral("(");
    for (qsizetype i = start; i < n; ++i) {
        const QStringView tok = tokens[i];
        if (isChar(tok, u',')) {
            unit.argumentList += QLatin1Char(',');
        } else if (isChar(tok, u')')) {
            unit.argumentList += QLatin1Char(')');
            unit.argumentList = m_pool.intern(unit.argumentList);
            return i;
        } else if (!isChar(tok, u'*') && !(tok[0].isLetter() || tok[0] == u'_')) {
            continue; // a preprocessor line inside the list ("#include \"args.inc\"")
        } else {
            auto argument = std::make_shared<FVariable>();
            argument->name = m_pool.intern(tok);
            argument->typeName = FVariable::implicitTypeName;
            unit.arguments->append(argument);
            unit.variables->insert(m_pool.lowerOf(argument->name), argument);
            unit.argumentList += tok;
        }
    }
    unit.argumentList = m_pool.intern(unit.argumentList);
    return n;
}

void FFileParser::getLanguageBindingSpec(FProgramUnit &unit, const Tokens &tokens, qsizetype start)
{
    if (start >= tokens.size() || !is(tokens[start], QLatin1StringView("bind")))
        return;
    QString text;
    int depth = 0;
    bool opened = false;
    for (qsizetype i = start; i < tokens.size(); ++i) {
        const QStringView tok = tokens[i];
        text += tok;
        if (isChar(tok, u'(')) {
            ++depth;
            opened = true;
        } else if (isChar(tok, u')')) {
            --depth;
        }
        if (opened && depth == 0)
            break;
    }
    unit.languageBinding = m_pool.intern(text);
}

void FFileParser::parseUseStatement(const Tokens &tokens, FProgramUnit &unit)
{
    if (tokens.size() < 2 || !is(tokens[0], QLatin1StringView("use")))
        return;
    const qsizetype i = hasModuleNatureTokens(tokens) ? 3 : 1;
    if (i >= tokens.size())
        return;
    const QStringView name = tokens[i];
    if (isIntrinsicModuleName(name) ||
        (!unit.name.isNull() && name.compare(unit.name, Qt::CaseInsensitive) == 0))
        return;
    if (!unit.modulesUsed)
        unit.modulesUsed.emplace();
    unit.modulesUsed->append(m_pool.intern(name));

    // "use m, only: a, x => y" or "use m, x => y": the items, each a name or a rename; generic
    // operators and assignments are passed over.
    auto canBeName = [](QStringView t) { return !t.isEmpty() && (t[0].isLetter() || t[0] == u'_'); };
    FUseStatement use;
    use.moduleName = unit.modulesUsed->last();
    qsizetype k = i + 1;
    if (k < tokens.size() && isChar(tokens[k], u',')) {
        ++k;
        if (k + 1 < tokens.size() && is(tokens[k], QLatin1StringView("only")) &&
            isChar(tokens[k + 1], u':')) {
            use.only = true;
            k += 2;
        }
    }
    while (k < tokens.size()) {
        qsizetype end = k;
        int depth = 0;
        for (; end < tokens.size(); ++end) {
            if (isChar(tokens[end], u'('))
                ++depth;
            else if (isChar(tokens[end], u')'))
                --depth;
            else if (depth == 0 && isChar(tokens[end], u','))
                break;
        }
        const qsizetype n = end - k;
        if (n == 1 && canBeName(tokens[k])) {
            const QString local = m_pool.intern(tokens[k]);
            use.names.append({local, local});
        } else if (n == 3 && tokens[k + 1] == QLatin1StringView("=>") && canBeName(tokens[k]) &&
                   canBeName(tokens[k + 2])) {
            use.names.append({m_pool.intern(tokens[k]), m_pool.intern(tokens[k + 2])});
        }
        k = end + 1;
    }
    if (!unit.useStatements)
        unit.useStatements.emplace();
    unit.useStatements->append(std::move(use));
}

void FFileParser::parseInterfaceBlock(const std::shared_ptr<FProgramUnit> &unit,
                                      const QString &name, bool skip)
{
    if (skip || name.isNull()) {
        proceduresForInterface(unit);
        return;
    }
    if (!unit->interfaces)
        unit->interfaces.emplace();
    const QStringList specifics = proceduresForInterface(unit);
    if (specifics.isEmpty())
        return;
    QList<Tuple> list;
    list.reserve(specifics.size());
    for (const QString &s : specifics)
        list.append({name, s});
    unit->interfaces->insert(m_pool.lowerOf(name), list);
}

void FFileParser::parseInterfaceBody(const std::shared_ptr<FProgramUnit> &unit,
                                     const Statement &header, qsizetype headerStart)
{
    m_resultName = QString();
    std::shared_ptr<FProgramUnit> body = startUnit(header);
    placeUnit(*body, headerStart);
    const QString resultName = m_resultName;
    Statement st;
    while (!scanner.isAtEnd()) {
        const qsizetype before = scanner.location;
        if (!readStatement(st))
            continue;
        if (isUnitEnd(st.tokens))
            break;
        if (closesEnclosingUnit(st) || isEndInterface(st.tokens) ||
            st.kind == StatementClass::ContainsStmt) {
            scanner.location = before; // the body's END is missing
            break;
        }
        specificationStatement(st, body);
    }
    cleanUpProgramUnit(*body, resultName);
    compactUnit(*body);
    if (body->name.isNull())
        return;
    body->isInterface = true;
    body->definingProgramUnit = unit;
    // A procedure defined in the unit itself keeps its place.
    if (const auto defined = lookupDeclaration(unit->procedures, body->name);
        defined && !defined->isInterface)
        return;
    const QString name = body->name;
    storeDeclaration(unit->procedures, name, std::move(body), m_pool);
}

QStringList FFileParser::proceduresForInterface(const std::shared_ptr<FProgramUnit> &unit)
{
    QStringList names;
    Statement st;
    while (!scanner.isAtEnd()) {
        const qsizetype before = scanner.location;
        if (!readStatement(st))
            continue;
        const Tokens &t = st.tokens;
        if (isEndInterface(t))
            break;
        if (st.kind == StatementClass::ContainsStmt || st.kind == StatementClass::ModuleStmt ||
            st.kind == StatementClass::ProgramStmt || st.kind == StatementClass::EndModuleStmt) {
            // The block's END INTERFACE is missing: leave the rest to the unit loop.
            scanner.location = before;
            break;
        }
        if (t.size() < 2 || t[0].startsWith(QLatin1StringView("end"), Qt::CaseInsensitive))
            continue; // the END statements of interface bodies
        if (st.kind == StatementClass::FunctionStmt || st.kind == StatementClass::SubroutineStmt) {
            // An interface body: its procedure is the specific; its declarations name none.
            const QLatin1StringView keyword(st.kind == StatementClass::FunctionStmt ? "function"
                                                                                  : "subroutine");
            for (qsizetype i = 0; i + 1 < t.size(); ++i) {
                if (is(t[i], keyword)) {
                    names.append(m_pool.intern(t[i + 1]));
                    break;
                }
            }
            parseInterfaceBody(unit, st, before);
            continue;
        }
        // "module procedure a, b" or "procedure a, b": every name of the list.
        qsizetype from = 0;
        if (is(t[0], QLatin1StringView("module")) && is(t[1], QLatin1StringView("procedure")))
            from = 2;
        else if (is(t[0], QLatin1StringView("procedure")))
            from = 1;
        else
            continue;
        for (qsizetype i = from; i < t.size(); ++i) {
            const QStringView tok = t[i];
            if (!tok.isEmpty() && (tok[0].isLetter() || tok[0] == u'_'))
                names.append(m_pool.intern(tok));
        }
    }
    return names;
}

} // namespace corvane
