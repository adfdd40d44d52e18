// FileHistory: the back/forward list of files visited in a project window's editor, oldest first.
// Holds non-owning pointers; the window empties it whenever a file leaves the project.
#pragma once

#include <QList>

namespace corvane
{

class FortranFile;

class FileHistory
{
public:
    // Records a visit. The entry at the current position itself is not recorded again (false);
    // otherwise every entry after the current position is dropped and file becomes the last.
    bool add(FortranFile *file);
    void clear();

    bool isEmpty() const { return m_files.isEmpty(); }
    int count() const { return int(m_files.size()); }
    int index() const { return m_index; }
    const QList<FortranFile *> &files() const { return m_files; }
    FortranFile *current() const { return m_files.isEmpty() ? nullptr : m_files.at(m_index); }

    bool canGoBack() const { return m_index > 0; }
    bool canGoForward() const { return !m_files.isEmpty() && m_index + 1 != m_files.size(); }
    // Moves the position and returns the entry there, or nullptr when it cannot move.
    FortranFile *goBack();
    FortranFile *goForward();

private:
    QList<FortranFile *> m_files;
    int m_index = 0;
};

} // namespace corvane
