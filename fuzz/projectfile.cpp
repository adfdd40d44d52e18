// libFuzzer target: project-file bytes through the keyed-archive decoder and, when they decode,
// through the project reader. Any crash, hang or sanitizer report is a bug.
#include "project/keyedarchive.h"
#include "project/mydocument.h"
#include "project/prompts.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_projectfile";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir dir;

    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    corvane::Result<QVariant> decoded = corvane::KeyedArchive::decode(bytes);
    if (!decoded.ok())
        return 0;
    (void)corvane::KeyedArchive::encode(*decoded);

    const QString path = dir.filePath("input.corvane");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(bytes);
    file.close();
    corvane::RecordingPrompts prompts;
    (void)corvane::MyDocument::open(path, prompts);
    return 0;
}
