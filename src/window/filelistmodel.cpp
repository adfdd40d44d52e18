#include "window/filelistmodel.h"

#include "project/fortranfile.h"
#include "project/mydocument.h"
#include "window/windowicons.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace corvane
{

FileListModel::FileListModel(MyDocument *document, QObject *parent)
    : QAbstractListModel(parent), m_document(document),
      m_modifiedIcon(corvaneIcon(IconName::FileModified)),
      m_lostIcon(corvaneIcon(IconName::FileLost))
{
    for (const auto &f : m_document->projectFiles())
        m_rows.append(f.get());
}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    FortranFile *file = fileAt(index.row());
    if (!file || index.column() != 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return QFileInfo(file->filePath()).fileName();
    case Qt::ToolTipRole:
        return file->filePath();
    case Qt::DecorationRole:
        if (file->fileState() == FortranFile::Modified)
            return m_modifiedIcon;
        if (file->fileState() == FortranFile::Lost)
            return m_lostIcon;
        return {};
    default:
        return {};
    }
}

Qt::ItemFlags FileListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
}

QStringList FileListModel::mimeTypes() const
{
    return {"text/uri-list"};
}

Qt::DropActions FileListModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::LinkAction;
}

QStringList FileListModel::droppedPaths(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    QStringList paths;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        paths << url.toLocalFile();
    }
    return paths;
}

bool FileListModel::canDropMimeData(const QMimeData *data, Qt::DropAction, int, int,
                                    const QModelIndex &) const
{
    return !droppedPaths(data).isEmpty();
}

bool FileListModel::dropMimeData(const QMimeData *data, Qt::DropAction, int, int,
                                 const QModelIndex &)
{
    const QStringList paths = droppedPaths(data);
    if (paths.isEmpty() || !m_dropHandler)
        return false;
    return m_dropHandler(paths) > 0;
}

void FileListModel::setDropHandler(std::function<int(const QStringList &)> handler)
{
    m_dropHandler = std::move(handler);
}

void FileListModel::reload()
{
    QList<FortranFile *> rows;
    for (const auto &f : m_document->projectFiles())
        rows.append(f.get());
    if (rows != m_rows) {
        beginResetModel();
        m_rows = rows;
        endResetModel();
    } else if (!m_rows.isEmpty()) {
        emit dataChanged(index(0), index(int(m_rows.size()) - 1));
    }
}

FortranFile *FileListModel::fileAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row) : nullptr;
}

int FileListModel::rowOf(const FortranFile *file) const
{
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows.at(i) == file)
            return i;
    return -1;
}

} // namespace corvane
