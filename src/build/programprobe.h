// ProgramProbe: asks a program a quick question about itself (`--version`, `-show`, `--showme`,
// `-v`) without letting it hold anything up: it runs in a process group of its own with no
// input and a short limit, the whole group is killed when the limit passes and when the
// program has ended, and each answer is remembered per program path while this process runs.
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvane
{

class ProgramProbe
{
public:
    static constexpr int kTimeoutMs = 2000;

    struct Options {
        bool mergeErrorStream = false; // the answer is standard output and error together
        std::optional<QProcessEnvironment> environment;
        int timeoutMs = kTimeoutMs;
    };

    // The program's standard output (UTF-8), whatever its exit status; none when it cannot
    // start, is ended by a signal, or takes longer than the limit. A program that once took too long is
    // not asked again, whatever the question.
    static std::optional<QString> output(const QString &program, const QStringList &args,
                                         const Options &options);
    static std::optional<QString> output(const QString &program, const QStringList &args)
    {
        return output(program, args, Options{});
    }

    // Forgets every remembered answer (for tests that change a program between questions).
    static void forgetAnswers();
};

} // namespace corvane
