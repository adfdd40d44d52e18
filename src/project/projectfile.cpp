#include "mydocument.h"

namespace corvane
{

Result<std::unique_ptr<MyDocument>> MyDocument::open(const QString &path, Prompts &prompts)
{
    auto doc = std::make_unique<MyDocument>();
    if (Result<void> r = doc->read(path, prompts); !r)
        return Error{r.error()};
    return doc;
}

Result<void> MyDocument::read(const QString &path, Prompts &)
{
    return Error{QString("cannot read %1: not implemented yet").arg(path)};
}

Result<void> MyDocument::write(const QString &path)
{
    return Error{QString("cannot write %1: not implemented yet").arg(path)};
}

} // namespace corvane
