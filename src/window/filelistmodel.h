// FileListModel: the project window's file list, one row per source record of the document in
// its order, named by the last path component, with an icon for modified and lost files. Accepts
// dropped files and folders and hands their paths to the window.
#pragma once

#include <QAbstractListModel>
#include <QIcon>

#include <functional>

namespace corvane
{

class FortranFile;
class MyDocument;

class FileListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit FileListModel(MyDocument *document, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    QStringList mimeTypes() const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;

    // Receives the dropped local paths; returns how many files were added.
    void setDropHandler(std::function<int(const QStringList &)> handler);

    // Follows the document: a changed row set resets the model, otherwise only the texts and
    // icons are refreshed so that the view keeps its selection.
    void reload();
    FortranFile *fileAt(int row) const;
    int rowOf(const FortranFile *file) const;

    // Local paths of a drop, or empty when any item is not a local file name.
    static QStringList droppedPaths(const QMimeData *data);

private:
    MyDocument *m_document;
    QList<FortranFile *> m_rows;
    QIcon m_modifiedIcon, m_lostIcon;
    std::function<int(const QStringList &)> m_dropHandler;
};

} // namespace corvane
