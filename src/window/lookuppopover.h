// LookupPopover: the popover of the lookup commands, next to the selected text. It shows either a
// declaration's information as plain text or an intrinsic's page as HTML in a text browser.
// Escape, a click elsewhere or the next command closes it.
#pragma once

#include <QFrame>

class QLabel;
class QScrollArea;
class QStackedWidget;
class QTextBrowser;

namespace corvane
{

class LookupPopover : public QFrame
{
    Q_OBJECT
public:
    explicit LookupPopover(QWidget *parent = nullptr);

    // anchor: the selected text's rectangle in global coordinates; the popover opens below it
    // (above when there is no room below).
    void showText(const QString &text, const QRect &anchor);
    void showPage(const QString &html, const QRect &anchor);

    bool isPageShown() const;
    // The information text as it was given, or the page's text as plain text.
    QString shownText() const;
    QLabel *label() const { return m_label; }
    QScrollArea *textArea() const { return m_textArea; }
    QTextBrowser *browser() const { return m_browser; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The screen area at anchor the popover must stay within (3/4 of it at most).
    static QRect availableArea(const QRect &anchor);
    void popUp(const QRect &anchor, const QSize &size);

    QStackedWidget *m_stack;
    QScrollArea *m_textArea; // holds the label: a long declared value scrolls, never cut off
    QLabel *m_label;
    QTextBrowser *m_browser;
    QString m_text;
};

} // namespace corvane
