// FindResultsModel: the find outline's rows as a two-level item model. One top-level item per file
// node (the file's name, or the reason it could not be read), one child per match ("line: text").
// The rows themselves stay plain FindResult records; the view only draws them.
#pragma once

#include "build/projectfind.h"

#include <QAbstractItemModel>

namespace corvane
{

class FindResultsModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    using QAbstractItemModel::QAbstractItemModel;

    void setFiles(QList<FoundFile> files);
    const QList<FoundFile> &files() const { return m_files; }
    // The record an item stands for: a file's header row or a match row; none for an invalid index.
    std::optional<FindResult> rowAt(const QModelIndex &index) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    // A top-level item's internal id is 0; a match's is its file's row + 1.
    QList<FoundFile> m_files;
};

} // namespace corvane
