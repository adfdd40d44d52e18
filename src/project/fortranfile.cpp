#include "fortranfile.h"

#include "project/bookmark.h"
#include "project/lineconversions.h"
#include "project/prompts.h"
#include "project/sourcetext.h"
#include "settings/defaults.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QStringDecoder>
#include <QTextDocument>

#include <cmath>

namespace corvane
{

FortranFile::FortranFile() = default;

FortranFile::FortranFile(const QString &path) : m_filePath(path)
{
    m_bookmark = Bookmark::create(path);
    configureFileFormat();
}

FortranFile::~FortranFile() = default;

void FortranFile::setTextStorage(std::unique_ptr<QTextDocument> storage)
{
    m_textStorage = std::move(storage);
}

void FortranFile::dropTextStorage()
{
    m_textStorage.reset();
}

void FortranFile::setFileState(qint64 state)
{
    m_fileState = state;
    if (!m_textStorage)
        return;
    if (state == Saved)
        m_textStorage->setModified(false);
}

void FortranFile::markTextDiffersFromDisk()
{
    m_fileState = Modified;
    if (m_textStorage)
        m_textStorage->setModified(true);
}

QString FortranFile::text() const
{
    return m_textStorage ? m_textStorage->toPlainText() : QString();
}

QTextDocument *FortranFile::undoManager()
{
    if (m_textStorage && !m_textStorage->isUndoRedoEnabled())
        m_textStorage->setUndoRedoEnabled(true);
    return m_textStorage.get();
}

bool FortranFile::isFixedFormPath(const QString &path)
{
    const QString ext = QFileInfo(path.toLower()).suffix();
    return ext == "f" || ext == "for" || ext == "f77" || ext == "ftn";
}

void FortranFile::configureFileFormat()
{
    m_isF90File = !isFixedFormPath(m_filePath);
}

int FortranFile::compareFortranFiles(const FortranFile &other) const
{
    return QFileInfo(m_filePath)
        .fileName()
        .compare(QFileInfo(other.m_filePath).fileName(), Qt::CaseInsensitive);
}

bool FortranFile::loadFile(Prompts &prompts)
{
    QFileInfo info(m_filePath);
    if (m_filePath.isEmpty() || !info.exists())
        return false;
    QString error;
    std::optional<QString> read = readSource(m_filePath, &error);
    if (!read) {
        prompts.presentError(error);
        return false;
    }
    QString text = std::move(*read);
    const QDateTime modified = info.lastModified();
    if (!modified.isValid()) {
        prompts.presentError(
            QString("The attributes of the file \"%1\" couldn't be read.").arg(info.fileName()));
        return false;
    }
    m_timeStamp = modified;

    const Defaults &defaults = Defaults::instance();
    int width = defaults.intValue("Indentsizekey");
    LineConversions conversions(prompts, width > 0 ? width : 0);
    if (!conversions.lineEndingsAndTabsAreOKIn(text)) {
        m_fileState = Saved;
        return false;
    }
    auto storage = std::make_unique<QTextDocument>();
    QFont font(defaults.stringValue("FontName"));
    const double size = defaults.doubleValue("FontSize");
    if (size > 0)
        font.setPointSizeF(size);
    storage->setDefaultFont(font);
    storage->setUndoRedoEnabled(false); // loading is not an undoable edit
    storage->setPlainText(text);
    storage->setUndoRedoEnabled(true);
    storage->setModified(false);
    m_textStorage = std::move(storage);
    if (conversions.conversionsWereMade())
        markTextDiffersFromDisk(); // the converted text
    return true;
}

bool FortranFile::resolveFilePath(const QString &searchRoot)
{
    if (!m_filePath.isEmpty() && QFileInfo::exists(m_filePath))
        return false;
    if (m_bookmark.isEmpty()) {
        m_fileState = Lost;
        return false;
    }
    const std::optional<QString> resolved = Bookmark::resolve(m_bookmark, searchRoot);
    if (!resolved) {
        m_fileState = Lost;
        return false;
    }
    m_filePath = *resolved;
    m_bookmark = Bookmark::create(*resolved);
    return true;
}

bool FortranFile::fileHasBeenModified(const QDateTime &lastBatchSaveTime, Prompts *prompts) const
{
    const QDateTime now = QDateTime::currentDateTime();
    if (lastBatchSaveTime.isValid() && std::llabs(lastBatchSaveTime.msecsTo(now)) <= 1000)
        return false;
    QFileInfo info(m_filePath);
    if (m_filePath.isEmpty() || !info.exists())
        return false;
    const QDateTime modified = info.lastModified();
    if (!modified.isValid()) {
        if (prompts)
            prompts->presentError(QString("The attributes of the file \"%1\" couldn't be read.")
                                      .arg(info.fileName()));
        return false;
    }
    return m_timeStamp.isValid() && m_timeStamp < modified;
}

} // namespace corvane
