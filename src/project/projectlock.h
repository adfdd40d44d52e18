// ProjectLock: a lock file beside a project file ("NAME.corvane.lock") held for the whole
// read-modify-write of a command or a save, so that two programs changing one project do not
// lose each other's changes. A lock left by a process that died is taken over.
#pragma once

#include "settings/result.h"

#include <QLockFile>
#include <QString>

namespace corvane
{

class ProjectLock
{
public:
    explicit ProjectLock(const QString &projectPath);
    ~ProjectLock();
    ProjectLock(const ProjectLock &) = delete;
    ProjectLock &operator=(const ProjectLock &) = delete;

    // Waits up to timeoutMs for another holder; the error names the project and who holds it.
    Result<void> lock(int timeoutMs = kDefaultTimeoutMs);
    void unlock();
    QString lockFilePath() const { return m_path; }

    static constexpr int kDefaultTimeoutMs = 30000;

private:
    QString m_path;
    QString m_projectPath;
    QLockFile m_lock;
};

} // namespace corvane
