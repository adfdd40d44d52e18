#include "unix.h"

#include "settings/defaults.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>

namespace corvane
{

namespace
{
constexpr int kWhichTimeoutMs = 10000;

QString whichProgram()
{
    const QString found = QStandardPaths::findExecutable(QStringLiteral("which"));
    return found.isEmpty() ? QStringLiteral("/usr/bin/which") : found;
}
} // namespace

QProcessEnvironment Unix::environmentDictionary()
{
    return environmentDictionary(Defaults::instance().mapValue(kEnvironmentVariablesKey),
                                 QProcessEnvironment::systemEnvironment());
}

QProcessEnvironment Unix::environmentDictionary(const QVariantMap &userVariables,
                                                const QProcessEnvironment &base)
{
    QProcessEnvironment env = base;
    QString userPath;
    for (auto it = userVariables.cbegin(); it != userVariables.cend(); ++it) {
        if (it.key() == QLatin1String("PATH"))
            userPath = it.value().toString();
        else
            env.insert(it.key(), it.value().toString());
    }
    QStringList parts;
    for (const QString &p :
         {userPath, base.value(QStringLiteral("PATH")), QString::fromLatin1(kExtraSearchPath)})
        for (const QString &element : p.split(QLatin1Char(':'), Qt::SkipEmptyParts))
            parts << element;
    env.insert(QStringLiteral("PATH"), parts.join(QLatin1Char(':')));
    env.insert(QStringLiteral("NSUnbufferedIO"), QStringLiteral("YES"));
    env.insert(QStringLiteral("G95_UNBUFFERED_6"), QStringLiteral("true"));
    return env;
}

std::optional<QString> Unix::which(const QString &name, const QProcessEnvironment &env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(whichProgram(), {name});
    if (!p.waitForStarted(kWhichTimeoutMs))
        return std::nullopt;
    if (!p.waitForFinished(kWhichTimeoutMs)) {
        p.kill();
        p.waitForFinished();
        return std::nullopt;
    }
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

QString Unix::programForCompilerPath(const QString &stored)
{
    QString s = stored;
    while (s.endsWith(QLatin1Char('\n')) || s.endsWith(QLatin1Char('\r')))
        s.chop(1);
    s.replace(QStringLiteral("\\ "), QStringLiteral(" "));
    return s;
}

QString Unix::directoryOf(const QString &path)
{
    const QString program = programForCompilerPath(path);
    const qsizetype slash = program.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QString();
    return program.left(slash + 1);
}

int Unix::processesInGroup(qint64 group)
{
    if (group <= 0)
        return 0;
    // The usual case after a build: no process, not even a zombie, is left in the group, and
    // the kernel says so without the scan of every process below.
    if (::kill(-static_cast<pid_t>(group), 0) == -1 && errno == ESRCH)
        return 0;
    int count = 0;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool numeric = false;
        entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        QFile stat(QStringLiteral("/proc/") + entry + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid pgrp ...": the name may hold blanks and parentheses.
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields[0] != "Z" && fields[2].toLongLong() == group)
            ++count;
    }
    return count;
}

} // namespace corvane
