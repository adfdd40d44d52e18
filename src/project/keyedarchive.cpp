#include "keyedarchive.h"

#include "project/archivecoders.h"
#include "settings/plistptr.h"
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


bool isIntegerType(int id)
{
    switch (id) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------------
// Writing

class Encoder
{
public:
    Encoder() { m_objects.push_back(plist_new_string("$null")); }
    ~Encoder()
    {
        for (plist_t node : m_objects)
            plist_free(node);
    }
    Encoder(const Encoder &) = delete;
    Encoder &operator=(const Encoder &) = delete;

    // Appends value's object and returns its UID.
    std::optional<uint64_t> object(const QVariant &v, int depth)
    {
        if (depth > KeyedArchive::kMaxDepth) {
            m_error = "the value is nested too deeply";
            return std::nullopt;
        }
        const int id = v.typeId();
        if (!v.isValid())
            return 0;
        if (id == QMetaType::QString) {
            const QString s = v.toString();
            if (auto it = m_strings.constFind(s); it != m_strings.constEnd())
                return *it;
            const uint64_t uid = append(plist_new_string(s.toUtf8().constData()));
            m_strings.insert(s, uid);
            return uid;
        }
        if (plist_t inlineValue = primitive(v))
            return append(inlineValue);
        if (id == QMetaType::QDateTime) {
            plist_t d = plist_new_dict();
            const double t = v.toDateTime().toMSecsSinceEpoch() / 1000.0 - kReferenceDateOffset;
            plist_dict_set_item(d, "NS.time", plist_new_real(t));
            setClass(d, {"NSDate", "NSObject"});
            return append(d);
        }
        if (id == QMetaType::QVariantList || id == QMetaType::QStringList) {
            const uint64_t uid = reserve();
            plist_t refs = plist_new_array();
            for (const QVariant &item : v.toList()) {
                auto r = object(item, depth + 1);
                if (!r) {
                    plist_free(refs);
                    return std::nullopt;
                }
                plist_array_append_item(refs, plist_new_uid(*r));
            }
            plist_t d = plist_new_dict();
            plist_dict_set_item(d, "NS.objects", refs);
            setClass(d, {"NSArray", "NSObject"});
            return fill(uid, d);
        }
        if (id == QMetaType::QVariantMap) {
            const uint64_t uid = reserve();
            plist_t keys = plist_new_array();
            plist_t values = plist_new_array();
            PlistPtr holdKeys(keys), holdValues(values);
            const QVariantMap map = v.toMap();
            for (auto it = map.cbegin(); it != map.cend(); ++it) {
                auto k = object(it.key(), depth + 1);
                auto o = k ? object(it.value(), depth + 1) : std::nullopt;
                if (!o)
                    return std::nullopt;
                plist_array_append_item(keys, plist_new_uid(*k));
                plist_array_append_item(values, plist_new_uid(*o));
            }
            plist_t d = plist_new_dict();
            plist_dict_set_item(d, "NS.keys", holdKeys.release());
            plist_dict_set_item(d, "NS.objects", holdValues.release());
            setClass(d, {"NSMutableDictionary", "NSDictionary", "NSObject"});
            return fill(uid, d);
        }
        if (id == QMetaType::fromType<TextRange>().id()) {
            const TextRange r = v.value<TextRange>();
            plist_t d = plist_new_dict();
            plist_dict_set_item(d, "NS.rangeval.location", plist_new_uint(r.location));
            plist_dict_set_item(d, "NS.rangeval.length", plist_new_uint(r.length));
            plist_dict_set_item(d, "NS.special", plist_new_uint(4));
            setClass(d, {"NSValue", "NSObject"});
            return append(d);
        }
        if (id == QMetaType::QRectF || id == QMetaType::QRect) {
            const QRectF r = v.toRectF();
            const QString text = QString("{{%1, %2}, {%3, %4}}")
                                     .arg(r.x(), 0, 'g', 15)
                                     .arg(r.y(), 0, 'g', 15)
                                     .arg(r.width(), 0, 'g', 15)
                                     .arg(r.height(), 0, 'g', 15);
            plist_t d = plist_new_dict();
            plist_dict_set_item(d, "NS.rectval", plist_new_string(text.toUtf8().constData()));
            plist_dict_set_item(d, "NS.special", plist_new_uint(3));
            setClass(d, {"NSValue", "NSObject"});
            return append(d);
        }
        const KeyedArchive::ClassCoder *coder = classCoderForType(id);
        if (!coder) {
            m_error = QString("values of type %1 cannot be archived").arg(v.typeName());
            return std::nullopt;
        }
        const uint64_t uid = reserve();
        const QVariantMap fields = coder->encode(v);
        plist_t d = plist_new_dict();
        PlistPtr hold(d);
        for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
            const QByteArray key = it.key().toUtf8();
            // Numbers and flags are stored inline, as encodeInteger:/encodeBool: store them.
            const int fieldType = it.value().typeId();
            if (fieldType != QMetaType::QByteArray) {
                if (plist_t p = primitive(it.value())) {
                    plist_dict_set_item(d, key.constData(), p);
                    continue;
                }
            }
            auto r = object(it.value(), depth + 1);
            if (!r)
                return std::nullopt;
            plist_dict_set_item(d, key.constData(), plist_new_uid(*r));
        }
        setClass(d, coder->classes);
        return fill(uid, static_cast<plist_t>(hold.release()));
    }

    Result<QByteArray> finish(uint64_t root)
    {
        plist_t top = plist_new_dict();
        PlistPtr holdTop(top);
        plist_dict_set_item(top, "$archiver", plist_new_string("NSKeyedArchiver"));
        plist_dict_set_item(top, "$version", plist_new_uint(100000));
        plist_t t = plist_new_dict();
        plist_dict_set_item(t, "root", plist_new_uid(root));
        plist_dict_set_item(top, "$top", t);
        // libplist arrays are lists: build $objects once at the end rather than indexing into it.
        plist_t objects = plist_new_array();
        for (plist_t node : m_objects)
            plist_array_append_item(objects, node);
        m_objects.clear();
        plist_dict_set_item(top, "$objects", objects);
        char *bytes = nullptr;
        uint32_t length = 0;
        plist_to_bin(top, &bytes, &length);
        if (!bytes)
            return Error{"the property list could not be written"};
        QByteArray out(bytes, qsizetype(length));
        plist_to_bin_free(bytes);
        return out;
    }

    QString m_error;

private:
    // Numbers, flags and data as plist values; nullptr for anything else.
    static plist_t primitive(const QVariant &v)
    {
        const int id = v.typeId();
        if (id == QMetaType::Bool)
            return plist_new_bool(v.toBool());
        if (isIntegerType(id))
            return plist_new_uint(uint64_t(v.toLongLong()));
        if (id == QMetaType::Double || id == QMetaType::Float)
            return plist_new_real(v.toDouble());
        if (id == QMetaType::QByteArray) {
            const QByteArray b = v.toByteArray();
            return plist_new_data(b.constData(), uint64_t(b.size()));
        }
        return nullptr;
    }

    uint64_t append(plist_t node)
    {
        m_objects.push_back(node);
        return m_objects.size() - 1;
    }
    // Containers take their UID before their members, as the platform's archiver numbers them.
    uint64_t reserve() { return append(nullptr); }
    uint64_t fill(uint64_t uid, plist_t node)
    {
        m_objects[uid] = node;
        return uid;
    }
    void setClass(plist_t dict, const QStringList &classes)
    {
        const QString name = classes.value(0);
        uint64_t uid = 0;
        if (auto it = m_classes.constFind(name); it != m_classes.constEnd()) {
            uid = *it;
        } else {
            plist_t c = plist_new_dict();
            plist_t chain = plist_new_array();
            for (const QString &s : classes)
                plist_array_append_item(chain, plist_new_string(s.toUtf8().constData()));
            plist_dict_set_item(c, "$classes", chain);
            plist_dict_set_item(c, "$classname", plist_new_string(name.toUtf8().constData()));
            uid = append(c);
            m_classes.insert(name, uid);
        }
        plist_dict_set_item(dict, "$class", plist_new_uid(uid));
    }

    std::vector<plist_t> m_objects;
    QHash<QString, uint64_t> m_strings;
    QHash<QString, uint64_t> m_classes;
};

} // namespace

void KeyedArchive::registerClass(QMetaType type, const ClassCoder &coder)
{
    addClassCoder(type.id(), coder);
}

Result<QByteArray> KeyedArchive::encode(const QVariant &root)
{
    Encoder encoder;
    const std::optional<uint64_t> uid = encoder.object(root, 0);
    if (!uid)
        return Error{encoder.m_error};
    return encoder.finish(*uid);
}

} // namespace corvane
