#include "window/filehistory.h"

namespace corvane
{

bool FileHistory::add(FortranFile *file)
{
    if (m_files.isEmpty()) {
        m_files.append(file);
        m_index = 0;
        return true;
    }
    if (m_files.at(m_index) == file)
        return false;
    m_files.resize(m_index + 1);
    m_files.append(file);
    m_index = int(m_files.size()) - 1;
    return true;
}

void FileHistory::clear()
{
    m_files.clear();
    m_index = 0;
}

FortranFile *FileHistory::goBack()
{
    if (!canGoBack())
        return nullptr;
    return m_files.at(--m_index);
}

FortranFile *FileHistory::goForward()
{
    if (!canGoForward())
        return nullptr;
    return m_files.at(++m_index);
}

} // namespace corvane
