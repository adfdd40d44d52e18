#include "analysis/fsymbols.h"

namespace corvane
{

namespace
{

void mergeSet(FSymbols::NameSet &into, const FSymbols::NameSet &from)
{
    if (!from || from->isEmpty())
        return;
    if (into)
        into->unite(*from);
    else
        into = *from;
}

} // namespace

void FSymbols::addSymbolsFrom(const FSymbols &other)
{
    mergeSet(variableNames, other.variableNames);
    mergeSet(typeNames, other.typeNames);
    mergeSet(subroutineProcedureNames, other.subroutineProcedureNames);
    mergeSet(functionProcedureNames, other.functionProcedureNames);
}

} // namespace corvane
