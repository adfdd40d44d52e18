// FileNameField: the file list pane's field for finding a project file by name. While the user
// types it offers the project's file names containing the text (from two characters on, any
// letter case, in project order, none preselected); Enter, or choosing an offered name, asks for
// the file.
#pragma once

#include <QLineEdit>

class QCompleter;
class QStringListModel;

namespace corvane
{

class FileNameField : public QLineEdit
{
    Q_OBJECT
public:
    explicit FileNameField(QWidget *parent = nullptr);

    // The names offered (last path components in project order); empty when the project has none.
    void setFileNames(const QStringList &names);
    const QStringList &fileNames() const { return m_fileNames; }
    QCompleter *completions() const { return m_completer; }
    // The names the completion list offers now (empty while it is hidden).
    QStringList offeredNames() const;

signals:
    // Enter was pressed or a name chosen from the list; text is the field's text then.
    void fileChosen(const QString &text);

private:
    void offerCompletions(const QString &text);

    QStringList m_fileNames;
    QStringListModel *m_offered;
    QCompleter *m_completer;
    bool m_chosenFromList = false; // the Enter that chose from the list also reaches the field
};

} // namespace corvane
