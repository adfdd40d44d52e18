// The classes the project file archives beside the plain value types: CorvaneNote and
// FindResult, and the conversion of the errors dictionary to and from archived values.
#pragma once

#include "project/findresult.h"
#include "project/keyedarchive.h"

#include <QVariant>

namespace corvane
{

// The coder for values of a meta type / for an archived class name, or nullptr. CorvaneNote and
// FindResult are always there; KeyedArchive::registerClass adds others.
const KeyedArchive::ClassCoder *classCoderForType(int typeId);
const KeyedArchive::ClassCoder *classCoderNamed(const QString &name);
void addClassCoder(int typeId, const KeyedArchive::ClassCoder &coder);

// path -> list of FindResult values, and back. Rows that are not FindResult are passed over.
QVariant errorsDictionaryToVariant(const ErrorsDictionary &errors);
ErrorsDictionary errorsDictionaryFromVariant(const QVariant &value);

} // namespace corvane
