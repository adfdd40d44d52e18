// CrashReport: the system's crash report for a program that just ended. Looks in the apport
// folder for a report naming the executable and newer than the run's start (less one second);
// coredumpctl's report is asked for by process id when systemd-coredump is installed.
#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace corvane
{

class Prompts;

class CrashReport
{
public:
    static constexpr const char *kApportDirectory = "/var/crash";

    // The first report in directory (listing order) whose name contains executableName, does not
    // start with ".", and was modified after start - 1 s; its text. None when the folder is
    // missing, unchanged since the start, or holds no such report. Listing and read errors go to
    // prompts.
    static std::optional<QString> findReport(const QString &directory,
                                             const QString &executableName, const QDateTime &start,
                                             Prompts &prompts);

    // The coredumpctl program when systemd-coredump is installed; empty otherwise.
    static QString coredumpctl();
    // Arguments for coredumpctl's report on one process.
    static QStringList coredumpctlArguments(qint64 pid);
};

} // namespace corvane
