// FortranFile: the project's record of one source or include file: where it is, how to find it
// again after a move, whether its text is loaded and edited, fixed or free form, the selection to
// restore, and what indexing found in it. The text lives in a QTextDocument kept with the record,
// so that undo survives switching files in the editor.
#pragma once

#include "project/textrange.h"

#include <QByteArray>
#include <QDateTime>
#include <QSet>
#include <QString>

#include <memory>

class QTextDocument;

namespace corvane
{

class FFileDeclarations;
class Prompts;

class FortranFile
{
public:
    enum State : qint64 { Saved = 0, Modified = 1, Lost = 3 };

    // A record with no path (the system makes records with a path only).
    FortranFile();
    // Sets the path, makes the bookmark, state 0, empty selection, format from the extension.
    explicit FortranFile(const QString &path);
    ~FortranFile();
    FortranFile(const FortranFile &) = delete;
    FortranFile &operator=(const FortranFile &) = delete;

    const QString &filePath() const { return m_filePath; }
    void setFilePath(const QString &path) { m_filePath = path; }
    const QByteArray &bookmark() const { return m_bookmark; }
    void setBookmark(const QByteArray &bookmark) { m_bookmark = bookmark; }
    // Invalid when none.
    const QDateTime &timeStamp() const { return m_timeStamp; }
    void setTimeStamp(const QDateTime &time) { m_timeStamp = time; }
    qint64 fileState() const { return m_fileState; }
    // Saved also marks the loaded text as the saved one: undoing back to it reaches the saved
    // state again.
    void setFileState(qint64 state);
    // Modified, with the loaded text marked changed until it is saved (no undo step leads back
    // to the text on disk): for text that differs from the disk's without an edit.
    void markTextDiffersFromDisk();
    const TextRange &selectedRange() const { return m_selectedRange; }
    void setSelectedRange(const TextRange &range) { m_selectedRange = range; }
    bool isF90File() const { return m_isF90File; }
    void setIsF90File(bool freeForm) { m_isF90File = freeForm; }

    // The loaded text, or nullptr before the first load. The record owns it.
    QTextDocument *textStorage() const { return m_textStorage.get(); }
    void setTextStorage(std::unique_ptr<QTextDocument> storage);
    // Drops the loaded text (the file went to an external editor).
    void dropTextStorage();
    // The text of the storage, or a null string when none is loaded.
    QString text() const;

    // The undo history: the text storage's own (QTextDocument keeps undo itself); enabled on the
    // first request. nullptr while no text is loaded.
    QTextDocument *undoManager();
    static constexpr int kUndoLevels = 50;

    const std::shared_ptr<FFileDeclarations> &declarations() const { return m_declarations; }
    void setDeclarations(std::shared_ptr<FFileDeclarations> d) { m_declarations = std::move(d); }
    // Files that depend on this one, each once (filled by indexing); empty when none.
    QStringList &dependentFileNames() { return m_dependentFileNames; }
    const QStringList &dependentFileNames() const { return m_dependentFileNames; }

    // "f", "for", "f77", "ftn" (path lower-cased) -> fixed form; anything else -> free form.
    void configureFileFormat();
    static bool isFixedFormPath(const QString &path);

    // Case-insensitive comparison of the last path components: <0, 0, >0.
    int compareFortranFiles(const FortranFile &other) const;

    // Reads the file (UTF-8, else Latin-1), asks about line endings and tabs through prompts and
    // builds the text storage in the "FontName"/"FontSize" font. False when there is no file,
    // on a read error (presented) or when a conversion was declined (state becomes 0).
    bool loadFile(Prompts &prompts);

    // True exactly when the path was changed: the file is gone and the bookmark found it.
    // A file neither there nor found becomes Lost.
    bool resolveFilePath(const QString &searchRoot = QString());

    // Whether the file on disk changed after timeStamp; false when lastBatchSaveTime is within a
    // second of now, when the file is gone, or when there is no timeStamp.
    bool fileHasBeenModified(const QDateTime &lastBatchSaveTime, Prompts *prompts = nullptr) const;

private:
    QString m_filePath;
    QByteArray m_bookmark;
    QDateTime m_timeStamp;
    qint64 m_fileState = Saved;
    TextRange m_selectedRange;
    bool m_isF90File = true;
    std::unique_ptr<QTextDocument> m_textStorage;
    std::shared_ptr<FFileDeclarations> m_declarations;
    QStringList m_dependentFileNames;
};

} // namespace corvane
