#include "analysis/declarationjson.h"

#include <vector>

namespace corvane
{

void appendJsonEscaped(QString &out, QStringView text)
{
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'"':
            out += QStringLiteral("\\\"");
            break;
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        case u'\t':
            out += QStringLiteral("\\t");
            break;
        default:
            if (c.unicode() < 0x20)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
}

QString jsonQuoted(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    appendJsonEscaped(out, text);
    out += u'"';
    return out;
}

namespace
{

// A minimal streaming writer: objects keep the order in which fields are written, which
// QJsonObject (sorted keys) cannot.
class Writer
{
public:
    QString out;

    void beginObject() { open(u'{'); }
    void endObject() { close(u'}'); }
    void beginArray() { open(u'['); }
    void endArray() { close(u']'); }
    void key(const QString &k)
    {
        separate();
        string(k);
        out += u':';
        m_afterKey = true;
    }
    void value(const QString &s)
    {
        separate();
        string(s);
    }
    void value(bool b)
    {
        separate();
        out += b ? QStringLiteral("true") : QStringLiteral("false");
    }
    void value(unsigned n)
    {
        separate();
        out += QString::number(n);
    }
    // Writes "key": text only when text is present.
    void optional(const QString &k, const QString &text)
    {
        if (!text.isNull()) {
            key(k);
            value(text);
        }
    }
    void optional(const QString &k, const std::optional<QStringList> &list)
    {
        if (!list)
            return;
        key(k);
        beginArray();
        for (const QString &s : *list)
            value(s);
        endArray();
    }

private:
    void open(QChar c)
    {
        separate();
        out += c;
        m_first = true;
    }
    void close(QChar c)
    {
        out += c;
        m_first = false;
    }
    void separate()
    {
        if (m_afterKey) {
            m_afterKey = false;
            return;
        }
        if (!m_first && !out.isEmpty())
            out += u',';
        m_first = false;
    }
    void string(const QString &s) { out += jsonQuoted(s); }

    bool m_first = true;
    bool m_afterKey = false;
};

void write(Writer &w, const FVariable &v)
{
    w.beginObject();
    w.optional("name", v.name);
    w.optional("typeName", v.typeName);
    w.key("isDerivedType");
    w.value(v.isDerivedType);
    w.optional("attributes", v.attributes);
    w.optional("declaredValue", v.declaredValue);
    w.optional("access", v.access);
    w.endObject();
}

// A dictionary of records under key, in its order; nothing when absent. The record writers are
// found at instantiation (they take Writer, so argument lookup sees them all).
template <typename T>
void writeMap(Writer &w, const QString &key, const DeclarationMap<T> &map)
{
    if (!map)
        return;
    w.key(key);
    w.beginObject();
    for (const auto &entry : *map) {
        w.key(entry.first);
        write(w, *entry.second);
    }
    w.endObject();
}

void write(Writer &w, const FDefinitionInfo &d)
{
    w.beginObject();
    w.optional("fileSource", d.fileSource);
    w.optional("procedureSource", d.procedureSource);
    w.endObject();
}

void write(Writer &w, const FDerivedType &t)
{
    w.beginObject();
    w.optional("name", t.name);
    if (const auto host = t.definingProgramUnit.lock())
        w.optional("definingProgramUnit", host->name);
    if (t.defInfo) {
        w.key("defInfo");
        write(w, *t.defInfo);
    }
    w.optional("superclassName", t.superclassName);
    w.optional("interface", t.interface);
    w.optional("access", t.access);
    w.optional("attributes", t.attributes);
    w.optional("finalRoutines", t.finalRoutines);
    writeMap(w, "variables", t.variables);
    if (t.typeboundProcedures) {
        w.key("typeboundProcedures");
        w.beginArray();
        for (const auto &b : *t.typeboundProcedures) {
            w.beginObject();
            w.optional("name", b->name);
            w.optional("bindingName", b->bindingName);
            w.optional("attributes", b->attributes);
            w.key("pass");
            w.value(b->pass);
            w.optional("access", b->access);
            w.endObject();
        }
        w.endArray();
    }
    if (t.genericBindings) {
        w.key("genericBindings");
        w.beginObject();
        for (const auto &entry : *t.genericBindings) {
            w.optional(entry.first, std::optional<QStringList>(entry.second));
        }
        w.endObject();
    }
    w.endObject();
}

// Everything of a unit but its contained procedures; the object is left open.
void writeUnitHead(Writer &w, const FProgramUnit &u)
{
    w.beginObject();
    w.optional("name", u.name);
    w.key("pUnitType");
    w.value(u.pUnitType);
    w.optional("ancestorName", u.ancestorName);
    if (const auto host = u.definingProgramUnit.lock())
        w.optional("definingProgramUnit", host->name);
    w.optional("genericName", u.genericName);
    if (u.isInterface) {
        w.key("isInterface");
        w.value(true);
    }
    if (u.defInfo) {
        w.key("defInfo");
        write(w, *u.defInfo);
    }
    if (u.line > 0) {
        w.key("line");
        w.value(unsigned(u.line));
    }
    w.optional("modulesUsed", u.modulesUsed);
    w.optional("attributes", u.attributes);
    w.optional("argumentList", u.argumentList);
    if (u.arguments) {
        w.key("arguments");
        w.beginArray();
        for (const auto &a : *u.arguments)
            write(w, *a);
        w.endArray();
    }
    w.optional("languageBinding", u.languageBinding);
    if (u.returnVariable) {
        w.key("returnVariable");
        write(w, *u.returnVariable);
    }
    w.optional("access", u.access);
    w.optional("defaultAccess", u.defaultAccess);
    writeMap(w, "variables", u.variables);
    if (u.types) {
        w.key("types");
        w.beginObject();
        for (const auto &entry : *u.types) {
            w.key(entry.first);
            write(w, *entry.second);
        }
        w.endObject();
    }
    if (u.interfaces) {
        w.key("interfaces");
        w.beginObject();
        for (const auto &entry : *u.interfaces) {
            w.key(entry.first);
            w.beginArray();
            for (const Tuple &t : entry.second) {
                w.beginObject();
                w.optional("name", t.name);
                w.optional("value", t.value);
                w.endObject();
            }
            w.endArray();
        }
        w.endObject();
    }
}

// Contained procedures can nest thousands deep (text without END statements), so units are
// written with an explicit stack rather than by recursion.
void write(Writer &w, const FProgramUnit &top)
{
    struct Step {
        enum Kind { Unit, Key, End } kind;
        const FProgramUnit *unit = nullptr;
        QString key;
    };
    std::vector<Step> stack;
    stack.push_back({Step::Unit, &top, {}});
    while (!stack.empty()) {
        Step step = std::move(stack.back());
        stack.pop_back();
        if (step.kind == Step::Key) {
            w.key(step.key);
            continue;
        }
        if (step.kind == Step::End) {
            w.endObject();
            continue;
        }
        const FProgramUnit &u = *step.unit;
        writeUnitHead(w, u);
        stack.push_back({Step::End, nullptr, {}});
        if (!u.procedures)
            continue;
        w.key("procedures");
        w.beginObject();
        stack.push_back({Step::End, nullptr, {}});
        const auto &procedures = *u.procedures;
        for (auto it = procedures.end(); it != procedures.begin();) {
            --it;
            stack.push_back({Step::Unit, it->second.get(), {}});
            stack.push_back({Step::Key, nullptr, it->first});
        }
    }
}

} // namespace

QString declarationsJson(const FFileDeclarations &file)
{
    Writer w;
    w.beginObject();
    w.optional("name", file.name);
    writeMap(w, "modules", file.modules);
    writeMap(w, "nonModuleProcedures", file.nonModuleProcedures);
    writeMap(w, "submodules", file.submodules);
    w.endObject();
    return w.out;
}

QString declarationsJson(const FProgramUnit &unit)
{
    Writer w;
    write(w, unit);
    return w.out;
}

} // namespace corvane
