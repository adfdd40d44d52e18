// FTypeboundProc: one binding of the type-bound procedure part of a derived type.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace corvane
{

class FTypeboundProc
{
public:
    QString name;        // the implementing procedure (after "=>"), or the binding name itself
    QString bindingName; // the name before "=>"; the generic name once bindings are resolved
    std::optional<QStringList> attributes;
    bool pass = true; // false for NOPASS bindings
    QString access;   // not filled by the parser
};

} // namespace corvane
