// KeyedArchive: the keyed-archive object graph ($archiver "NSKeyedArchiver", $version 100000,
// $top {"root": UID}, $objects with "$null" at index 0, objects referring to each other by UID,
// class entries with $classname/$classes) stored as a property list through libplist. Writing
// gives a binary plist; reading takes binary or XML.
//
// Values are QVariant trees:
//   null QVariant <-> nil (UID 0)       QString <-> string          QByteArray <-> data
//   bool <-> boolean number             integers <-> integer number double <-> real number
//   QVariantList/QStringList <-> NSArray                            QVariantMap <-> NSDictionary
//   QDateTime <-> NSDate                TextRange <-> NSValue range QRectF <-> NSValue rect
//   CorvaneNote <-> "CorvaneNote"       FindResult <-> "FindResult"
// Other classes can be added with registerClass(). Objects of classes nobody knows decode as null.
#pragma once

#include "settings/result.h"

#include <QByteArray>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>

namespace corvane
{

class KeyedArchive
{
public:
    // How one class is written and read: its class chain (first the class itself, e.g.
    // {"CorvaneNote", "NSObject"}), its keyed fields, and the reverse. decode returns nullopt for
    // fields it cannot use (the object then reads as null).
    struct ClassCoder {
        QStringList classes;
        std::function<QVariantMap(const QVariant &value)> encode;
        std::function<std::optional<QVariant>(const QVariantMap &fields)> decode;
    };
    // Registers a coder for values of the given meta type, read back by classes.first().
    static void registerClass(QMetaType type, const ClassCoder &coder);

    // The archive of root as a binary property list.
    static Result<QByteArray> encode(const QVariant &root);
    // Decodes an archive (binary or XML plist). Errors say what is wrong ("not a property list",
    // "not a keyed archive", "object 7 refers to itself", ...), without a file name.
    static Result<QVariant> decode(const QByteArray &bytes);

    // Limits that keep hostile files from exhausting the stack or memory.
    static constexpr int kMaxDepth = 200;
    static constexpr qint64 kMaxDecodedValues = 2'000'000;
    static constexpr qint64 kMaxBytes = 512LL * 1024 * 1024;
};

} // namespace corvane
