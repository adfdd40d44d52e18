#include "archivecoders.h"

#include "project/corvanenote.h"

#include <QDateTime>
#include <QHash>

namespace corvane
{

namespace
{

KeyedArchive::ClassCoder noteCoder()
{
    KeyedArchive::ClassCoder c;
    c.classes = {"CorvaneNote", "NSObject"};
    c.encode = [](const QVariant &v) {
        const CorvaneNote n = v.value<CorvaneNote>();
        QVariantMap fields;
        fields.insert("date", n.date.isValid() ? QVariant(n.date) : QVariant());
        fields.insert("noteHeader", n.noteHeader.isNull() ? QVariant() : QVariant(n.noteHeader));
        fields.insert("noteText", n.noteText.isNull() ? QVariant() : QVariant(n.noteText));
        return fields;
    };
    c.decode = [](const QVariantMap &f) -> std::optional<QVariant> {
        CorvaneNote n;
        const QVariant date = f.value("date");
        if (date.typeId() == QMetaType::QDateTime)
            n.date = date.toDateTime();
        if (f.value("noteHeader").typeId() == QMetaType::QString)
            n.noteHeader = f.value("noteHeader").toString();
        if (f.value("noteText").typeId() == QMetaType::QString)
            n.noteText = f.value("noteText").toString();
        return QVariant::fromValue(n);
    };
    return c;
}

KeyedArchive::ClassCoder findResultCoder()
{
    KeyedArchive::ClassCoder c;
    c.classes = {"FindResult", "NSObject"};
    c.encode = [](const QVariant &v) {
        const FindResult r = v.value<FindResult>();
        QVariantMap fields;
        fields.insert("filePath", r.filePath.isNull() ? QVariant() : QVariant(r.filePath));
        fields.insert("lineText", r.lineText.isNull() ? QVariant() : QVariant(r.lineText));
        fields.insert("lineNumber", qint64(r.lineNumber));
        fields.insert("columnNumber", qint64(r.columnNumber));
        fields.insert("resultType", r.resultType);
        fields.insert("errorType", r.errorType);
        return fields;
    };
    c.decode = [](const QVariantMap &f) -> std::optional<QVariant> {
        FindResult r;
        if (f.value("filePath").typeId() == QMetaType::QString)
            r.filePath = f.value("filePath").toString();
        if (f.value("lineText").typeId() == QMetaType::QString)
            r.lineText = f.value("lineText").toString();
        // A missing (or non-numeric) number reads as 0, not as the constructor's default.
        auto number = [&](const char *key) -> qint64 {
            const QVariant v = f.value(key);
            switch (v.typeId()) {
            case QMetaType::LongLong:
            case QMetaType::ULongLong:
            case QMetaType::Int:
            case QMetaType::UInt:
                return v.toLongLong();
            default:
                return 0;
            }
        };
        r.lineNumber = quint64(number("lineNumber"));
        r.columnNumber = quint64(number("columnNumber"));
        r.resultType = number("resultType");
        r.errorType = number("errorType");
        return QVariant::fromValue(r);
    };
    return c;
}

struct Registry {
    QHash<int, KeyedArchive::ClassCoder> byType;
    QHash<QString, KeyedArchive::ClassCoder> byName;
    Registry()
    {
        add(QMetaType::fromType<CorvaneNote>().id(), noteCoder());
        add(QMetaType::fromType<FindResult>().id(), findResultCoder());
    }
    void add(int type, const KeyedArchive::ClassCoder &coder)
    {
        byType.insert(type, coder);
        if (!coder.classes.isEmpty())
            byName.insert(coder.classes.first(), coder);
    }
};

Registry &registry()
{
    static Registry r;
    return r;
}

} // namespace

const KeyedArchive::ClassCoder *classCoderForType(int typeId)
{
    auto it = registry().byType.constFind(typeId);
    return it == registry().byType.constEnd() ? nullptr : &*it;
}

const KeyedArchive::ClassCoder *classCoderNamed(const QString &name)
{
    auto it = registry().byName.constFind(name);
    return it == registry().byName.constEnd() ? nullptr : &*it;
}

void addClassCoder(int typeId, const KeyedArchive::ClassCoder &coder)
{
    registry().add(typeId, coder);
}

QVariant errorsDictionaryToVariant(const ErrorsDictionary &errors)
{
    QVariantMap map;
    for (const auto &[path, rows] : errors) {
        QVariantList list;
        for (const FindResult &r : rows)
            list << QVariant::fromValue(r);
        map.insert(path, list);
    }
    return map;
}

ErrorsDictionary errorsDictionaryFromVariant(const QVariant &value)
{
    ErrorsDictionary errors;
    const QVariantMap map = value.toMap();
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (it.value().typeId() != QMetaType::QVariantList)
            continue;
        QList<FindResult> rows;
        for (const QVariant &row : it.value().toList())
            if (row.typeId() == QMetaType::fromType<FindResult>().id())
                rows << row.value<FindResult>();
        errors.insert(it.key(), rows);
    }
    return errors;
}

} // namespace corvane
