#include "vocabulary.h"

#include "settings/plistptr.h"

#include <QFile>

#include <plist/plist.h>

#include <limits>
#include <memory>

// The resource is compiled into this static library; registering it must happen outside any
// namespace, and referencing it keeps the linker from dropping it.
static void registerVocabularyResource()
{
    Q_INIT_RESOURCE(resources);
}

namespace corvane
{

namespace
{

// The strings of the array under key; entries of other types are passed over.
QStringList stringArray(plist_t dict, const char *key)
{
    QStringList result;
    plist_t array = plist_dict_get_item(dict, key);
    if (!array || plist_get_node_type(array) != PLIST_ARRAY)
        return result;
    const uint32_t n = plist_array_get_size(array);
    result.reserve(n);
    for (uint32_t i = 0; i < n; ++i) {
        plist_t item = plist_array_get_item(array, i);
        if (!item || plist_get_node_type(item) != PLIST_STRING)
            continue;
        uint64_t length = 0;
        const char *text = plist_get_string_ptr(item, &length);
        if (!text || length == 0)
            continue;
        result.append(QString::fromUtf8(text, qsizetype(length)));
    }
    return result;
}

QSet<QString> lowerCaseSet(const QStringList &words)
{
    QSet<QString> set;
    set.reserve(words.size());
    for (const QString &w : words)
        set.insert(w.toLower());
    return set;
}

} // namespace

const QString &DelimiterSet::punctuation()
{
    static const QString chars = QStringLiteral("(),.<>:=+-*%/'\"!#[]");
    return chars;
}

const Vocabulary &Vocabulary::instance()
{
    static const Vocabulary vocabulary = fromResource();
    return vocabulary;
}

Vocabulary Vocabulary::fromResource()
{
    registerVocabularyResource();
    return fromFile(QString::fromLatin1(ResourcePath));
}

Vocabulary Vocabulary::fromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Vocabulary();
    return fromData(file.readAll());
}

Vocabulary Vocabulary::fromData(const QByteArray &data)
{
    Vocabulary v;
    if (data.isEmpty() || data.size() > qsizetype(std::numeric_limits<uint32_t>::max()))
        return v;
    plist_t raw = nullptr;
    plist_from_memory(data.constData(), uint32_t(data.size()), &raw);
    const PlistPtr root(raw);
    if (!root || plist_get_node_type(root.get()) != PLIST_DICT)
        return v;
    plist_t dict = root.get();

    v.m_keywordsArray = stringArray(dict, KeywordsKey);
    v.m_intrinsicsArray = stringArray(dict, IntrinsicsKey);
    v.m_keywords = lowerCaseSet(v.m_keywordsArray);
    v.m_intrinsics = lowerCaseSet(v.m_intrinsicsArray);
    v.m_completions = stringArray(dict, IntrinsicCompletionsKey);
    v.m_completionsPlain = stringArray(dict, IntrinsicCompletionsPlainKey);
    v.m_kinds = stringArray(dict, IntrinsicKindsKey);
    v.m_functions = stringArray(dict, IntrinsicFunctionsKey);
    v.m_functionsPlain = stringArray(dict, IntrinsicFunctionsPlainKey);
    v.m_subroutines = stringArray(dict, IntrinsicSubroutinesKey);
    v.m_subroutinesPlain = stringArray(dict, IntrinsicSubroutinesPlainKey);
    return v;
}

bool Vocabulary::isEmpty() const
{
    return m_keywordsArray.isEmpty() && m_intrinsicsArray.isEmpty() && m_completions.isEmpty() &&
           m_completionsPlain.isEmpty() && m_kinds.isEmpty() && m_functions.isEmpty() &&
           m_functionsPlain.isEmpty() && m_subroutines.isEmpty() && m_subroutinesPlain.isEmpty();
}

const QSet<QString> &Vocabulary::fortranProcedures()
{
    static const QSet<QString> words = {"program", "function", "subroutine", "module"};
    return words;
}

const QSet<QString> &Vocabulary::fortranProcedureFirstTokens()
{
    static const QSet<QString> words = {
        "program", "function",  "subroutine", "module", "integer",   "real", "complex",
        "logical", "character", "double",     "type",   "elemental", "pure", "recursive"};
    return words;
}

const DelimiterSet &Vocabulary::delimiters()
{
    static const DelimiterSet set;
    return set;
}

const QStringList &Vocabulary::array(const QString &key) const
{
    static const QStringList none;
    const struct {
        const char *key;
        const QStringList *list;
    } arrays[] = {
        {KeywordsKey, &m_keywordsArray},
        {IntrinsicsKey, &m_intrinsicsArray},
        {IntrinsicCompletionsKey, &m_completions},
        {IntrinsicCompletionsPlainKey, &m_completionsPlain},
        {IntrinsicKindsKey, &m_kinds},
        {IntrinsicFunctionsKey, &m_functions},
        {IntrinsicFunctionsPlainKey, &m_functionsPlain},
        {IntrinsicSubroutinesKey, &m_subroutines},
        {IntrinsicSubroutinesPlainKey, &m_subroutinesPlain},
    };
    for (const auto &a : arrays)
        if (key == QLatin1String(a.key))
            return *a.list;
    return none;
}

} // namespace corvane
