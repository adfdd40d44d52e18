// CompletionPopup: the list of completion candidates shown under the caret. It never takes the
// keyboard: the text view keeps the focus and moves the list's current row (Up, Down, Page Up,
// Page Down), so typing goes on in the text. A click on a row makes it current, a double click
// accepts it.
#pragma once

#include <QListWidget>

namespace corvane
{

class CompletionPopup : public QListWidget
{
    Q_OBJECT
public:
    explicit CompletionPopup(QWidget *owner);

    // Shows candidates with the first current, its top-left corner at the global point (moved
    // above the line, whose height is lineHeight, when the screen has no room below).
    void open(const QStringList &candidates, QPoint globalBelowLine, int lineHeight);
    // Moves the current row by delta rows (clamped); true when it moved.
    bool moveCurrent(int delta);
    int rowsPerPage() const;

signals:
    // The user made a row current by clicking it.
    void rowClicked(int row);
    // The user double-clicked a row.
    void rowAccepted(int row);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};

} // namespace corvane
