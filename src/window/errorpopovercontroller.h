// ErrorPopoverController: the small coloured message window that shows the diagnostics of one
// marked line, attached to a point of the project window. It is open for at most one line, and a
// click inside it closes it.
#pragma once

#include <QColor>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

class QLabel;
class QWidget;

namespace corvane
{

class ErrorPopoverController : public QObject
{
    Q_OBJECT
public:
    // What to show: the message, the line it belongs to, the point of the host window it is
    // attached to, and whether the user asked for a marked line.
    struct Properties {
        QString message;
        int lineNumber = 0;
        QPoint location;
        bool clickedOnMarker = false;
    };

    // The message window is a child of host, drawn over its other widgets.
    explicit ErrorPopoverController(QWidget *host);
    ~ErrorPopoverController() override;

    // Closes an open window; then opens one for a marked line other than 0 (so the same marker
    // clicked twice opens its window again). Anything else only leaves the window closed.
    void showPopoverWithProperties(const Properties &properties);
    void closePopover();

    bool isOpen() const { return m_popover != nullptr; }
    // The open window, or nullptr.
    QWidget *popover() const { return m_popover; }
    // The line the open window shows, 0 when none.
    int lineNumberForPopover() const { return m_lineNumberForPopover; }
    QString message() const;

    QColor popoverColor() const { return m_popoverColor; }
    QColor popoverBorderColor() const { return m_popoverBorderColor; }
    QColor popoverTextColor() const { return m_popoverTextColor; }
    void setPopoverColor(const QColor &c) { m_popoverColor = c; }
    void setPopoverBorderColor(const QColor &c) { m_popoverBorderColor = c; }
    void setPopoverTextColor(const QColor &c) { m_popoverTextColor = c; }

signals:
    // The window opened or closed.
    void popoverChanged(bool open);

private:
    void handlePopoverClick();

    QWidget *m_host;
    QPointer<QWidget> m_popover;
    QLabel *m_text = nullptr;
    int m_lineNumberForPopover = 0;
    QColor m_popoverColor = Qt::white;
    QColor m_popoverBorderColor = Qt::white;
    QColor m_popoverTextColor = Qt::white;
};

} // namespace corvane
