#include "gui.h"

#include "settings/defaults.h"
#include "window/appcontroller.h"
#include "window/standaloneeditor.h"
#include "window/startwindow.h"
#include "window/windowprompts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSessionManager>
#include <QTimer>

#include <cstdio>

using namespace corvane;

namespace
{

int runStandaloneEditor(QApplication &app, const QStringList &files)
{
    if (files.isEmpty()) {
        std::fprintf(stderr, "corvane: --edit needs a file name\n");
        return 2;
    }
    for (const QString &path : files) {
        auto *editor = new StandaloneEditor(path);
        editor->show();
    }
    return app.exec();
}

} // namespace

int runGui(int argc, char **argv, const QStringList &args)
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName("Corvane");
    QGuiApplication::setDesktopFileName("corvane");
    // The settings' "Monaco" is the system's fixed-pitch family here.
    Defaults::setFixedFamilyResolver(
        [] { return QFontDatabase::systemFont(QFontDatabase::FixedFont).family(); });

    const QString problem = Defaults::instance().loadProblem();
    if (!problem.isEmpty())
        QMessageBox::warning(nullptr, "Corvane", problem);

    if (!args.isEmpty() && args.first() == QLatin1String("--edit"))
        return runStandaloneEditor(app, args.mid(1));

    AppController controller;
    QObject::connect(
        &app, &QGuiApplication::commitDataRequest, &controller,
        [&controller](QSessionManager &manager) { controller.commitDataRequest(manager); });
    app.setQuitOnLastWindowClosed(false);
    for (const QString &path : args)
        controller.openProject(path);
    controller.showStartWindowIfIdle();
    QObject::connect(&app, &QGuiApplication::lastWindowClosed, &controller, [&controller] {
        if (controller.windows().isEmpty() &&
            (!controller.startWindow() || controller.startWindow()->isHidden()))
            QCoreApplication::quit();
    });
    // Compiler discovery runs once the windows are up, as the launch finishes.
    QTimer::singleShot(0, &controller, [&controller] {
        if (qEnvironmentVariableIsEmpty("CORVANE_SKIP_COMPILER_SETUP"))
            controller.doSetup();
    });
    return app.exec();
}
