#include "window/appcontroller.h"

#include "build/compilerdiscovery.h"
#include "build/notifier.h"
#include "build/unix.h"
#include "project/mydocument.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"
#include "window/docwindowcontroller.h"
#include "window/preferenceswindow.h"
#include "window/startwindow.h"
#include "window/windowprompts.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSessionManager>
#include <QUrl>
#include <QVBoxLayout>

namespace corvane
{

AppController::AppController(Prompts *prompts, QObject *parent) : QObject(parent)
{
    if (prompts) {
        m_prompts = prompts;
    } else {
        m_ownPrompts = std::make_unique<WindowPrompts>(nullptr);
        m_prompts = m_ownPrompts.get();
    }
    m_userNotifier = new Notifier(m_prompts, QDBusConnection::sessionBus(), this);
    // One urgency request until the window is activated: the taskbar's counterpart of a bounce.
    connect(m_userNotifier, &Notifier::attentionRequested, this, [](QObject *window) {
        if (auto *w = qobject_cast<QWidget *>(window))
            QApplication::alert(w, 0);
    });
}

AppController::~AppController()
{
    for (const auto &w : m_windows)
        delete w.data();
    delete m_start.data();
    delete m_preferences.data();
}

DocWindowController *AppController::adopt(DocWindowController *window)
{
    m_windows << window;
    window->setNotifier(m_userNotifier);
    connect(window, &DocWindowController::newProjectRequested, this,
            &AppController::newProjectInteractive);
    connect(window, &DocWindowController::openProjectRequested, this,
            &AppController::openProjectInteractive);
    connect(window, &DocWindowController::preferencesRequested, this,
            &AppController::showPreferences);
    connect(window, &DocWindowController::quitRequested, this, [this] { userQuit(); });
    connect(window, &DocWindowController::reloadRequested, this,
            [this](DocWindowController *w) { reloadProject(w); });
    // A closed window leaves the list at once (it is deleted later); the last one brings the
    // start window back, so that the application never runs without a window.
    const auto forget = [this](QObject *gone) {
        m_windows.removeIf(
            [gone](const QPointer<DocWindowController> &w) { return w.isNull() || w == gone; });
        if (!m_quitting)
            showStartWindowIfIdle();
    };
    connect(window, &DocWindowController::closed, this, forget);
    connect(window, &QObject::destroyed, this, forget);
    window->show();
    if (m_start)
        m_start->hide();
    return window;
}

DocWindowController *AppController::openProject(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (const auto &w : m_windows) {
        if (w && QFileInfo(w->document()->fileName()).absoluteFilePath() == absolute) {
            w->raise();
            w->activateWindow();
            return w;
        }
    }
    auto opened = MyDocument::open(absolute, *m_prompts);
    if (!opened) {
        m_prompts->alert(tr("The project could not be opened."), opened.error());
        return nullptr;
    }
    noteRecentProject(absolute);
    return adopt(new DocWindowController(std::move(opened.value())));
}

DocWindowController *AppController::reloadProject(DocWindowController *window)
{
    const QPointer<DocWindowController> w(window);
    const QString path = window->document()->fileName();
    if (!window->close())
        return nullptr; // the user kept the window open
    if (w) {
        m_windows.removeAll(w);
        w->deleteLater();
    }
    return openProject(path);
}

DocWindowController *AppController::newProject(const QString &path)
{
    QString target = QFileInfo(path).absoluteFilePath();
    if (QFileInfo(target).suffix().isEmpty())
        target += ".corvane";
    auto document = std::make_unique<MyDocument>();
    const Result<void> written = document->write(target);
    if (!written) {
        m_prompts->presentError(written.error());
        return nullptr;
    }
    noteRecentProject(target);
    return adopt(new DocWindowController(std::move(document)));
}

void AppController::newProjectInteractive()
{
    const QString path = QFileDialog::getSaveFileName(nullptr, tr("New Project"), QString(),
                                                      tr("Corvane projects (*.corvane)"));
    if (!path.isEmpty())
        newProject(path);
}

void AppController::openProjectInteractive()
{
    const QString path = QFileDialog::getOpenFileName(nullptr, tr("Open Project"), QString(),
                                                      tr("Corvane projects (*.corvane)"));
    if (!path.isEmpty())
        openProject(path);
}

QStringList AppController::recentProjects() const
{
    return Defaults::instance().stringListValue(kRecentProjectsKey);
}

void AppController::noteRecentProject(const QString &path)
{
    QStringList recent = recentProjects();
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > kMaxRecentProjects)
        recent.removeLast();
    Defaults::instance().setValue(kRecentProjectsKey, recent);
    if (m_start)
        m_start->setRecentProjects(recent);
}

int AppController::numberOfRunningTasks() const
{
    int count = 0;
    for (const auto &w : m_windows)
        if (w && w->aTaskIsExecuting())
            ++count;
    return count;
}

QString AppController::runningProgramsMessage(int count)
{
    return count == 1 ? tr("You have a program running.")
                      : tr("You have %1 program(s) running.").arg(count);
}

bool AppController::userQuit()
{
    const int running = numberOfRunningTasks();
    if (running > 0) {
        m_prompts->alert(runningProgramsMessage(running),
                         tr("Please allow running programs to finish or abort them manually "
                            "before quitting again."));
        return false;
    }
    m_quitting = true;
    const auto windows = m_windows;
    for (const auto &w : windows) {
        if (w && !w->close()) {
            m_quitting = false;
            return false;
        }
    }
    if (m_preferences)
        m_preferences->close();
    if (m_start)
        m_start->close();
    QCoreApplication::quit();
    return true;
}

void AppController::commitDataRequest(QSessionManager &manager)
{
    const int running = numberOfRunningTasks();
    if (running == 0)
        return;
    if (manager.allowsInteraction()) {
        m_prompts->alert(runningProgramsMessage(running),
                         tr("Please allow running programs to finish or abort them manually "
                            "before quitting again."));
        manager.release();
    }
    manager.cancel();
}

void AppController::doSetup()
{
    Defaults &defaults = Defaults::instance();
    const DiscoveredCompilers found =
        CompilerDiscovery::findCompilers(Unix::environmentDictionary(), defaults, *m_prompts);
    m_gFortranIsOldVersion = found.gFortranIsOldVersion;
    const SetupOutcome outcome = CompilerDiscovery::doSetup(found.found, defaults);
    if (outcome.showFirstRunChoice)
        chooseFirstCompiler(outcome.installed);
    else if (outcome.showNoCompilerPanel)
        showNoCompilerPanel();
}

qsizetype AppController::firstCompilerChoice(const QStringList &installed)
{
    // gfortran is what most users want: the entry found for it, else the first.
    for (qsizetype i = 0; i < installed.size(); ++i)
        if (QFileInfo(installed[i].trimmed()).fileName() == QLatin1String("gfortran"))
            return i;
    return installed.isEmpty() ? -1 : 0;
}

void AppController::chooseFirstCompiler(const QStringList &installed)
{
    QDialog dialog;
    dialog.setWindowTitle(tr("Choose a Fortran Compiler"));
    auto *label = new QLabel(tr("These Fortran compilers were found. Choose the one new projects "
                                "use; you can change it for each project later."));
    label->setWordWrap(true);
    auto *list = new QListWidget;
    for (const QString &entry : installed) {
        auto *item = new QListWidgetItem(entry.trimmed(), list);
        item->setData(Qt::UserRole, entry);
    }
    list->setCurrentRow(int(qMax<qsizetype>(0, firstCompilerChoice(installed))));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(list);
    layout->addWidget(buttons);
    dialog.resize(420, 300);
    dialog.exec();
    if (QListWidgetItem *item = list->currentItem())
        Defaults::instance().setValue(keys::compilerPath, item->data(Qt::UserRole));
}

void AppController::showNoCompilerPanel()
{
    QMessageBox box(QMessageBox::Warning, tr("Corvane"), tr("No Fortran compiler was found."));
    box.setInformativeText(tr("Projects can still be edited. To build them, install gfortran "
                              "(for example with your distribution's package manager) or add a "
                              "compiler in Preferences."));
    QPushButton *cont = box.addButton(tr("Continue"), QMessageBox::AcceptRole);
    QPushButton *get = box.addButton(tr("Get gfortran"), QMessageBox::ActionRole);
    box.setDefaultButton(cont);
    box.exec();
    if (box.clickedButton() == get &&
        QDesktopServices::openUrl(QUrl("https://gcc.gnu.org/wiki/GFortran")))
        userQuit();
}

void AppController::showStartWindowIfIdle()
{
    if (!m_windows.isEmpty())
        return;
    if (!m_start) {
        m_start = new StartWindow;
        connect(m_start, &StartWindow::newProjectRequested, this,
                &AppController::newProjectInteractive);
        connect(m_start, &StartWindow::openProjectRequested, this,
                &AppController::openProjectInteractive);
        connect(m_start, &StartWindow::recentProjectChosen, this,
                [this](const QString &path) { openProject(path); });
        connect(m_start, &StartWindow::preferencesRequested, this, &AppController::showPreferences);
        connect(m_start, &StartWindow::quitRequested, this, [this] { userQuit(); });
    }
    m_start->setRecentProjects(recentProjects());
    m_start->show();
    m_start->raise();
}

void AppController::showPreferences()
{
    if (!m_preferences)
        m_preferences = new PreferencesWindow(m_prompts);
    m_preferences->show();
    m_preferences->raise();
    m_preferences->activateWindow();
}

void AppController::toggleToolbar()
{
    if (auto *w = qobject_cast<DocWindowController *>(QApplication::activeWindow()))
        w->toggleToolbar();
}

} // namespace corvane
