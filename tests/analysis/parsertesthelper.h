// Helpers for parser tests: parse inline Fortran and query the JSON form of the result with
// slash-separated paths ("modules/m/procedures/s/argumentList").
#pragma once

#include "analysis/declarationjson.h"
#include "analysis/ffileparser.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace corvane::test
{

inline std::shared_ptr<FFileDeclarations> parseFortran(const QString &source, bool freeForm = true,
                                                       const QString &path = "/p/src.f90")
{
    FFileParser parser;
    return parser.declarationsInFortranFile(path, source, freeForm ? 1 : 0);
}

inline QJsonObject parseToJson(const QString &source, bool freeForm = true)
{
    const QString json = declarationsJson(*parseFortran(source, freeForm));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << qPrintable(json);
    return doc.object();
}

// The value at path rendered compactly ("\"real\"", "[\"a\",\"b\"]", "true"), or "<absent>".
// Path segments index objects by key and arrays by number.
inline QString jsonAt(const QJsonObject &root, const QString &path)
{
    QJsonValue v = root;
    for (const QString &segment : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (v.isObject()) {
            const QJsonObject o = v.toObject();
            if (!o.contains(segment))
                return QStringLiteral("<absent>");
            v = o.value(segment);
        } else if (v.isArray()) {
            bool ok = false;
            const int i = segment.toInt(&ok);
            const QJsonArray a = v.toArray();
            if (!ok || i < 0 || i >= a.size())
                return QStringLiteral("<absent>");
            v = a.at(i);
        } else {
            return QStringLiteral("<absent>");
        }
    }
    if (v.isObject())
        return QString::fromUtf8(QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact));
    if (v.isArray())
        return QString::fromUtf8(QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact));
    QJsonArray wrap{v};
    const QString s = QString::fromUtf8(QJsonDocument(wrap).toJson(QJsonDocument::Compact));
    return s.mid(1, s.size() - 2);
}

// want rendered the way jsonAt renders values, so objects compare whatever their key order.
inline QString normalisedJson(const QString &want)
{
    if (want == QStringLiteral("<absent>"))
        return want;
    const QJsonDocument doc = QJsonDocument::fromJson(("[" + want + "]").toUtf8());
    if (!doc.isArray() || doc.array().size() != 1)
        return QStringLiteral("<bad expectation> ") + want;
    QJsonObject root;
    root.insert(QStringLiteral("v"), doc.array().at(0));
    return jsonAt(root, QStringLiteral("v"));
}

struct Expectation {
    const char *path;
    const char *want; // compact JSON, or "<absent>"
};

struct ParseCase {
    const char *name;
    const char *source;
    std::vector<Expectation> expect;
    bool freeForm = true;
};

inline void checkParseCases(const std::vector<ParseCase> &cases)
{
    for (const ParseCase &c : cases) {
        SCOPED_TRACE(c.name);
        const QJsonObject root = parseToJson(QString::fromUtf8(c.source), c.freeForm);
        for (const Expectation &e : c.expect)
            EXPECT_EQ(jsonAt(root, QString::fromUtf8(e.path)).toStdString(),
                      normalisedJson(QString::fromUtf8(e.want)).toStdString())
                << "at " << e.path << "\nin "
                << QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
    }
}

} // namespace corvane::test
