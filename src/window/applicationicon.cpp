#include "window/applicationicon.h"

#include "settings/installpaths.h"

namespace corvane
{

QIcon corvaneIcon()
{
    QIcon shipped;
    for (int size : {48, 128, 256}) {
        const QString path =
            installedSharePath(QStringLiteral("icons/hicolor/%1x%1/apps/corvane.png").arg(size));
        if (!path.isEmpty())
            shipped.addFile(path, QSize(size, size));
    }
    return QIcon::fromTheme(QStringLiteral("corvane"), shipped);
}

} // namespace corvane
