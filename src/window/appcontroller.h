// AppController: the application: opens and creates projects (one DocWindowController each),
// keeps the recent projects, shows the start window when no project is open, finds the
// compilers at launch (first-run choice, no-compiler panel), owns the preferences window and
// refuses to quit while a user program runs.
#pragma once

#include "project/prompts.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <memory>

class QSessionManager;

namespace corvane
{

class DocWindowController;
class Notifier;
class PreferencesWindow;
class StartWindow;

class AppController : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMaxRecentProjects = 10;
    static constexpr char kRecentProjectsKey[] = "recentProjects";

    // Questions go to prompts when given (tests), else to message boxes.
    explicit AppController(Prompts *prompts = nullptr, QObject *parent = nullptr);
    ~AppController() override;

    // Opens a project file (or raises its window when it is open); nullptr after telling why.
    DocWindowController *openProject(const QString &path);
    // Creates an empty project at path and opens it; nullptr after telling why.
    DocWindowController *newProject(const QString &path);
    // Closes the window (asking as closing does) and opens its project file again; nullptr when
    // the window stayed open or the file could not be opened.
    DocWindowController *reloadProject(DocWindowController *window);
    void newProjectInteractive();
    void openProjectInteractive();
    const QList<QPointer<DocWindowController>> &windows() const { return m_windows; }

    QStringList recentProjects() const;
    void noteRecentProject(const QString &path);

    // Counts the windows whose user program runs.
    int numberOfRunningTasks() const;
    // The message that refuses quitting with count running programs.
    static QString runningProgramsMessage(int count);
    // Quits unless a program runs (then tells the user and keeps running) or a window with
    // unsaved changes stays open. True when the application is quitting.
    bool userQuit();
    void commitDataRequest(QSessionManager &manager);

    // Finds the compilers and, on the first run, lets the user choose one.
    void doSetup();
    bool gFortranIsOldVersion() const { return m_gFortranIsOldVersion; }
    // The row the first-run compiler list starts on: gfortran's entry, else 0 (-1 when empty).
    static qsizetype firstCompilerChoice(const QStringList &installed);

    void showStartWindowIfIdle();
    void showPreferences();
    StartWindow *startWindow() const { return m_start; }
    void toggleToolbar();
    // Tells the user of runs that end while their window is out of view; serves every window.
    Notifier *userNotifier() const { return m_userNotifier; }

private:
    DocWindowController *adopt(DocWindowController *window);
    void chooseFirstCompiler(const QStringList &installed);
    void showNoCompilerPanel();

    std::unique_ptr<Prompts> m_ownPrompts;
    Prompts *m_prompts;
    QList<QPointer<DocWindowController>> m_windows;
    QPointer<StartWindow> m_start;
    QPointer<PreferencesWindow> m_preferences;
    Notifier *m_userNotifier = nullptr;
    bool m_gFortranIsOldVersion = false;
    bool m_quitting = false;
};

} // namespace corvane
