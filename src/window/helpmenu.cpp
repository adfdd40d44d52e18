#include "window/helpmenu.h"

#include "settings/installpaths.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QUrl>

namespace corvane
{

QString corvaneVersion()
{
    return QStringLiteral(CORVANE_VERSION);
}

QString corvaneLicence()
{
    return QStringLiteral(CORVANE_LICENCE);
}

QString aboutCorvaneText()
{
    return QCoreApplication::translate(
               "HelpMenu",
               "<h3>Corvane %1</h3>"
               "<p>A development environment for Fortran: projects, builds through a generated "
               "Makefile, diagnostics in the editor, runs in an interactive console.</p>"
               "<p>Built with Qt %2, running on Qt %3.</p>"
               "<p>Licence: %4</p>")
        .arg(corvaneVersion(), QStringLiteral(QT_VERSION_STR), QString::fromLatin1(qVersion()),
             corvaneLicence().toHtmlEscaped());
}

QString readmePath()
{
    const QString path = installedSharePath(QStringLiteral("doc/corvane/README.md"));
    return path.isEmpty() ? path : QFileInfo(path).canonicalFilePath();
}

QMenu *addHelpMenu(QMenuBar *bar, QWidget *window)
{
    QMenu *help = bar->addMenu(QCoreApplication::translate("HelpMenu", "&Help"));
    QAction *about =
        help->addAction(QCoreApplication::translate("HelpMenu", "&About Corvane"), window, [window] {
            QMessageBox::about(window, QString::fromLatin1(HelpText::kAboutTitle),
                               aboutCorvaneText());
        });
    about->setObjectName("aboutCorvane");
    about->setMenuRole(QAction::AboutRole);
    QAction *readme =
        help->addAction(QCoreApplication::translate("HelpMenu", "Corvane &README"), window, [window] {
            const QString path = readmePath();
            if (path.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
                QMessageBox::warning(window, QString::fromLatin1(HelpText::kAboutTitle),
                                     QString::fromLatin1(HelpText::kReadmeMissing));
        });
    readme->setObjectName("openReadme");
    return help;
}

} // namespace corvane
