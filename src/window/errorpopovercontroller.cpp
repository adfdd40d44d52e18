#include "window/errorpopovercontroller.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <functional>

namespace corvane
{

namespace
{

constexpr int kArrow = 8;      // the point that reaches the marked line
constexpr int kRadius = 6;
constexpr int kMaxWidth = 720;
constexpr int kBelowMiddle = 7; // from the middle of the marked line to the arrow's point

// The message window: a rounded frame in the fill and border colours with an arrow on its top
// (or, when shown above the line, its bottom) edge pointing at the marked line. A press anywhere
// inside reports a click.
class PopoverFrame : public QWidget
{
public:
    PopoverFrame(QWidget *parent, QColor fill, QColor border, std::function<void()> clicked)
        : QWidget(parent), m_fill(fill), m_border(border), m_clicked(std::move(clicked))
    {
        setObjectName(QStringLiteral("errorPopover"));
        setAttribute(Qt::WA_TranslucentBackground);
        setCursor(Qt::PointingHandCursor);
        setToolTip(tr("Click to close"));
    }
    int arrowX = 0;
    bool arrowOnTop = true;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF body = arrowOnTop ? QRectF(rect()).adjusted(0.5, kArrow + 0.5, -0.5, -0.5)
                                       : QRectF(rect()).adjusted(0.5, 0.5, -0.5, -kArrow - 0.5);
        QPainterPath path;
        path.addRoundedRect(body, kRadius, kRadius);
        const qreal x = qBound(body.left() + kRadius + kArrow, qreal(arrowX),
                               body.right() - kRadius - kArrow);
        const qreal edge = arrowOnTop ? body.top() + 1 : body.bottom() - 1;
        const qreal tip = arrowOnTop ? 0.5 : height() - 0.5;
        QPainterPath arrow;
        arrow.moveTo(x - kArrow, edge);
        arrow.lineTo(x, tip);
        arrow.lineTo(x + kArrow, edge);
        arrow.closeSubpath();
        path = path.united(arrow);
        p.setPen(QPen(m_border, 1.5));
        p.setBrush(m_fill);
        p.drawPath(path);
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        event->accept();
        if (m_clicked)
            m_clicked();
    }

private:
    QColor m_fill;
    QColor m_border;
    std::function<void()> m_clicked;
};

} // namespace

ErrorPopoverController::ErrorPopoverController(QWidget *host) : QObject(host), m_host(host) {}

ErrorPopoverController::~ErrorPopoverController()
{
    delete m_popover.data();
}

QString ErrorPopoverController::message() const
{
    return m_popover && m_text ? m_text->text() : QString();
}

void ErrorPopoverController::showPopoverWithProperties(const Properties &properties)
{
    if (m_popover)
        closePopover();
    if (!properties.clickedOnMarker || properties.lineNumber == m_lineNumberForPopover) {
        m_lineNumberForPopover = 0;
        return;
    }

    auto *frame = new PopoverFrame(m_host, m_popoverColor, m_popoverBorderColor,
                                   [this] { handlePopoverClick(); });
    m_text = new QLabel(properties.message, frame);
    m_text->setObjectName(QStringLiteral("errorPopoverText"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setAttribute(Qt::WA_TransparentForMouseEvents); // the frame takes the click
    QPalette pal = m_text->palette();
    pal.setColor(QPalette::WindowText, m_popoverTextColor);
    m_text->setPalette(pal);
    QFont font = m_text->font();
    font.setBold(true);
    m_text->setFont(font);
    auto *layout = new QHBoxLayout(frame);
    layout->setContentsMargins(10, kArrow + 6, 10, 6);
    layout->addWidget(m_text);

    // As wide as the longest line needs (within bounds), as high as the wrapped text needs.
    const QFontMetrics metrics(font);
    int textWidth = 0;
    for (const QString &line : properties.message.split(u'\n'))
        textWidth = qMax(textWidth, metrics.horizontalAdvance(line));
    const int width = std::min({textWidth + 24, kMaxWidth, qMax(160, m_host->width() - 8)});
    frame->setFixedWidth(width);
    const int height = layout->hasHeightForWidth() ? layout->heightForWidth(width)
                                                   : frame->sizeHint().height();
    // Below the marked line, its arrow pointing up at the location; above the line when there
    // is no room below. The frame stays inside the host.
    const QPoint at = properties.location;
    frame->arrowOnTop = at.y() + kBelowMiddle + height <= m_host->height();
    const int top = frame->arrowOnTop ? at.y() + kBelowMiddle : at.y() - kBelowMiddle - height;
    const int left = qBound(0, at.x() - 3 * kArrow, qMax(0, m_host->width() - width));
    frame->setGeometry(QRect(QPoint(left, qMax(0, top)), QSize(width, height)));
    frame->arrowX = at.x() - left;
    if (!frame->arrowOnTop)
        layout->setContentsMargins(10, 6, 10, kArrow + 6);
    frame->show();
    frame->raise();

    m_popover = frame;
    m_lineNumberForPopover = properties.lineNumber;
    emit popoverChanged(true);
}

void ErrorPopoverController::closePopover()
{
    m_lineNumberForPopover = 0;
    if (!m_popover)
        return;
    QWidget *popover = m_popover;
    m_popover = nullptr;
    m_text = nullptr;
    popover->hide();
    popover->deleteLater();
    emit popoverChanged(false);
}

void ErrorPopoverController::handlePopoverClick()
{
    closePopover();
}

} // namespace corvane
