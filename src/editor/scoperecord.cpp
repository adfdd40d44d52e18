#include "scoperecord.h"

#include "analysis/fttokenizer.h"
#include "textreplacement.h"

namespace corvane
{

ScopeRecord ScopeRecord::scope(QStringView text, TextRange selection, const JumpList &jumpList)
{
    const TextRange safe = safeRangeForRange(selection, quint64(text.size()));
    ScopeRecord record;
    record.name = text.mid(qsizetype(safe.location), qsizetype(safe.length)).toString();
    record.procedure = jumpList.selectedProcedure();
    const QString module = jumpList.moduleOfSelection();
    if (!module.isNull())
        record.module = module;
    qsizetype lineStart = qsizetype(safe.location);
    while (lineStart > 0 && text[lineStart - 1] != u'\n')
        --lineStart;
    const qsizetype end = qsizetype(safe.location + safe.length);
    findVariableChain(text.mid(lineStart, end - lineStart), record.name, record);
    return record;
}

void ScopeRecord::findVariableChain(QStringView lineText, const QString &name, ScopeRecord &record)
{
    const QStringList tokens = FTTokenizer().tokenizeStatement(lineText);
    // The selected name is the last token that equals it (the text ends with the selection).
    qsizetype i = name.isEmpty() ? -1 : tokens.lastIndexOf(name);
    if (i < 0) {
        i = tokens.size() - 1;
        if (tokens.size() >= 2 && tokens[i - 1] == u"%") {
            i -= 2;
            record.derivedTypeComponent = true;
        } else if (i >= 0 && tokens[i] == u"%") {
            i -= 1;
            record.derivedTypeComponent = true;
        }
    }
    QStringList chain;
    while (i >= 0) {
        if (tokens[i] == u")") {
            // a(i)%b: skip the subscript back to the name before its "(".
            int depth = 0;
            for (; i >= 0; --i) {
                if (tokens[i] == u")")
                    ++depth;
                else if (tokens[i] == u"(" && --depth == 0)
                    break;
            }
            if (--i < 0)
                break;
        }
        chain.append(tokens[i]);
        if (i == 0 || tokens[i - 1] != u"%")
            break;
        i -= 2;
    }
    if (!chain.isEmpty())
        record.variableChain = chain;
}

} // namespace corvane
