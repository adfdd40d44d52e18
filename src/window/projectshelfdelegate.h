// ProjectShelfDelegate: what the bookmark shelf asks its project window, answered from the file
// list and the document.
#pragma once

#include "shelf/tovshelfcontroller.h"

namespace corvane
{

class DocWindowController;

class ProjectShelfDelegate : public TovShelfDelegate
{
public:
    explicit ProjectShelfDelegate(DocWindowController &window) : m_window(window) {}
    // The file selected in the list; none for a lost file.
    QString nameForNewShelfItem() override;
    bool shelfItemIsInProject(const QString &path) const override;

private:
    DocWindowController &m_window;
};

} // namespace corvane
