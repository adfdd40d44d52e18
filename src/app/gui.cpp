#include "gui.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int runGui(int argc, char **argv, const QStringList &projects)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Corvane");
    auto *label = new QLabel(projects.isEmpty()
                                 ? QObject::tr("Corvane: open a project to begin.")
                                 : QObject::tr("Projects: %1").arg(projects.join(", ")));
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.resize(1280, 800);
    window.show();
    return app.exec();
}
