// TovShelfView: the shelf bar above the project's work area: a light grey gradient with the add
// button at the left, the row of bookmark buttons, and at the right the overflow arrow and the
// overflow button whose menu lists the bookmarks that do not fit.
#pragma once

#include <QColor>
#include <QWidget>

class QMenu;
class QToolButton;

namespace corvane
{

class TovRearrangableMatrix;

class TovShelfView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kHeight = 30;
    static constexpr int kMargin = 4;
    static constexpr int kButtonSize = 22;
    static constexpr int kArrowWidth = 14;

    explicit TovShelfView(QWidget *parent = nullptr);

    TovRearrangableMatrix *matrix() const { return m_matrix; }
    QToolButton *addButton() const { return m_addButton; }
    QToolButton *overflowButton() const { return m_overflowButton; }
    QWidget *overflowArrow() const { return m_overflowArrow; }
    QMenu *overflowMenu() const { return m_overflowMenu; }

    // From the matrix's left edge to the overflow arrow's left edge.
    int usableWidth() const;
    // The bar's width right of the matrix's left edge.
    int availableWidth() const;
    void setOverflowShown(bool shown);

    QColor startingColor() const { return m_startingColor; }
    QColor endingColor() const { return m_endingColor; }
    qreal angle() const { return 90; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The bar's frame changed: the controller lays the shelf out again.
    void frameChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeChildren();

    TovRearrangableMatrix *m_matrix;
    QToolButton *m_addButton;
    QToolButton *m_overflowButton;
    QWidget *m_overflowArrow;
    QMenu *m_overflowMenu;
    QColor m_startingColor{0xd4, 0xd4, 0xd4};
    QColor m_endingColor{0xf0, 0xf0, 0xf0};
};

} // namespace corvane
