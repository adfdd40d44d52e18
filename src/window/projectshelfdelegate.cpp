#include "window/projectshelfdelegate.h"

#include "project/mydocument.h"
#include "window/docwindowcontroller.h"

namespace corvane
{

QString ProjectShelfDelegate::nameForNewShelfItem()
{
    return m_window.document()->selectedFilePathAtIndex(m_window.selectedRow());
}

bool ProjectShelfDelegate::shelfItemIsInProject(const QString &path) const
{
    return m_window.document()->fortranFileNamed(path) != nullptr;
}

} // namespace corvane
