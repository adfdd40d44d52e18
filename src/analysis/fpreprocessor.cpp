#include "fpreprocessor.h"

#include "analysis/includepath.h"

#include <QHash>
#include <QStringDecoder>

#include <limits>
#include <memory>

namespace corvane
{

namespace
{

// gcc's own limit on nested includes.
constexpr int kMaxIncludeDepth = 200;
// Bounds on one line's expansion, against macros that grow without end.
constexpr int kMaxExpansions = 20000;
constexpr qsizetype kMaxExpandedSize = qsizetype(1) << 20;

bool isIdentStart(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_';
}

bool isIdentChar(QChar c)
{
    const char16_t u = c.unicode();
    return isIdentStart(c) || (u >= '0' && u <= '9');
}

bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\f' || c == u'\v' || c == u'\r';
}

qsizetype skipBlanks(QStringView s, qsizetype i)
{
    while (i < s.size() && isBlank(s[i]))
        ++i;
    return i;
}

qsizetype identifierEnd(QStringView s, qsizetype i)
{
    while (i < s.size() && isIdentChar(s[i]))
        ++i;
    return i;
}

// The end of the quoted text starting at i (just past the closing quote, or the end of s).
qsizetype quotedEnd(QStringView s, qsizetype i)
{
    const QChar quote = s[i];
    for (++i; i < s.size(); ++i)
        if (s[i] == quote)
            return i + 1;
    return s.size();
}

// Removes C comments outside quotes from a directive's text.
QString withoutCComments(const QString &text)
{
    if (!text.contains(u"/*"))
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == u'"' || c == u'\'') {
            const qsizetype e = quotedEnd(text, i);
            out += QStringView(text).mid(i, e - i);
            i = e;
        } else if (c == u'/' && i + 1 < text.size() && text[i + 1] == u'*') {
            const qsizetype close = text.indexOf(u"*/", i + 2);
            i = close < 0 ? text.size() : close + 2;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

// Integer expressions of #if over text whose macros are expanded and whose "defined" are gone;
// identifiers left are 0. A malformed expression is false.
class ExpressionParser
{
public:
    explicit ExpressionParser(QStringView text) : m_text(text) { next(); }

    std::optional<qint64> evaluate()
    {
        const qint64 v = conditional();
        if (m_failed || m_kind != End)
            return std::nullopt;
        return v;
    }

private:
    enum Kind { End, Number, Operator, Invalid };

    void next()
    {
        qsizetype i = skipBlanks(m_text, m_pos);
        if (i >= m_text.size()) {
            m_kind = End;
            m_pos = i;
            return;
        }
        const QChar c = m_text[i];
        if (isDigit(c)) {
            qsizetype e = i;
            while (e < m_text.size() && (isIdentChar(m_text[e])))
                ++e;
            QStringView digits = m_text.mid(i, e - i);
            while (!digits.isEmpty() && QStringView(u"uUlL").contains(digits.back()))
                digits.chop(1);
            bool ok = false;
            if (digits.size() > 1 && digits[0] == u'0' && (digits[1] == u'x' || digits[1] == u'X'))
                m_value = digits.mid(2).toLongLong(&ok, 16);
            else if (digits.size() > 1 && digits[0] == u'0')
                m_value = digits.mid(1).toLongLong(&ok, 8);
            else
                m_value = digits.toLongLong(&ok, 10);
            m_kind = ok ? Number : Invalid;
            m_pos = e;
            return;
        }
        if (isIdentStart(c)) {
            m_kind = Number;
            m_value = 0;
            m_pos = identifierEnd(m_text, i);
            return;
        }
        static const char16_t *const kTwo[] = {u"||", u"&&", u"==", u"!=",
                                               u"<=", u">=", u"<<", u">>"};
        for (const char16_t *op : kTwo) {
            if (m_text.mid(i).startsWith(QStringView(op))) {
                m_op = QStringView(op).toString();
                m_kind = Operator;
                m_pos = i + 2;
                return;
            }
        }
        if (QStringView(u"+-*/%<>!~&|^()?:").contains(c)) {
            m_op = QString(c);
            m_kind = Operator;
            m_pos = i + 1;
            return;
        }
        m_kind = Invalid;
        m_failed = true;
        m_pos = i + 1;
    }

    bool at(QStringView op) const { return m_kind == Operator && m_op == op; }

    qint64 conditional()
    {
        const qint64 c = logicalOr();
        if (!at(u"?"))
            return c;
        next();
        const qint64 a = conditional();
        if (!at(u":")) {
            m_failed = true;
            return 0;
        }
        next();
        const qint64 b = conditional();
        return c ? a : b;
    }

    qint64 logicalOr()
    {
        qint64 v = logicalAnd();
        while (at(u"||")) {
            next();
            const qint64 r = logicalAnd();
            v = (v || r) ? 1 : 0;
        }
        return v;
    }

    qint64 logicalAnd()
    {
        qint64 v = bitOr();
        while (at(u"&&")) {
            next();
            const qint64 r = bitOr();
            v = (v && r) ? 1 : 0;
        }
        return v;
    }

    qint64 bitOr()
    {
        qint64 v = bitXor();
        while (at(u"|")) {
            next();
            v |= bitXor();
        }
        return v;
    }

    qint64 bitXor()
    {
        qint64 v = bitAnd();
        while (at(u"^")) {
            next();
            v ^= bitAnd();
        }
        return v;
    }

    qint64 bitAnd()
    {
        qint64 v = equality();
        while (at(u"&")) {
            next();
            v &= equality();
        }
        return v;
    }

    qint64 equality()
    {
        qint64 v = relational();
        while (at(u"==") || at(u"!=")) {
            const bool eq = at(u"==");
            next();
            const qint64 r = relational();
            v = ((v == r) == eq) ? 1 : 0;
        }
        return v;
    }

    qint64 relational()
    {
        qint64 v = shift();
        while (at(u"<") || at(u">") || at(u"<=") || at(u">=")) {
            const QString op = m_op;
            next();
            const qint64 r = shift();
            if (op == u"<")
                v = v < r;
            else if (op == u">")
                v = v > r;
            else if (op == u"<=")
                v = v <= r;
            else
                v = v >= r;
        }
        return v;
    }

    qint64 shift()
    {
        qint64 v = additive();
        while (at(u"<<") || at(u">>")) {
            const bool left = at(u"<<");
            next();
            const qint64 r = additive();
            if (r < 0 || r > 63)
                v = 0;
            else
                v = left ? qint64(quint64(v) << r) : v >> r;
        }
        return v;
    }

    qint64 additive()
    {
        qint64 v = multiplicative();
        while (at(u"+") || at(u"-")) {
            const bool plus = at(u"+");
            next();
            const qint64 r = multiplicative();
            v = plus ? qint64(quint64(v) + quint64(r)) : qint64(quint64(v) - quint64(r));
        }
        return v;
    }

    qint64 multiplicative()
    {
        qint64 v = unary();
        while (at(u"*") || at(u"/") || at(u"%")) {
            const QString op = m_op;
            next();
            const qint64 r = unary();
            if (op == u"*") {
                v = qint64(quint64(v) * quint64(r));
            } else if (r == 0 || (v == std::numeric_limits<qint64>::min() && r == -1)) {
                m_failed = true; // division by zero: the compiler rejects the #if
                v = 0;
            } else {
                v = op == u"/" ? v / r : v % r;
            }
        }
        return v;
    }

    qint64 unary()
    {
        if (at(u"!") || at(u"~") || at(u"-") || at(u"+")) {
            const QString op = m_op;
            next();
            const qint64 v = unary();
            if (op == u"!")
                return v ? 0 : 1;
            if (op == u"~")
                return ~v;
            if (op == u"-")
                return qint64(0 - quint64(v));
            return v;
        }
        if (at(u"(")) {
            next();
            const qint64 v = conditional();
            if (!at(u")"))
                m_failed = true;
            else
                next();
            return v;
        }
        if (m_kind == Number) {
            const qint64 v = m_value;
            next();
            return v;
        }
        m_failed = true;
        return 0;
    }

    QStringView m_text;
    qsizetype m_pos = 0;
    Kind m_kind = End;
    qint64 m_value = 0;
    QString m_op;
    bool m_failed = false;
};

struct Conditional {
    bool parentActive = true;
    bool active = true;
    bool taken = false; // some branch of this #if was chosen already
    bool seenElse = false;
};

// The lines of a text, found as they are asked for: a preprocessor reads them in order, so each
// line end is searched once, and no list of every line of a long file is made. Asking for an
// earlier line than the last one starts the search again from the top.
//
// The text is UTF-16, or bytes (UTF-8 or Latin-1): then at() decodes the line asked for into a
// buffer of its own, and the view it gives lasts until the next at().
class TextLines
{
public:
    TextLines() = default;
    explicit TextLines(QStringView text) : m_text(text), m_size(text.size()) { m_end = lineEnd(0); }
    TextLines(QByteArrayView bytes, bool latin1)
        : m_bytes(bytes), m_size(bytes.size()), m_inBytes(true),
          m_decoder(latin1 ? QStringDecoder::Latin1 : QStringDecoder::Utf8,
                    QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom)
    {
        m_end = lineEnd(0);
    }

    // Whether the text has line i (a final line break ends the last line, it starts none).
    bool has(qsizetype i) { return seek(i); }
    QStringView at(qsizetype i)
    {
        seek(i);
        if (!m_inBytes)
            return m_text.sliced(m_start, m_end - m_start);
        const QByteArrayView line = m_bytes.sliced(m_start, m_end - m_start);
        const qsizetype room = m_decoder.requiredSpace(line.size());
        if (m_buffer.size() < room)
            m_buffer.resize(room);
        QChar *const begin = m_buffer.data();
        const QChar *const end = m_decoder.appendToBuffer(begin, line);
        return QStringView(begin, end - begin);
    }

private:
    qsizetype lineEnd(qsizetype from) const
    {
        const qsizetype end = m_inBytes ? m_bytes.indexOf('\n', from) : m_text.indexOf(u'\n', from);
        return end < 0 ? m_size : end;
    }
    bool seek(qsizetype i)
    {
        if (i < m_line) {
            m_line = 0;
            m_start = 0;
            m_end = lineEnd(0);
        }
        while (m_line < i) {
            const qsizetype next = m_end + 1;
            if (next >= m_size)
                return false;
            m_start = next;
            m_end = lineEnd(next);
            ++m_line;
        }
        return true;
    }

    QStringView m_text;
    QByteArrayView m_bytes;
    qsizetype m_size = 0;
    bool m_inBytes = false;
    QStringDecoder m_decoder;
    QString m_buffer;     // the line at() decoded last, in bytes mode
    qsizetype m_line = 0; // the line m_start..m_end holds
    qsizetype m_start = 0;
    qsizetype m_end = 0;
};

class Engine
{
public:
    Engine(const FPreprocessor::Options &options, FPreprocessor::Result &result)
        : m_options(options), m_result(result)
    {
        for (const FMacroDefinition &d : options.defines)
            defineMacro(d);
        for (const QString &name : options.undefines)
            undefineMacro(name);
    }

    // Lines' views from at() last until the next at() of the same lines.
    void runFile(TextLines lines, const QString &path, int depth);

private:
    struct FileState {
        TextLines lines;
        qsizetype index = 0; // the line being read
        QString path;
        int fileIndex = 0;
        bool inCComment = false;
    };

    void writeLine(QStringView text, const FileState &file, qsizetype line)
    {
        m_result.text += text;
        m_result.text += u'\n';
        m_result.lineMap.append({file.fileIndex, int(line + 1)});
    }

    bool isActive() const { return m_conditions.isEmpty() || m_conditions.back().active; }

    void directive(FileState &file, const QString &text, int depth, qsizetype line);
    void include(FileState &file, const QString &argument, int depth, qsizetype line);
    bool evaluateCondition(const QString &expression, FileState &file, qsizetype line);
    void define(const QString &rest);
    QString expand(QString buffer, FileState *file, bool fortranCode, qsizetype line);
    std::optional<QString> substitute(const FMacroDefinition &macro, QString &buffer,
                                      qsizetype nameEnd, qsizetype &callEnd, FileState *file,
                                      bool fortranCode);

    const FPreprocessor::Options &m_options;
    FPreprocessor::Result &m_result;
    // Keys view the names of their own definitions.
    QHash<QStringView, std::shared_ptr<const FMacroDefinition>> m_macros;
    // Which first characters and lengths macro names have (length 63 stands for longer ones):
    // most identifiers of a line are passed over without a lookup.
    quint64 m_firstChars[2] = {0, 0};
    quint64 m_lengths = 0;

    void defineMacro(const FMacroDefinition &macro)
    {
        undefineMacro(macro.name);
        auto stored = std::make_shared<const FMacroDefinition>(macro);
        m_macros.insert(QStringView(stored->name), stored);
        noteName(stored->name);
    }
    void undefineMacro(QStringView name)
    {
        if (!m_macros.remove(name))
            return;
        m_firstChars[0] = m_firstChars[1] = m_lengths = 0;
        for (auto it = m_macros.cbegin(); it != m_macros.cend(); ++it)
            noteName(it.key());
    }
    void noteName(QStringView name)
    {
        const char16_t first = name[0].unicode();
        if (first < 128)
            m_firstChars[first / 64] |= quint64(1) << (first % 64);
        m_lengths |= quint64(1) << qMin<qsizetype>(name.size(), 63);
    }
    bool mayBeMacro(QStringView name) const
    {
        const char16_t first = name[0].unicode();
        return first < 128 && (m_firstChars[first / 64] & (quint64(1) << (first % 64))) &&
               (m_lengths & (quint64(1) << qMin<qsizetype>(name.size(), 63)));
    }
    const FMacroDefinition *macroNamed(QStringView name) const
    {
        if (!mayBeMacro(name))
            return nullptr;
        const auto it = m_macros.constFind(name);
        return it == m_macros.constEnd() ? nullptr : it->get();
    }
    // The first place in a code line where expansion has work to do, or -1.
    qsizetype firstExpansion(QStringView line) const;
    QList<Conditional> m_conditions;
    QStringList m_includeStack;
};

void Engine::runFile(TextLines lines, const QString &path, int depth)
{
    FileState file;
    file.lines = std::move(lines);
    file.path = path;
    file.fileIndex = m_result.fileIndexOf(path);
    m_includeStack.append(path);
    const qsizetype conditionsAtStart = m_conditions.size();

    while (file.lines.has(file.index)) {
        const qsizetype line = file.index;
        QStringView raw = file.lines.at(line);
        if (raw.endsWith(u'\r'))
            raw.chop(1);
        if (raw.startsWith(u'#')) {
            // A directive; a final backslash continues it onto the next line.
            QString text = raw.toString();
            qsizetype last = line;
            while (text.endsWith(u'\\') && file.lines.has(last + 1)) {
                text.chop(1);
                QStringView more = file.lines.at(++last);
                if (more.endsWith(u'\r'))
                    more.chop(1);
                text += more;
            }
            if (text.endsWith(u'\\'))
                text.chop(1);
            file.index = last + 1;
            const qsizetype before = m_result.lineMap.size();
            directive(file, text.mid(1), depth, line);
            if (m_result.lineMap.size() == before)
                writeLine(QString(), file, line);
            for (qsizetype l = line + 1; l <= last; ++l)
                writeLine(QString(), file, l);
            continue;
        }
        file.index = line + 1;
        if (!isActive()) {
            writeLine(QString(), file, line);
            continue;
        }
        if (!file.inCComment && firstExpansion(raw) < 0) {
            writeLine(raw, file, line);
            continue;
        }
        QString code = raw.toString();
        if (file.inCComment) {
            const qsizetype close = code.indexOf(u"*/");
            if (close < 0) {
                writeLine(QString(), file, line);
                continue;
            }
            file.inCComment = false;
            code.remove(0, close + 2);
        }
        const qsizetype before = file.index;
        writeLine(expand(code, &file, true, line), file, line);
        // The lines a macro call continued onto.
        for (qsizetype l = before; l < file.index; ++l)
            writeLine(QString(), file, l);
    }

    // Unterminated conditionals end with their file.
    while (m_conditions.size() > conditionsAtStart)
        m_conditions.removeLast();
    m_includeStack.removeLast();
}

void Engine::directive(FileState &file, const QString &text, int depth, qsizetype line)
{
    const qsizetype nameStart = skipBlanks(text, 0);
    const qsizetype nameEnd = identifierEnd(text, nameStart);
    const QStringView name = QStringView(text).mid(nameStart, nameEnd - nameStart);
    // A macro body keeps its comments until it is used: they separate parameter names there.
    const QString rest = name == u"define" ? text.mid(skipBlanks(text, nameEnd))
                                           : withoutCComments(text.mid(skipBlanks(text, nameEnd)));

    if (name == u"if" || name == u"ifdef" || name == u"ifndef") {
        Conditional c;
        c.parentActive = isActive();
        if (c.parentActive) {
            if (name == u"if") {
                c.active = evaluateCondition(rest, file, line);
            } else {
                const QStringView macro = QStringView(rest).left(identifierEnd(rest, 0));
                c.active = m_macros.contains(macro) == (name == u"ifdef");
            }
        } else {
            c.active = false;
        }
        c.taken = c.active;
        m_conditions.append(c);
        return;
    }
    if (name == u"elif") {
        if (m_conditions.isEmpty())
            return;
        Conditional &c = m_conditions.back();
        if (c.seenElse || !c.parentActive || c.taken) {
            c.active = false;
            return;
        }
        c.active = evaluateCondition(rest, file, line);
        c.taken = c.active;
        return;
    }
    if (name == u"else") {
        if (m_conditions.isEmpty())
            return;
        Conditional &c = m_conditions.back();
        c.active = c.parentActive && !c.taken && !c.seenElse;
        c.taken = true;
        c.seenElse = true;
        return;
    }
    if (name == u"endif") {
        if (!m_conditions.isEmpty())
            m_conditions.removeLast();
        return;
    }
    if (!isActive())
        return;
    if (name == u"define") {
        define(rest);
    } else if (name == u"undef") {
        undefineMacro(QStringView(rest).left(identifierEnd(rest, 0)));
    } else if (name == u"include") {
        include(file, rest, depth, line);
    }
    // #line, #error, #warning, #pragma, #ident and line markers leave no text (the compiler keeps
    // #pragma lines, which no Fortran reader wants to see).
}

void Engine::define(const QString &rest)
{
    const qsizetype nameEnd = identifierEnd(rest, 0);
    if (nameEnd == 0 || !isIdentStart(rest[0]))
        return;
    FMacroDefinition macro;
    macro.name = rest.left(nameEnd);
    qsizetype i = nameEnd;
    if (i < rest.size() && rest[i] == u'(') {
        QStringList parameters;
        ++i;
        for (;;) {
            i = skipBlanks(rest, i);
            if (i < rest.size() && rest[i] == u')' && parameters.isEmpty()) {
                ++i;
                break;
            }
            const qsizetype e = identifierEnd(rest, i);
            if (e == i)
                return; // malformed parameter list: the compiler rejects the #define
            parameters.append(rest.mid(i, e - i));
            i = skipBlanks(rest, e);
            if (i < rest.size() && rest[i] == u',') {
                ++i;
                continue;
            }
            if (i < rest.size() && rest[i] == u')') {
                ++i;
                break;
            }
            return;
        }
        macro.parameters = parameters;
    }
    macro.body = rest.mid(skipBlanks(rest, i)).trimmed();
    defineMacro(macro);
}

bool Engine::evaluateCondition(const QString &expression, FileState &file, qsizetype line)
{
    // "defined NAME" and "defined(NAME)" first, before macros expand.
    QString text;
    text.reserve(expression.size());
    qsizetype i = 0;
    while (i < expression.size()) {
        if (!isIdentStart(expression[i])) {
            text += expression[i++];
            continue;
        }
        const qsizetype e = identifierEnd(expression, i);
        const QStringView word = QStringView(expression).mid(i, e - i);
        if (word != u"defined") {
            text += word;
            i = e;
            continue;
        }
        qsizetype j = skipBlanks(expression, e);
        const bool paren = j < expression.size() && expression[j] == u'(';
        if (paren)
            j = skipBlanks(expression, j + 1);
        const qsizetype nameEnd = identifierEnd(expression, j);
        const QString name = expression.mid(j, nameEnd - j);
        j = nameEnd;
        if (paren) {
            j = skipBlanks(expression, j);
            if (j < expression.size() && expression[j] == u')')
                ++j;
        }
        text += m_macros.contains(name) ? QStringLiteral(" 1 ") : QStringLiteral(" 0 ");
        i = j;
    }
    const QString expanded = expand(text, &file, false, line);
    return ExpressionParser(expanded).evaluate().value_or(0) != 0;
}

void Engine::include(FileState &file, const QString &argument, int depth, qsizetype line)
{
    QString arg = argument.trimmed();
    if (!arg.startsWith(u'"') && !arg.startsWith(u'<'))
        arg = expand(arg, &file, false, line).trimmed();
    if (arg.size() < 2)
        return;
    const QChar close = arg[0] == u'"' ? u'"' : u'>';
    const qsizetype end = arg.indexOf(close, 1);
    if (end < 0)
        return;
    const QString name = arg.mid(1, end - 1);
    if (name.isEmpty() || !m_options.readFile || depth >= kMaxIncludeDepth)
        return;

    QStringList candidates;
    if (name.startsWith(u'/')) {
        candidates.append(name);
    } else {
        if (close == u'"')
            candidates.append(joinPath(folderOf(file.path), name));
        for (const QString &folder : m_options.includeFolders)
            candidates.append(joinPath(folder, name));
    }
    for (const QString &path : candidates) {
        if (m_includeStack.contains(path))
            return; // a cycle ends here
        const std::optional<QString> text = m_options.readFile(path);
        if (!text)
            continue;
        if (!m_result.includedFiles.contains(path))
            m_result.includedFiles.append(path);
        runFile(TextLines(*text), path, depth + 1);
        return;
    }
    // A missing include file is passed over.
}

// The replacement of the function-like macro whose name ends at nameEnd in buffer, with callEnd
// set past its closing parenthesis; nullopt when no call follows the name. Arguments may run on
// over the following code lines of file, which are then consumed.
std::optional<QString> Engine::substitute(const FMacroDefinition &macro, QString &buffer,
                                          qsizetype nameEnd, qsizetype &callEnd, FileState *file,
                                          bool fortranCode)
{
    qsizetype i = skipBlanks(buffer, nameEnd);
    if (i >= buffer.size() || buffer[i] != u'(')
        return std::nullopt;
    QStringList arguments;
    QString current;
    int parens = 0;
    ++i;
    for (;;) {
        if (i >= buffer.size()) {
            // The call continues on the next code line (the line break reads as a blank).
            if (!fortranCode || !file || !file->lines.has(file->index))
                return std::nullopt;
            QStringView next = file->lines.at(file->index);
            if (next.startsWith(u'#'))
                return std::nullopt;
            if (next.endsWith(u'\r'))
                next.chop(1);
            ++file->index;
            buffer += u' ';
            buffer += next;
            continue;
        }
        const QChar c = buffer[i];
        if (c == u'"' || c == u'\'') {
            const qsizetype e = quotedEnd(buffer, i);
            current += QStringView(buffer).mid(i, e - i);
            i = e;
            continue;
        }
        ++i;
        if (c == u'(') {
            ++parens;
        } else if (c == u')') {
            if (parens == 0)
                break;
            --parens;
        } else if (c == u',' && parens == 0) {
            arguments.append(current);
            current.clear();
            continue;
        }
        current += c;
    }
    arguments.append(current);
    callEnd = i;
    const QStringList &parameters = *macro.parameters;
    if (parameters.isEmpty() && arguments.size() == 1 && arguments[0].trimmed().isEmpty())
        arguments.clear();
    if (arguments.size() != parameters.size())
        return std::nullopt; // the compiler rejects the call and leaves the text

    // Parameters are replaced everywhere in the body, inside quotes too (traditional mode).
    const QString &body = macro.body;
    QString out;
    out.reserve(body.size() + 16);
    qsizetype j = 0;
    while (j < body.size()) {
        if (body[j] == u'/' && j + 1 < body.size() && body[j + 1] == u'*') {
            const qsizetype close = body.indexOf(u"*/", j + 2);
            j = close < 0 ? body.size() : close + 2;
            continue;
        }
        if (!isIdentStart(body[j])) {
            if (isDigit(body[j])) {
                const qsizetype e = identifierEnd(body, j);
                out += QStringView(body).mid(j, e - j);
                j = e;
            } else {
                out += body[j++];
            }
            continue;
        }
        const qsizetype e = identifierEnd(body, j);
        const QStringView word = QStringView(body).mid(j, e - j);
        const qsizetype p = parameters.indexOf(word);
        if (p >= 0)
            out += arguments[p];
        else
            out += word;
        j = e;
    }
    return out;
}

qsizetype Engine::firstExpansion(QStringView line) const
{
    qsizetype p = 0;
    const qsizetype n = line.size();
    while (p < n) {
        const QChar c = line[p];
        if (c == u'"' || c == u'\'') {
            p = quotedEnd(line, p);
        } else if (c == u'!') {
            return -1;
        } else if (c == u'/') {
            if (p + 1 < n && line[p + 1] == u'*')
                return p;
            ++p;
        } else if (isDigit(c)) {
            while (p < n && (isIdentChar(line[p]) || line[p] == u'.'))
                ++p;
        } else if (isIdentStart(c)) {
            const qsizetype e = identifierEnd(line, p);
            const QStringView word = line.mid(p, e - p);
            if (macroNamed(word) || word == u"__LINE__" || word == u"__FILE__")
                return p;
            p = e;
        } else {
            ++p;
        }
    }
    return -1;
}

// Expands the macros of buffer. In Fortran code character literals and "!" comments are left as
// they are and C comments go; a C comment left open continues onto file's next lines.
QString Engine::expand(QString buffer, FileState *file, bool fortranCode, qsizetype line)
{
    if (m_macros.isEmpty() && !buffer.contains(u"__") && !buffer.contains(u"/*"))
        return buffer;
    struct Region {
        QString name;
        qsizetype end;
    };
    QList<Region> disabled; // macros being expanded, each up to the end of its replacement
    int expansions = 0;
    qsizetype p = 0;
    while (p < buffer.size()) {
        const QChar c = buffer[p];
        if (fortranCode && (c == u'"' || c == u'\'')) {
            p = quotedEnd(buffer, p);
            continue;
        }
        if (fortranCode && c == u'!')
            break;
        if (c == u'/' && p + 1 < buffer.size() && buffer[p + 1] == u'*') {
            const qsizetype close = buffer.indexOf(u"*/", p + 2);
            const qsizetype end = close < 0 ? buffer.size() : close + 2;
            if (close < 0 && file)
                file->inCComment = true;
            buffer.remove(p, end - p);
            for (Region &r : disabled)
                r.end = r.end >= end ? r.end - (end - p) : qMin(r.end, p);
            continue;
        }
        if (isDigit(c)) {
            while (p < buffer.size() && (isIdentChar(buffer[p]) || buffer[p] == u'.'))
                ++p;
            continue;
        }
        if (!isIdentStart(c)) {
            ++p;
            continue;
        }
        const qsizetype start = p;
        const qsizetype nameEnd = identifierEnd(buffer, p);
        p = nameEnd;
        if (expansions >= kMaxExpansions || buffer.size() > kMaxExpandedSize)
            continue;
        while (!disabled.isEmpty() && disabled.back().end <= start)
            disabled.removeLast();
        const QStringView nameView = QStringView(buffer).mid(start, nameEnd - start);
        const FMacroDefinition *found = macroNamed(nameView);
        if (!found && !nameView.startsWith(u"__"))
            continue;
        const QString name = nameView.toString();
        QString replacement;
        qsizetype end = nameEnd;
        bool rescan = true;
        if (!found) {
            if (name == u"__LINE__") {
                replacement = QString::number(line + 1);
            } else if (name == u"__FILE__") {
                replacement = QStringLiteral("\"") + (file ? file->path : m_result.files.value(0)) +
                              QStringLiteral("\"");
            } else {
                continue;
            }
            rescan = false;
        } else {
            bool isDisabled = false;
            for (const Region &r : disabled)
                isDisabled = isDisabled || r.name == name;
            if (isDisabled)
                continue;
            if (found->parameters) {
                // The definition stays alive while the buffer changes: macros change only in
                // directives.
                const std::optional<QString> call =
                    substitute(*found, buffer, nameEnd, end, file, fortranCode);
                if (!call)
                    continue;
                replacement = *call;
            } else {
                replacement = found->body;
            }
        }
        ++expansions;
        buffer.replace(start, end - start, replacement);
        const qsizetype newEnd = start + replacement.size();
        const qsizetype delta = newEnd - end;
        for (Region &r : disabled)
            r.end = r.end >= end ? r.end + delta : newEnd;
        if (rescan) {
            disabled.append({name, newEnd});
            p = start;
        } else {
            p = newEnd;
        }
    }
    return buffer;
}

} // namespace

bool FPreprocessor::needsPreprocessing(QStringView text)
{
    // A search for the one character is many times faster than for "\n#", and '#' is rare in
    // Fortran outside directives.
    for (qsizetype at = text.indexOf(u'#'); at >= 0; at = text.indexOf(u'#', at + 1))
        if (at == 0 || text[at - 1] == u'\n')
            return true;
    return false;
}

FMacroDefinition FPreprocessor::defineFromFlag(QStringView argument)
{
    FMacroDefinition macro;
    const qsizetype equals = argument.indexOf(u'=');
    QStringView head = equals < 0 ? argument : argument.left(equals);
    macro.body = equals < 0 ? QStringLiteral("1") : argument.mid(equals + 1).toString();
    const qsizetype paren = head.indexOf(u'(');
    if (paren >= 0) {
        QStringView list = head.mid(paren + 1);
        if (list.endsWith(u')'))
            list.chop(1);
        QStringList parameters;
        for (QStringView p : list.split(u','))
            if (!p.trimmed().isEmpty())
                parameters.append(p.trimmed().toString());
        macro.parameters = parameters;
        head = head.left(paren);
    }
    macro.name = head.trimmed().toString();
    return macro;
}

FPreprocessor::Result FPreprocessor::preprocess(const QString &text, const QString &path,
                                                const Options &options)
{
    Result result;
    // Most output is the input less its directives: room for a little more, so that a long
    // file's output is not reallocated, nor given twice the room it needs.
    result.text.reserve(text.size() + text.size() / 64 + 64);
    Engine engine(options, result);
    engine.runFile(TextLines(text), path, 0);
    return result;
}

FPreprocessor::Result FPreprocessor::preprocess(QByteArrayView bytes, bool latin1,
                                                const QString &path, const Options &options)
{
    // A byte order mark starts no line of UTF-8 text.
    if (!latin1 && bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    Result result;
    // Neither encoding gives more UTF-16 code units than bytes; one map entry per line, and
    // more only when files are included.
    result.text.reserve(bytes.size() + bytes.size() / 64 + 64);
    const qsizetype breaks = bytes.count('\n');
    result.lineMap.reserve(breaks + (bytes.endsWith('\n') || bytes.isEmpty() ? 0 : 1));
    Engine engine(options, result);
    engine.runFile(TextLines(bytes, latin1), path, 0);
    return result;
}

} // namespace corvane
