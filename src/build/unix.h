// Unix: the environment every child process gets, and program lookup through `which`.
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QVariantMap>

#include <optional>

namespace corvane
{

class Unix
{
public:
    // Directories appended to every child's search path.
    static constexpr const char *kExtraSearchPath = "/usr/local/bin:/opt/local/bin";
    static constexpr const char *kEnvironmentVariablesKey = "environmentVariables";

    // The child environment: this process's environment with the user's "environmentVariables"
    // setting applied. A user "PATH" goes in front of the inherited one, kExtraSearchPath always
    // ends it; "NSUnbufferedIO" is "YES" and "G95_UNBUFFERED_6" is "true".
    static QProcessEnvironment environmentDictionary();
    // The same from explicit parts (tests, and callers that hold the setting already). Empty
    // search-path elements are left out: an empty element would mean the current directory.
    static QProcessEnvironment environmentDictionary(const QVariantMap &userVariables,
                                                     const QProcessEnvironment &base);

    // Runs `which NAME` in the environment (no input, 10 s at most) and answers its whole
    // standard output as UTF-8, trailing line feed included; none when it printed nothing.
    static std::optional<QString> which(const QString &name, const QProcessEnvironment &env);

    // The program to start for a stored compiler entry: discovery stores `which` output with its
    // trailing line feed and blanks escaped as "\ "; this drops the line end and undoes escapes.
    // "/opt/my\ tools/gfortran\n" -> "/opt/my tools/gfortran".
    static QString programForCompilerPath(const QString &stored);

    // The directory part of a path with a trailing "/": "/usr/bin/mpirun\n" -> "/usr/bin/".
    static QString directoryOf(const QString &path);

    // How many live processes (zombies not counted) belong to a process group.
    static int processesInGroup(qint64 group);
};

} // namespace corvane
