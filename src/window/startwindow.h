// StartWindow: what the application shows while no project is open: New Project, Open, the
// recent projects, Preferences and Quit.
#pragma once

#include <QWidget>

class QListWidget;

namespace corvane
{

class StartWindow : public QWidget
{
    Q_OBJECT
public:
    explicit StartWindow(QWidget *parent = nullptr);
    void setRecentProjects(const QStringList &paths);
    QListWidget *recentList() const { return m_recent; }

signals:
    void newProjectRequested();
    void openProjectRequested();
    void recentProjectChosen(const QString &path);
    void preferencesRequested();
    void quitRequested();

private:
    QListWidget *m_recent;
};

} // namespace corvane
