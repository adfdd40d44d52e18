#include "window/lookuppopover.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace corvane
{

LookupPopover::LookupPopover(QWidget *parent)
    : QFrame(parent, Qt::Popup), m_stack(new QStackedWidget), m_textArea(new QScrollArea),
      m_label(new QLabel), m_browser(new QTextBrowser)
{
    setObjectName("lookupPopover");
    setFrameShape(QFrame::StyledPanel);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_label->setMargin(8);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_browser->setOpenLinks(false);
    m_browser->setFrameShape(QFrame::NoFrame);
    m_textArea->setFrameShape(QFrame::NoFrame);
    m_textArea->setWidgetResizable(true);
    m_textArea->setWidget(m_label);
    m_stack->addWidget(m_textArea);
    m_stack->addWidget(m_browser);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(m_stack);
}

void LookupPopover::showText(const QString &text, const QRect &anchor)
{
    // Tabs line the columns up; a label draws them as single blanks, so expand them here.
    QString expanded;
    for (const QString &line : text.split(u'\n')) {
        QString out;
        for (const QChar c : line) {
            if (c == u'\t')
                out += QString(8 - out.size() % 8, u' ');
            else
                out += c;
        }
        expanded += out + u'\n';
    }
    expanded.chop(1);
    m_text = text;
    m_label->setText(expanded);
    m_stack->setCurrentWidget(m_textArea);
    m_textArea->horizontalScrollBar()->setValue(0);
    m_textArea->verticalScrollBar()->setValue(0);
    // Room for the scroll bars, which show only when the text is larger than the popover.
    const int bar = m_textArea->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    QSize size = m_label->sizeHint() + QSize(4, 4);
    const QRect area = availableArea(anchor);
    if (size.width() > area.width() * 3 / 4)
        size.rheight() += bar;
    if (size.height() > area.height() * 3 / 4)
        size.rwidth() += bar;
    popUp(anchor, size);
}

void LookupPopover::showPage(const QString &html, const QRect &anchor)
{
    m_browser->setHtml(html);
    m_stack->setCurrentWidget(m_browser);
    const int em = QFontMetrics(m_browser->font()).horizontalAdvance(u'M');
    popUp(anchor, QSize(48 * em, 40 * em));
}

bool LookupPopover::isPageShown() const
{
    return m_stack->currentWidget() == m_browser;
}

QString LookupPopover::shownText() const
{
    return isPageShown() ? m_browser->toPlainText() : m_text;
}

void LookupPopover::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QFrame::keyPressEvent(event);
}

QRect LookupPopover::availableArea(const QRect &anchor)
{
    const QScreen *screen = QGuiApplication::screenAt(anchor.center());
    return screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
}

void LookupPopover::popUp(const QRect &anchor, const QSize &size)
{
    const QRect area = availableArea(anchor);
    QSize fitted = size.boundedTo(area.size() * 3 / 4);
    QPoint at(anchor.left(), anchor.bottom() + 2);
    if (at.y() + fitted.height() > area.bottom())
        at.setY(qMax(area.top(), anchor.top() - 2 - fitted.height()));
    at.setX(qBound(area.left(), at.x(), qMax(area.left(), area.right() - fitted.width())));
    resize(fitted);
    move(at);
    show();
}

} // namespace corvane
