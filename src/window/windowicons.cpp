#include "window/windowicons.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

namespace corvane
{

namespace
{

// Paints one icon into a 24x24 design grid scaled to the requested rectangle.
class PaintedIconEngine : public QIconEngine
{
public:
    explicit PaintedIconEngine(IconName name) : m_name(name) {}

    void paint(QPainter *p, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        const qreal side = qMin(rect.width(), rect.height());
        p->translate(rect.x() + (rect.width() - side) / 2.0,
                     rect.y() + (rect.height() - side) / 2.0);
        p->scale(side / 24.0, side / 24.0);
        QColor ink = QApplication::palette().color(QPalette::WindowText);
        if (mode == QIcon::Disabled)
            ink.setAlphaF(0.35);
        draw(*p, ink, mode == QIcon::Disabled);
        p->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }

    QIconEngine *clone() const override { return new PaintedIconEngine(m_name); }

private:
    static QColor accent(const char *hex, bool disabled)
    {
        QColor c(hex);
        if (disabled)
            c.setAlphaF(0.35);
        return c;
    }

    void draw(QPainter &p, const QColor &ink, bool disabled) const
    {
        QPen pen(ink, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        switch (m_name) {
        case IconName::Build: { // a hammer
            p.setBrush(ink);
            p.drawRoundedRect(QRectF(4, 4, 11, 5), 1.2, 1.2);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(ink, 2.6, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(11, 9), QPointF(19, 20));
            break;
        }
        case IconName::Run: {
            QPainterPath tri;
            tri.moveTo(7, 4.5);
            tri.lineTo(19.5, 12);
            tri.lineTo(7, 19.5);
            tri.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(accent("#2e9d4c", disabled));
            p.drawPath(tri);
            break;
        }
        case IconName::Abort:
            p.setPen(Qt::NoPen);
            p.setBrush(accent("#d0413b", disabled));
            p.drawRoundedRect(QRectF(5.5, 5.5, 13, 13), 2, 2);
            break;
        case IconName::Back:
        case IconName::Forward: {
            const bool back = m_name == IconName::Back;
            p.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            QPainterPath chevron;
            chevron.moveTo(back ? 14.5 : 9.5, 6);
            chevron.lineTo(back ? 8.5 : 15.5, 12);
            chevron.lineTo(back ? 14.5 : 9.5, 18);
            p.drawPath(chevron);
            break;
        }
        case IconName::AddFile:
        case IconName::NewFile:
        case IconName::RemoveFile: {
            QPainterPath page;
            page.moveTo(6, 3.5);
            page.lineTo(14, 3.5);
            page.lineTo(18.5, 8);
            page.lineTo(18.5, 20.5);
            page.lineTo(6, 20.5);
            page.closeSubpath();
            p.drawPath(page);
            p.drawLine(QPointF(14, 3.5), QPointF(14, 8));
            p.drawLine(QPointF(14, 8), QPointF(18.5, 8));
            const QColor mark = m_name == IconName::RemoveFile ? accent("#d0413b", disabled)
                                : m_name == IconName::NewFile  ? accent("#2f6fd1", disabled)
                                                               : accent("#2e9d4c", disabled);
            p.setPen(QPen(mark, 2.2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(9, 14.5), QPointF(15.5, 14.5));
            if (m_name != IconName::RemoveFile)
                p.drawLine(QPointF(12.25, 11.25), QPointF(12.25, 17.75));
            break;
        }
        case IconName::OptionsPane:
            p.drawRoundedRect(QRectF(3.5, 4.5, 17, 15), 2, 2);
            p.drawLine(QPointF(14, 4.5), QPointF(14, 19.5));
            p.drawLine(QPointF(16, 8.5), QPointF(18.5, 8.5));
            p.drawLine(QPointF(16, 11.5), QPointF(18.5, 11.5));
            p.drawLine(QPointF(16, 14.5), QPointF(18.5, 14.5));
            break;
        case IconName::TrashEmpty:
        case IconName::TrashFull: {
            // A bin with a lid; a full one holds crumpled paper above its rim.
            QPainterPath bin;
            bin.moveTo(6.5, 8);
            bin.lineTo(8, 20.5);
            bin.lineTo(16, 20.5);
            bin.lineTo(17.5, 8);
            p.drawPath(bin);
            p.drawLine(QPointF(4.5, 8), QPointF(19.5, 8));
            p.drawLine(QPointF(10, 11), QPointF(10.5, 18));
            p.drawLine(QPointF(14, 11), QPointF(13.5, 18));
            if (m_name == IconName::TrashFull) {
                p.setPen(Qt::NoPen);
                p.setBrush(accent("#e08a1e", disabled));
                p.drawEllipse(QPointF(9.5, 5.2), 3, 2.6);
                p.drawEllipse(QPointF(14.5, 4.6), 3.2, 2.8);
            } else {
                p.drawLine(QPointF(10, 5.5), QPointF(14, 5.5));
            }
            break;
        }
        case IconName::FileModified:
            p.setPen(Qt::NoPen);
            p.setBrush(accent("#e08a1e", disabled));
            p.drawEllipse(QPointF(12, 12), 5.5, 5.5);
            break;
        case IconName::FileLost: {
            p.setPen(Qt::NoPen);
            p.setBrush(accent("#d0413b", disabled));
            QPainterPath tri;
            tri.moveTo(12, 3.5);
            tri.lineTo(21, 19.5);
            tri.lineTo(3, 19.5);
            tri.closeSubpath();
            p.drawPath(tri);
            p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(12, 9), QPointF(12, 13.5));
            p.drawPoint(QPointF(12, 16.8));
            break;
        }
        case IconName::AddBookmark: {
            QPainterPath ribbon;
            ribbon.moveTo(5.5, 3.5);
            ribbon.lineTo(14.5, 3.5);
            ribbon.lineTo(14.5, 20.5);
            ribbon.lineTo(10, 16.5);
            ribbon.lineTo(5.5, 20.5);
            ribbon.closeSubpath();
            p.drawPath(ribbon);
            p.setPen(QPen(accent("#2e9d4c", disabled), 2.2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(15, 8), QPointF(21.5, 8));
            p.drawLine(QPointF(18.25, 4.75), QPointF(18.25, 11.25));
            break;
        }
        }
    }

    IconName m_name;
};

} // namespace

QIcon corvaneIcon(IconName name)
{
    return QIcon(new PaintedIconEngine(name));
}

} // namespace corvane
