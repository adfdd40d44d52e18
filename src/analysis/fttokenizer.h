// FTTokenizer: the stateless splitter of one Fortran statement into tokens. Used by the declaration
// parser, the editor's scope finder and completion; safe to call from any thread.
//
// One left-to-right pass without backtracking. Blanks (U+0020 only) separate tokens; the
// characters % ) * + , - / < > ( : = are tokens of their own, "=>" is one token, "::" is dropped;
// character literals, array constructors "(/ ... /)" and "[...]" and dotted operators (".and.")
// are single tokens. Tokens are never empty and keep the case of the source:
//   "integer, intent(in) :: n"  ->  integer , intent ( in ) n
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

#include <optional>

namespace corvane
{

class FTTokenizer
{
public:
    // The tokens of statement; an absent or empty statement gives an empty list.
    QStringList tokenizeStatement(QStringView statement) const;
    QStringList tokenizeStatement(const QString &statement) const;
    QStringList tokenizeStatement(const std::optional<QString> &statement) const;

    // The same tokens as views into statement, appended to out (which is cleared first). The
    // views stay valid as long as the characters of statement do. This is the allocation-free
    // form for hot loops; tokenizeStatement is built on it.
    static void tokenize(QStringView statement, QList<QStringView> &out);
    // The same tokens handed to f one by one, none kept: for statements too long to hold a list.
    static void forEachToken(QStringView statement, const std::function<void(QStringView)> &f);
};

} // namespace corvane
