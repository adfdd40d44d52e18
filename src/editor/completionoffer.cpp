#include "completionoffer.h"

#include "editor/jumplist.h"
#include "editor/structurescanner.h"
#include "editor/templatetext.h"

#include <algorithm>
#include <string_view>

namespace corvane
{

namespace
{

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

qsizetype lineStartOf(QStringView text, qsizetype at)
{
    qsizetype s = qMin(at, text.size());
    while (s > 0 && text[s - 1] != u'\n')
        --s;
    return s;
}

qsizetype lineEndOf(QStringView text, qsizetype at)
{
    const qsizetype e = text.indexOf(u'\n', at);
    return e < 0 ? text.size() : e;
}

const QLatin1String kMarker("!^");

} // namespace

qsizetype partialWordStart(QStringView text, qsizetype caret)
{
    qsizetype s = qBound(qsizetype(0), caret, text.size());
    while (s > 0 && isNameChar(text[s - 1]))
        --s;
    return s;
}

QString statementForCharRange(QStringView text, qsizetype start, qsizetype length)
{
    const qsizetype from = lineStartOf(text, start);
    const qsizetype to = qMin(text.size(), start + length);
    QStringView s = text.mid(from, qMax(qsizetype(0), to - from));
    while (!s.isEmpty() && (s.front() == u' ' || s.front() == u'\t'))
        s = s.mid(1);
    while (!s.isEmpty() && (s.back() == u' ' || s.back() == u'\t'))
        s.chop(1);
    return s.toString();
}

QStringList templateCompletions(const QString &partial, const QVariantMap &templates)
{
    QStringList names;
    if (partial.isEmpty())
        return names;
    for (auto it = templates.constBegin(); it != templates.constEnd(); ++it)
        if (it.key().contains(partial, Qt::CaseInsensitive))
            names.append(it.key());
    return names;
}

qsizetype commonLength(const QStringList &candidates, qsizetype n)
{
    if (candidates.isEmpty())
        return n;
    qsizetype shortest = candidates.first().size();
    for (const QString &c : candidates)
        shortest = qMin(shortest, c.size());
    if (n >= shortest)
        return n;
    const QString &first = candidates.first();
    for (qsizetype k = n; k < shortest; ++k) {
        const QChar c = first[k].toCaseFolded();
        for (const QString &other : candidates)
            if (other[k].toCaseFolded() != c)
                return k;
    }
    return shortest;
}

QString completionStringForDerivedType(const QString &w, const QString &userString)
{
    // After a bare "%" the range is empty at the caret: the name goes right after the "%".
    if (userString == u"%")
        return w;
    if (userString.size() >= 2 && userString[userString.size() - 2] == u' ')
        return userString + u' ' + w;
    return userString + w;
}

void sortCandidates(QStringList &candidates)
{
    // Sorted by case-folded copies made once: thousands of candidates sort in a few
    // comparisons each of plain text.
    QList<std::pair<QString, QString>> keyed;
    keyed.reserve(candidates.size());
    for (QString &c : candidates)
        keyed.append({c.toCaseFolded(), std::move(c)});
    const auto view = [](const QString &s) {
        return std::u16string_view(reinterpret_cast<const char16_t *>(s.constData()),
                                   size_t(s.size()));
    };
    std::sort(keyed.begin(), keyed.end(), [&](const auto &a, const auto &b) {
        const std::u16string_view fa = view(a.first), fb = view(b.first);
        return fa != fb ? fa < fb : view(a.second) < view(b.second);
    });
    for (qsizetype i = 0; i < keyed.size(); ++i)
        candidates[i] = std::move(keyed[i].second);
}

std::optional<CompletionOffer> completionOffer(QStringView text, qsizetype caret, bool isExplicit,
                                               const AutocompleteManager &engine,
                                               const ScopeRecord &scope,
                                               const CompletionSettings &settings,
                                               const QVariantMap &templates)
{
    caret = qBound(qsizetype(0), caret, text.size());
    CompletionOffer offer;
    offer.isExplicit = isExplicit;
    offer.start = partialWordStart(text, caret);
    offer.length = caret - offer.start;
    offer.userString = text.mid(offer.start, offer.length).toString();
    QStringList candidates;
    if (isExplicit) {
        candidates = templateCompletions(offer.userString, templates);
        sortCandidates(candidates);
        offer.templates = templates;
    } else {
        if (!settings.anyOn())
            return std::nullopt;
        // Nothing is offered in a comment: after a "!" on the line.
        const qsizetype lineStart = lineStartOf(text, offer.start);
        if (text.mid(lineStart, offer.start - lineStart).contains(u'!'))
            return std::nullopt;
        const QChar before = offer.start > 0 ? text[offer.start - 1] : QChar();
        const bool afterPercent = before == u'%';
        qsizetype statementStart = offer.start, statementLength = offer.length;
        if (afterPercent && offer.length == 0) {
            // The engine sees "%"; the insertion stays at the caret.
            offer.userString = QStringLiteral("%");
            statementStart = offer.start - 1;
            statementLength = 1;
        }
        const QString statement = statementForCharRange(text, statementStart, statementLength);
        if (afterPercent || offer.length >= 2) {
            if (auto c = engine.completionsForString(offer.userString, scope, statement, settings))
                candidates = *c;
            offer.isDerivedTypeCompletion =
                scope.derivedTypeComponent && offer.userString.endsWith(u'%');
        } else if (statement.compare(QLatin1String("use"), Qt::CaseInsensitive) == 0) {
            candidates = engine.moduleNamesForUse();
            sortCandidates(candidates);
        }
    }
    if (candidates.isEmpty())
        return std::nullopt;
    offer.numberOfCommonChars = commonLength(candidates, offer.length);
    offer.candidates = candidates;
    return offer;
}

QString tentativeText(const CompletionOffer &offer, const QString &candidate)
{
    return offer.isDerivedTypeCompletion
               ? completionStringForDerivedType(candidate, offer.userString)
               : candidate;
}

CompletionClose closeCompletion(const CompletionOffer &offer, const QString &candidate,
                                CompletionMovement movement, QStringView text,
                                const QVariantMap &templates)
{
    CompletionClose close;
    const qsizetype lineStart = lineStartOf(text, offer.start);
    if (offer.isExplicit) {
        if (movement != CompletionMovement::Return)
            return close;
        const QStringView line =
            text.mid(lineStart, lineEndOf(text, offer.start) - lineStart);
        const QString inserted = templateTextForLine(templates, candidate, line);
        if (inserted.isNull())
            return close;
        close.replace = true;
        close.text = inserted;
        close.caret = offer.start;
        close.isTemplate = true;
        return close;
    }
    if (movement != CompletionMovement::Return && movement != CompletionMovement::Tab) {
        // Dismissed: the user's own partial comes back; whatever was typed follows as typed.
        close.replace = true;
        close.text = offer.length == 0 ? QString(QLatin1String("")) : offer.userString;
        return close;
    }
    QString s = movement == CompletionMovement::Return
                    ? candidate
                    : candidate.left(qMax(offer.numberOfCommonChars, offer.length));
    if (offer.isDerivedTypeCompletion)
        s = completionStringForDerivedType(s, offer.userString);
    close.replace = true;
    close.text = s;
    close.caret = offer.start + s.size();
    close.reopen = movement == CompletionMovement::Tab && offer.candidates.size() > 1;
    if (s.contains(kMarker)) {
        const QString head = text.mid(lineStart, offer.start - lineStart).toString();
        const qsizetype at = (head + s).indexOf(kMarker);
        close.select = std::make_pair(lineStart + at, qsizetype(2));
    }
    return close;
}

ScopeRecord scopeAtCaret(QStringView text, qsizetype caret, bool fixedForm)
{
    const StructureScanner scanner(fixedForm);
    JumpList list;
    list.rebuild(text, scanner);
    if (const auto unit = scanner.currentProgramUnit(text, caret))
        list.synchronize(*unit);
    return ScopeRecord::scope(text, {quint64(caret), 0}, list);
}

} // namespace corvane
