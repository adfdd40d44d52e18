// KeyedArchive::decode: reading a keyed archive from a binary or XML property list. Every object
// reference is checked (range, cycles, depth, total count) so that a damaged or hostile file gives
// a message instead of a crash or an endless loop.
#include "keyedarchive.h"

#include "project/archivecoders.h"
#include "settings/plistptr.h"
#include "project/plistguard.h"
#include "project/textrange.h"

#include <QDateTime>
#include <QHash>
#include <QRectF>
#include <QRegularExpression>
#include <QSet>

#include <plist/plist.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace corvane
{

namespace
{


QString stringOf(plist_t node)
{
    uint64_t length = 0;
    const char *p = plist_get_string_ptr(node, &length);
    return p ? QString::fromUtf8(p, qsizetype(length)) : QString("");
}

bool isType(plist_t node, plist_type type)
{
    return node && plist_get_node_type(node) == type;
}

// A UID, or (as XML property lists spell one) a dictionary whose only key is "CF$UID".
bool uidOf(plist_t node, uint64_t &uid)
{
    if (isType(node, PLIST_UID)) {
        plist_get_uid_val(node, &uid);
        return true;
    }
    if (isType(node, PLIST_DICT) && plist_dict_get_size(node) == 1) {
        plist_t v = plist_dict_get_item(node, "CF$UID");
        if (isType(v, PLIST_UINT)) {
            plist_get_uint_val(v, &uid);
            return true;
        }
    }
    return false;
}

// The keys of a plist dictionary, in its order.
QList<QByteArray> dictKeys(plist_t dict)
{
    QList<QByteArray> keys;
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(dict, &it);
    if (!it)
        return keys;
    for (;;) {
        char *key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(dict, it, &key, &value);
        if (!key)
            break;
        keys << QByteArray(key);
        std::free(key);
    }
    std::free(it);
    return keys;
}

class Decoder
{
public:
    // libplist arrays are lists, slow to index: the objects are collected once.
    explicit Decoder(plist_t objects)
    {
        plist_array_iter it = nullptr;
        plist_array_new_iter(objects, &it);
        if (!it)
            return;
        for (;;) {
            plist_t item = nullptr;
            plist_array_next_item(objects, it, &item);
            if (!item)
                break;
            m_objects.push_back(item);
        }
        std::free(it);
        m_count = m_objects.size();
    }

    // A field value: a UID refers to an object, anything else is an inline value.
    std::optional<QVariant> value(plist_t node, int depth)
    {
        uint64_t uid = 0;
        if (uidOf(node, uid))
            return object(uid, depth);
        return inlineValue(node);
    }

    std::optional<QVariant> object(uint64_t uid, int depth)
    {
        if (uid == 0)
            return QVariant();
        if (uid >= m_count)
            return fail(
                QString("object reference %1 is out of range (%2 objects)").arg(uid).arg(m_count));
        if (depth > KeyedArchive::kMaxDepth)
            return fail("objects are nested too deeply");
        if (m_active.contains(uid))
            return fail(QString("object %1 contains itself").arg(uid));
        m_active.insert(uid);
        std::optional<QVariant> result = decodeObject(m_objects[uid], depth);
        m_active.remove(uid);
        return result;
    }

    QString m_error;

private:
    std::optional<QVariant> fail(const QString &message)
    {
        if (m_error.isEmpty())
            m_error = message;
        return std::nullopt;
    }

    bool step()
    {
        if (++m_steps > KeyedArchive::kMaxDecodedValues) {
            fail("the archive holds too many objects");
            return false;
        }
        return true;
    }

    std::optional<QVariant> inlineValue(plist_t node)
    {
        if (!step())
            return std::nullopt;
        switch (node ? plist_get_node_type(node) : PLIST_NONE) {
        case PLIST_STRING:
            return QVariant(stringOf(node));
        case PLIST_BOOLEAN: {
            uint8_t b = 0;
            plist_get_bool_val(node, &b);
            return QVariant(bool(b));
        }
        case PLIST_UINT: {
            uint64_t u = 0;
            plist_get_uint_val(node, &u);
            return QVariant(qint64(u));
        }
        case PLIST_REAL: {
            double d = 0;
            plist_get_real_val(node, &d);
            return QVariant(d);
        }
        case PLIST_DATA: {
            uint64_t length = 0;
            const char *p = plist_get_data_ptr(node, &length);
            return QVariant(p ? QByteArray(p, qsizetype(length)) : QByteArray(""));
        }
        case PLIST_DATE: {
            int32_t sec = 0, usec = 0;
            plist_get_date_val(node, &sec, &usec);
            const double t = sec + usec / 1e6 + kReferenceDateOffset;
            return QVariant(QDateTime::fromMSecsSinceEpoch(qint64(t * 1000.0)));
        }
        default:
            return QVariant(); // arrays and dictionaries are not inline values of an archive
        }
    }

    // The objects an NS.objects / NS.keys array refers to.
    std::optional<QVariantList> list(plist_t refs, int depth)
    {
        QVariantList out;
        if (!isType(refs, PLIST_ARRAY))
            return out;
        plist_array_iter it = nullptr;
        plist_array_new_iter(refs, &it);
        if (!it)
            return out;
        std::unique_ptr<void, decltype(&std::free)> holdIter(it, &std::free);
        for (;;) {
            plist_t item = nullptr;
            plist_array_next_item(refs, it, &item);
            if (!item)
                break;
            auto v = value(item, depth + 1);
            if (!v)
                return std::nullopt;
            out << *v;
        }
        return out;
    }

    std::optional<QVariant> decodeObject(plist_t node, int depth)
    {
        if (!isType(node, PLIST_DICT))
            return inlineValue(node);
        if (!step())
            return std::nullopt;
        plist_t classRef = plist_dict_get_item(node, "$class");
        uint64_t classUid = 0;
        if (!uidOf(classRef, classUid))
            return QVariant(); // not an archived object: passed over
        if (classUid == 0 || classUid >= m_count)
            return fail(QString("class reference %1 is out of range").arg(classUid));
        plist_t classDict = m_objects[classUid];
        plist_t nameNode =
            isType(classDict, PLIST_DICT) ? plist_dict_get_item(classDict, "$classname") : nullptr;
        if (!isType(nameNode, PLIST_STRING))
            return fail(QString("object %1 has no class name").arg(classUid));
        const QString name = stringOf(nameNode);

        if (name == "NSArray" || name == "NSMutableArray" || name == "NSSet" ||
            name == "NSMutableSet" || name == "NSOrderedSet" || name == "NSMutableOrderedSet") {
            auto items = list(plist_dict_get_item(node, "NS.objects"), depth);
            if (!items)
                return std::nullopt;
            return QVariant(*items);
        }
        if (name == "NSDictionary" || name == "NSMutableDictionary") {
            auto keys = list(plist_dict_get_item(node, "NS.keys"), depth);
            if (!keys)
                return std::nullopt;
            auto values = list(plist_dict_get_item(node, "NS.objects"), depth);
            if (!values)
                return std::nullopt;
            QVariantMap map;
            for (qsizetype i = 0; i < keys->size() && i < values->size(); ++i)
                if (keys->at(i).typeId() == QMetaType::QString)
                    map.insert(keys->at(i).toString(), values->at(i));
            return QVariant(map);
        }
        if (name == "NSString" || name == "NSMutableString") {
            plist_t s = plist_dict_get_item(node, "NS.string");
            if (isType(s, PLIST_STRING))
                return QVariant(stringOf(s));
            uint64_t length = 0;
            plist_t b = plist_dict_get_item(node, "NS.bytes");
            const char *p = isType(b, PLIST_DATA) ? plist_get_data_ptr(b, &length) : nullptr;
            return QVariant(QString::fromUtf8(p ? p : "", qsizetype(length)));
        }
        if (name == "NSData" || name == "NSMutableData") {
            auto v = value(plist_dict_get_item(node, "NS.data"), depth + 1);
            if (!v)
                return std::nullopt;
            return v->typeId() == QMetaType::QByteArray ? *v : QVariant(QByteArray(""));
        }
        if (name == "NSDate") {
            plist_t t = plist_dict_get_item(node, "NS.time");
            double seconds = 0;
            if (isType(t, PLIST_REAL))
                plist_get_real_val(t, &seconds);
            return QVariant(
                QDateTime::fromMSecsSinceEpoch(qint64((seconds + kReferenceDateOffset) * 1000.0)));
        }
        if (name == "NSValue")
            return nsValue(node);
        if (name == "NSNull")
            return QVariant();

        const KeyedArchive::ClassCoder *coder = classCoderNamed(name);
        if (!coder)
            return QVariant(); // a class we do not know: passed over
        QVariantMap fields;
        for (const QByteArray &key : dictKeys(node)) {
            if (key == "$class")
                continue;
            auto v = value(plist_dict_get_item(node, key.constData()), depth + 1);
            if (!v)
                return std::nullopt;
            fields.insert(QString::fromUtf8(key), *v);
        }
        return coder->decode(fields).value_or(QVariant());
    }

    static std::optional<QVariant> nsValue(plist_t node)
    {
        plist_t location = plist_dict_get_item(node, "NS.rangeval.location");
        plist_t length = plist_dict_get_item(node, "NS.rangeval.length");
        if (isType(location, PLIST_UINT) || isType(length, PLIST_UINT)) {
            uint64_t loc = 0, len = 0;
            if (isType(location, PLIST_UINT))
                plist_get_uint_val(location, &loc);
            if (isType(length, PLIST_UINT))
                plist_get_uint_val(length, &len);
            return QVariant::fromValue(TextRange{loc, len});
        }
        plist_t rect = plist_dict_get_item(node, "NS.rectval");
        if (isType(rect, PLIST_STRING)) {
            static const QRegularExpression number("[-+]?[0-9]*\\.?[0-9]+(?:[eE][-+]?[0-9]+)?");
            QList<double> n;
            auto it = number.globalMatch(stringOf(rect));
            while (it.hasNext() && n.size() < 4)
                n << it.next().captured().toDouble();
            while (n.size() < 4)
                n << 0.0;
            return QVariant(QRectF(n[0], n[1], n[2], n[3]));
        }
        return QVariant();
    }

    std::vector<plist_t> m_objects;
    uint64_t m_count = 0;
    QSet<uint64_t> m_active;
    qint64 m_steps = 0;
};

} // namespace

Result<QVariant> KeyedArchive::decode(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return Error{"the file is empty"};
    if (bytes.size() > kMaxBytes)
        return Error{"the file is too large to be a project"};
    if (auto problem = plistSafetyProblem(bytes))
        return Error{*problem};
    plist_t rootNode = nullptr;
    if (bytes.startsWith("bplist00"))
        plist_from_bin(bytes.constData(), uint32_t(bytes.size()), &rootNode);
    else
        plist_from_xml(bytes.constData(), uint32_t(bytes.size()), &rootNode);
    if (!rootNode)
        return Error{"not a property list, or a damaged one"};
    PlistPtr root(rootNode);
    if (!isType(rootNode, PLIST_DICT))
        return Error{"not a keyed archive (the property list is not a dictionary)"};
    plist_t archiver = plist_dict_get_item(rootNode, "$archiver");
    if (!isType(archiver, PLIST_STRING) || stringOf(archiver) != "NSKeyedArchiver")
        return Error{"not a keyed archive (no \"$archiver\" NSKeyedArchiver)"};
    plist_t objects = plist_dict_get_item(rootNode, "$objects");
    if (!isType(objects, PLIST_ARRAY) || plist_array_get_size(objects) == 0)
        return Error{"not a keyed archive (no \"$objects\")"};
    plist_t top = plist_dict_get_item(rootNode, "$top");
    plist_t rootRef = isType(top, PLIST_DICT) ? plist_dict_get_item(top, "root") : nullptr;
    uint64_t rootUid = 0;
    if (!uidOf(rootRef, rootUid))
        return Error{"not a keyed archive (no root object in \"$top\")"};
    Decoder decoder(objects);
    std::optional<QVariant> result = decoder.object(rootUid, 0);
    if (!result)
        return Error{"damaged archive: " + decoder.m_error};
    return *result;
}

} // namespace corvane
