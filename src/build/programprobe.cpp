#include "programprobe.h"

#include <QHash>
#include <QMutex>
#include <QProcess>
#include <QSet>

#include <csignal>

#include <unistd.h>

namespace corvane
{

namespace
{

struct Answers {
    QMutex mutex;
    QHash<QString, std::optional<QString>> byQuestion;
    QSet<QString> hung; // programs that took too long once
};

Answers &answers()
{
    static Answers a;
    return a;
}

QString questionKey(const QString &program, const QStringList &args,
                    const ProgramProbe::Options &options)
{
    QString key = program;
    for (const QString &a : args)
        key += QChar(0) + a;
    key += options.mergeErrorStream ? QStringLiteral("\x01m") : QStringLiteral("\x01s");
    if (options.environment)
        key += QChar(1) + options.environment->toStringList().join(QChar(0));
    return key;
}

struct Asked {
    std::optional<QString> output;
    bool timedOut = false;
};

Asked ask(const QString &program, const QStringList &args, const ProgramProbe::Options &options)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(args);
    process.setStandardInputFile(QProcess::nullDevice());
    if (options.environment)
        process.setProcessEnvironment(*options.environment);
    if (options.mergeErrorStream)
        process.setProcessChannelMode(QProcess::MergedChannels);
    else
        process.setStandardErrorFile(QProcess::nullDevice());
    // Its own group, so that whatever it starts can be ended with it.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    process.start();
    if (!process.waitForStarted(options.timeoutMs))
        return {};
    const pid_t group = pid_t(process.processId());
    Asked asked;
    if (!process.waitForFinished(options.timeoutMs)) {
        asked.timedOut = true;
        ::kill(-group, SIGKILL);
        process.waitForFinished(1000);
    } else {
        // Children it left behind (a daemon, a hung helper) end with it.
        ::kill(-group, SIGKILL);
        if (process.exitStatus() == QProcess::NormalExit)
            asked.output = QString::fromUtf8(process.readAllStandardOutput());
    }
    return asked;
}

} // namespace

std::optional<QString> ProgramProbe::output(const QString &program, const QStringList &args,
                                            const Options &options)
{
    if (program.isEmpty())
        return std::nullopt;
    const QString key = questionKey(program, args, options);
    Answers &a = answers();
    {
        const QMutexLocker lock(&a.mutex);
        if (a.hung.contains(program))
            return std::nullopt;
        const auto known = a.byQuestion.constFind(key);
        if (known != a.byQuestion.constEnd())
            return *known;
    }
    const Asked asked = ask(program, args, options);
    const QMutexLocker lock(&a.mutex);
    if (asked.timedOut)
        a.hung.insert(program);
    a.byQuestion.insert(key, asked.output);
    return asked.output;
}

void ProgramProbe::forgetAnswers()
{
    Answers &a = answers();
    const QMutexLocker lock(&a.mutex);
    a.byQuestion.clear();
    a.hung.clear();
}

} // namespace corvane
