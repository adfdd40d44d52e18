// FindResult: one compiler diagnostic or one find-in-project hit, and the errors dictionary
// (file path -> rows sorted by line). Stored in the project file under the class name "FindResult".
// It lives with the project model because the project file stores it; the diagnostics parser and
// find-in-project (build layer) make the rows.
#pragma once

#include "settings/orderedmap.h"

#include <QFileInfo>
#include <QList>
#include <QString>

namespace corvane {

struct FindResult {
    QString filePath;
    QString lineText;
    quint64 lineNumber = 1;
    quint64 columnNumber = 0;
    qint64 resultType = 0; // 0 file header row, 1 a row for one line
    qint64 errorType = 2;  // 1 warning, 2 error

    FindResult() = default;
    // A row for one line: resultType 1, errorType 2.
    FindResult(QString path, QString text, quint64 line, quint64 column)
        : filePath(std::move(path)), lineText(std::move(text)), lineNumber(line),
          columnNumber(column), resultType(1)
    {
    }
    // A file header row: the text is the path's last component, resultType 0.
    static FindResult header(const QString &path)
    {
        FindResult r(path, QString(), 1, 0);
        r.lineText = QFileInfo(path).fileName();
        r.resultType = 0;
        return r;
    }

    bool operator==(const FindResult &) const = default;
};

// File path -> rows (resultType 1) sorted by lineNumber, same-line rows in output order.
using ErrorsDictionary = OrderedMap<QList<FindResult>>;

} // namespace corvane
