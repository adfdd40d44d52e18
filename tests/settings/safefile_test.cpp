// Whole-file writes under a failing disk, and reads of files that are not regular.
#include "settings/safefile.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace corvane;

namespace
{

// While it lives, no file of this process may grow past limit bytes: writes beyond it fail with
// EFBIG, as writes on a full disk fail with ENOSPC. Needs no privileges.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit small = m_old;
        small.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

const QString kTooLarge = QString::fromLocal8Bit(std::strerror(EFBIG));

} // namespace

// (we had this bug) QSaveFile kept a small write in its buffer; the failed flush inside commit()
// went unreported and the truncated file was renamed over the project.
TEST(SafeFile, FailedWritesKeepTheOldFileAndSayWhy)
{
    QTemporaryDir dir;
    const QByteArray old = "the old contents\n";
    const struct {
        const char *name;
        Result<void> (*write)(const QString &, const QByteArray &);
        qsizetype size; // small ones stay in the write buffer until the flush
    } cases[] = {
        {"replace, buffered", &SafeFile::replace, 3000},
        {"replace, large", &SafeFile::replace, 200000},
        {"overwrite, buffered", &SafeFile::overwrite, 3000},
        {"overwrite, large", &SafeFile::overwrite, 200000},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath("kept.txt");
        test::writeFile(path, old);
        Result<void> written;
        {
            const FileSizeLimit limit(1024);
            written = c.write(path, QByteArray(c.size, 'x'));
        }
        ASSERT_FALSE(written.ok());
        EXPECT_EQ(written.error(), kTooLarge);
        EXPECT_EQ(test::readFile(path), old);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"kept.txt"});

        // A file that did not exist before is not left behind half written.
        const QString fresh = dir.filePath("fresh.txt");
        {
            const FileSizeLimit limit(1024);
            EXPECT_FALSE(c.write(fresh, QByteArray(c.size, 'y')).ok());
        }
        EXPECT_FALSE(QFile::exists(fresh));

        // Without the limit the same write goes through.
        ASSERT_TRUE(c.write(path, QByteArray(c.size, 'z')).ok());
        EXPECT_EQ(test::readFile(path), QByteArray(c.size, 'z'));
    }
}

TEST(SafeFile, OverwriteKeepsTheFileItselfAndReportsAFullDevice)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("linked.f90");
    test::writeFile(path, "a much longer text than the one that replaces it\n");
    ASSERT_EQ(::link(QFile::encodeName(path), QFile::encodeName(dir.filePath("other"))), 0);
    ASSERT_TRUE(SafeFile::overwrite(path, "short\n").ok());
    EXPECT_EQ(test::readFile(dir.filePath("other")), QByteArray("short\n"));

    if (!QFile::exists("/dev/full"))
        return;
    const Result<void> full = SafeFile::overwrite("/dev/full", "text");
    ASSERT_FALSE(full.ok());
    EXPECT_EQ(full.error(), QString::fromLocal8Bit(std::strerror(ENOSPC)));
}

TEST(SafeFile, ReadsOnlyRegularFilesUpToTheLimit)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.corvane");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo), 0600), 0);
    const QString zero = dir.filePath("zero.corvane");
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    const QString big = dir.filePath("big.corvane");
    test::writeFile(big, QByteArray(2048, 'b'));
    const QString small = dir.filePath("small.corvane");
    test::writeFile(small, "bplist00");

    const struct {
        QString path;
        const char *error; // nullptr: read
    } cases[] = {
        {fifo, "not a regular file"}, // opening it would wait for a writer
        {zero, "not a regular file"}, // reading it would never end
        {dir.path(), "it is a folder"},
        {big, "larger than 1024 bytes"},
        {dir.filePath("none"), nullptr},
        {small, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const Result<QByteArray> r = SafeFile::readRegular(c.path, 1024);
        if (c.path == small) {
            ASSERT_TRUE(r.ok()) << r.error().toStdString();
            EXPECT_EQ(*r, QByteArray("bplist00"));
        } else if (c.error) {
            EXPECT_EQ(r.error(), QString(c.error));
        } else {
            EXPECT_EQ(r.error(), QString::fromLocal8Bit(std::strerror(ENOENT)));
        }
    }
}

TEST(SafeFile, HoldsOnlyTheSameBytesInARegularFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Demo.mak");
    test::writeFile(file, "F90 = gfortran\n");
    const QString fifo = dir.filePath("pipe.mak");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo), 0600), 0);
    const struct {
        const char *name;
        QString path;
        QByteArray bytes;
        bool holds;
    } cases[] = {
        {"the same", file, "F90 = gfortran\n", true},
        {"its start only", file, "F90 = gfortran", false},
        {"longer", file, "F90 = gfortran\n\n", false},
        {"other text of the same size", file, "F90 = gfortrax\n", false},
        {"missing", dir.filePath("none"), "", false},
        {"a folder", dir.path(), "", false},
        {"a pipe, never opened for reading", fifo, "", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SafeFile::holds(c.path, c.bytes), c.holds);
    }
}
