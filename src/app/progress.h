// Progress of long command-line work: one line on standard error, redrawn in place, shown only
// when standard error is a terminal and --quiet was not given. Piped or redirected output never
// sees it, so what scripts read stays as it was.
#pragma once

#include <QElapsedTimer>
#include <QMutex>
#include <QString>

namespace corvane::app
{

class Progress
{
public:
    Progress();
    ~Progress(); // erases the line

    // --quiet: no Progress made afterwards shows anything.
    static void setQuiet(bool quiet);
    bool enabled() const { return m_enabled; }

    // Shows text in place of the previous line, cut to the terminal's width. Redraws at most
    // ten times a second; a text that arrives sooner waits for the next one (or for restore()).
    // May be called from any thread.
    void show(const QString &text);
    // Erases the line, so that other output can be written to the terminal.
    void clear();
    // Draws the last text again after clear() (nothing when it is still shown).
    void restore();

    // A count with thousands separators: 1200 -> "1,200".
    static QString count(qsizetype n);

private:
    void draw();

    bool m_enabled;
    bool m_drawn = false;
    QString m_text;
    QElapsedTimer m_sinceDraw;
    QMutex m_mutex;
};

} // namespace corvane::app
