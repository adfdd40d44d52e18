// FSymbols: the name sets completion offers within one scope.
#pragma once

#include <QSet>
#include <QString>

#include <optional>

namespace corvane
{

class FSymbols
{
public:
    using NameSet = std::optional<QSet<QString>>;

    NameSet variableNames;
    NameSet functionProcedureNames;
    NameSet subroutineProcedureNames;
    NameSet typeNames;
    NameSet variablesThatAreDerivedTypes;

    // Merges the other record's non-empty sets into this one (a copy when this one has none).
    // variablesThatAreDerivedTypes is deliberately left alone.
    void addSymbolsFrom(const FSymbols &other);
};

} // namespace corvane
