#include "window/findresultsmodel.h"

namespace corvane
{

void FindResultsModel::setFiles(QList<FoundFile> files)
{
    beginResetModel();
    m_files = std::move(files);
    endResetModel();
}

std::optional<FindResult> FindResultsModel::rowAt(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return std::nullopt;
    if (index.internalId() == 0)
        return m_files.at(index.row()).header;
    return m_files.at(int(index.internalId()) - 1).matches.at(index.row());
}

QModelIndex FindResultsModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row < m_files.size() ? createIndex(row, 0, quintptr(0)) : QModelIndex();
    if (parent.internalId() != 0 || row >= m_files.at(parent.row()).matches.size())
        return {};
    return createIndex(row, 0, quintptr(parent.row() + 1));
}

QModelIndex FindResultsModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == 0)
        return {};
    return createIndex(int(child.internalId()) - 1, 0, quintptr(0));
}

int FindResultsModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return int(m_files.size());
    if (parent.column() != 0 || parent.internalId() != 0)
        return 0;
    return int(m_files.at(parent.row()).matches.size());
}

int FindResultsModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant FindResultsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (index.internalId() == 0) {
        const FoundFile &file = m_files.at(index.row());
        if (role == Qt::DisplayRole)
            return file.error.isEmpty() ? file.header.lineText : file.error;
        if (role == Qt::ToolTipRole)
            return file.header.filePath;
        return {};
    }
    const FindResult &row = m_files.at(int(index.internalId()) - 1).matches.at(index.row());
    if (role == Qt::DisplayRole)
        return QString::number(row.lineNumber) + QStringLiteral(": ") + row.lineText;
    if (role == Qt::ToolTipRole)
        return row.lineText;
    return {};
}

} // namespace corvane
