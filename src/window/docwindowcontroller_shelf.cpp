// The project window's bookmark shelf: the bar above the work area, fed with the project's saved
// bookmarks, choosing a bookmark selects its file, and a changed shelf marks the project changed.
#include "window/docwindowcontroller.h"

#include "project/mydocument.h"
#include "shelf/tovshelfcontroller.h"
#include "shelf/tovshelfview.h"
#include "window/projectshelfdelegate.h"

namespace corvane
{

QWidget *DocWindowController::setUpShelf()
{
    auto *bar = new TovShelfView;
    m_shelfDelegate = std::make_unique<ProjectShelfDelegate>(*this);
    m_shelf = new TovShelfController(bar, m_shelfDelegate.get(), this);
    connect(m_shelf, &TovShelfController::bookmarkWasSelected, this,
            &DocWindowController::selectBookmarkedFile);
    connect(m_shelf, &TovShelfController::bookmarksWereChanged, m_document.get(),
            &MyDocument::documentHasChanged);
    if (m_document->shelfFiles())
        m_shelf->addBookmarksWithNames(*m_document->shelfFiles());
    // Adding needs a file in the editor (validateCommands follows it from here on).
    m_shelf->enableAddingBookmarks(false);
    return bar;
}

void DocWindowController::selectBookmarkedFile()
{
    changeEditorToFileNamed(m_shelf->selectedBookmark());
}

} // namespace corvane
