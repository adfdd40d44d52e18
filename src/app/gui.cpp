#include "gui.h"

#include "settings/defaults.h"
#include "window/appcontroller.h"
#include "window/applicationicon.h"
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
#include <cstdlib>

using namespace corvane;

namespace
{

constexpr char kNoDisplay[] = "corvane: no display to open the window on; the subcommands work "
                              "without one (corvane --help)\n";

// A display to open windows on is named, or a platform plug-in was chosen (offscreen, vnc, ...).
bool displayNamed()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// While the application object is made, Qt's messages are held back: a platform plug-in that
// cannot connect ends in a fatal message, which becomes the no-display message and exit status 1
// instead of an abort. The messages of a start that worked are passed on afterwards.
QtMessageHandler s_previousHandler = nullptr;
struct HeldMessage {
    QtMsgType type;
    QString text;
};
QList<HeldMessage> s_held;

void holdStartMessages(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtFatalMsg) {
        std::fputs(kNoDisplay, stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    s_held.append({type, text});
}

void passOnHeldMessages()
{
    qInstallMessageHandler(s_previousHandler);
    const QMessageLogContext context;
    for (const HeldMessage &m : std::as_const(s_held)) {
        if (s_previousHandler)
            s_previousHandler(m.type, context, m.text);
        else
            std::fprintf(stderr, "%s\n", qPrintable(m.text));
    }
    s_held.clear();
}

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
    if (!displayNamed()) {
        std::fputs(kNoDisplay, stderr);
        return 1;
    }
    s_previousHandler = qInstallMessageHandler(holdStartMessages);
    QApplication app(argc, argv);
    passOnHeldMessages();
    QApplication::setApplicationDisplayName("Corvane");
    QGuiApplication::setDesktopFileName("corvane");
    QApplication::setWindowIcon(corvaneIcon());
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
