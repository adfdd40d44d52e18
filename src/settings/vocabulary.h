// Vocabulary: the Fortran word lists of the editor and the completion engine, read once from the
// property list compiled into the program (":/keywords.plist"), plus the fixed word sets and the
// delimiter set. Words in the sets are lower case; the arrays keep the file's order.
//
// A missing or unreadable resource leaves every list read from it empty and reports nothing;
// the fixed sets (fortranProcedures, fortranProcedureFirstTokens, delimiters) do not come from
// the resource and are always there.
//
// Completion strings carry one "!^" insert marker per dummy argument:
//     "matmul(matrix_a = !^, matrix_b = !^)"  (keyword form)   "matmul(!^, !^)"  (plain form)
#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

namespace corvane
{

// The characters that end a word: ( ) , . < > : = + - * % / ' " ! # [ ] and every blank or
// line-break character.
class DelimiterSet
{
public:
    bool contains(QChar c) const { return c.isSpace() || punctuation().contains(c); }
    // The nineteen punctuation characters, without the blanks.
    static const QString &punctuation();
};

class Vocabulary
{
public:
    // The resource's dictionary keys.
    static constexpr char KeywordsKey[] = "keywords";
    static constexpr char IntrinsicsKey[] = "intrinsics";
    static constexpr char IntrinsicCompletionsKey[] = "intrinsicCompletions";
    static constexpr char IntrinsicCompletionsPlainKey[] = "intrinsicCompletionsPlain";
    static constexpr char IntrinsicKindsKey[] = "intrinsicKinds";
    static constexpr char IntrinsicFunctionsKey[] = "intrinsicFunctions";
    static constexpr char IntrinsicFunctionsPlainKey[] = "intrinsicFunctionsPlain";
    static constexpr char IntrinsicSubroutinesKey[] = "intrinsicSubroutines";
    static constexpr char IntrinsicSubroutinesPlainKey[] = "intrinsicSubroutinesPlain";
    static constexpr char ResourcePath[] = ":/keywords.plist";

    // Empty word lists; the fixed sets are present.
    Vocabulary() = default;

    // The application's vocabulary, read from the resource on first use; never changes after.
    static const Vocabulary &instance();
    // Reads the compiled-in resource.
    static Vocabulary fromResource();
    // Reads a property list (XML or binary) from a file or from bytes; unreadable input gives
    // empty lists. Entries that are not strings are passed over.
    static Vocabulary fromFile(const QString &path);
    static Vocabulary fromData(const QByteArray &data);

    // True when nothing was read (no resource, or no usable array in it).
    bool isEmpty() const;

    const QSet<QString> &fortranKeywords() const { return m_keywords; }
    const QSet<QString> &fortranIntrinsics() const { return m_intrinsics; }
    static const QSet<QString> &fortranProcedures();
    static const QSet<QString> &fortranProcedureFirstTokens();
    static const DelimiterSet &delimiters();

    const QStringList &fortranKeywordsArray() const { return m_keywordsArray; }
    const QStringList &intrinsicsArray() const { return m_intrinsicsArray; }
    const QStringList &intrinsicCompletionsArray() const { return m_completions; }
    const QStringList &intrinsicCompletionsPlainArray() const { return m_completionsPlain; }

    // The arrays the completion engine reads.
    const QStringList &intrinsicKinds() const { return m_kinds; }
    const QStringList &intrinsicFunctions() const { return m_functions; }
    const QStringList &intrinsicFunctionsPlain() const { return m_functionsPlain; }
    const QStringList &intrinsicSubroutines() const { return m_subroutines; }
    const QStringList &intrinsicSubroutinesPlain() const { return m_subroutinesPlain; }
    // The function or subroutine list in keyword form or plain, as a setting chooses.
    const QStringList &intrinsicFunctions(bool showArgumentNames) const
    {
        return showArgumentNames ? m_functions : m_functionsPlain;
    }
    const QStringList &intrinsicSubroutines(bool showArgumentNames) const
    {
        return showArgumentNames ? m_subroutines : m_subroutinesPlain;
    }

    // The array under one of the keys above, or an empty list for any other key.
    const QStringList &array(const QString &key) const;

private:
    QSet<QString> m_keywords;
    QSet<QString> m_intrinsics;
    QStringList m_keywordsArray;
    QStringList m_intrinsicsArray;
    QStringList m_completions;
    QStringList m_completionsPlain;
    QStringList m_kinds;
    QStringList m_functions;
    QStringList m_functionsPlain;
    QStringList m_subroutines;
    QStringList m_subroutinesPlain;
};

} // namespace corvane
