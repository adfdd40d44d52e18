#include "window/standaloneeditor.h"

#include "editor/corvanetextview.h"
#include "editor/editorcommands.h"
#include "editor/editornavigator.h"
#include "editor/editorviewcontroller.h"
#include "project/fortranfile.h"
#include "settings/safefile.h"
#include "window/helpmenu.h"
#include "window/windowprompts.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QStringDecoder>
#include <QTextDocument>

namespace corvane
{

StandaloneEditor::StandaloneEditor(const QString &path, Prompts *prompts, QWidget *parent)
    : QMainWindow(parent), m_path(path), m_editorController(new EditorViewController(this)),
      m_editor(m_editorController->textView())
{
    setAttribute(Qt::WA_DeleteOnClose);
    if (prompts) {
        m_prompts = prompts;
    } else {
        m_ownPrompts = std::make_unique<WindowPrompts>(this);
        m_prompts = m_ownPrompts.get();
    }
    setCentralWidget(m_editorController->navigator()->editorPage());
    m_editorController->setF90Coloring(!FortranFile::isFixedFormPath(path));
    auto *doc = new QTextDocument(this);

    QFile file(path);
    QString text;
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        QStringDecoder utf8(QStringDecoder::Utf8);
        text = utf8.decode(bytes);
        if (utf8.hasError())
            text = QString::fromLatin1(bytes);
        m_loaded = true;
    } else if (!QFileInfo::exists(path)) {
        // A new file: created on the first save.
        m_loaded = true;
    } else {
        m_prompts->presentError(tr("The file \"%1\" couldn't be opened: %2")
                                    .arg(QFileInfo(path).fileName(), file.errorString()));
    }
    if (m_loaded) {
        // The text goes into the document once the view holds it (one layout pass, not two).
        m_editorController->showDocument(doc);
        m_editorController->loadShownText(text);
        m_editorController->displayText();
    }
    setWindowTitle(QFileInfo(path).fileName() + "[*]");
    connect(m_editor->document(), &QTextDocument::modificationChanged, this,
            &QWidget::setWindowModified);

    QMenu *fileMenu = menuBar()->addMenu(tr("&File"));
    fileMenu->addAction(tr("&Save"), QKeySequence::Save, this, [this] { save(); });
    fileMenu->addAction(tr("&Close"), QKeySequence::Close, this, &QWidget::close);
    m_editorController->fillEditMenu(menuBar()->addMenu(tr("&Edit")));
    // The editing commands; their keys work while this window is active.
    EditorCommands *commands = m_editorController->commands();
    commands->fillMenu(menuBar()->addMenu(tr("F&ormat")));
    addActions(commands->actions());
    addHelpMenu(menuBar(), this);
    resize(900, 700);
}

StandaloneEditor::~StandaloneEditor() = default;

bool StandaloneEditor::save()
{
    if (!m_loaded)
        return false;
    // Written through a temporary file: a full disk leaves the old file whole.
    if (Result<void> saved = SafeFile::replace(m_path, m_editor->toPlainText().toUtf8()); !saved) {
        m_prompts->presentError(tr("The file \"%1\" couldn't be saved: %2")
                                    .arg(QFileInfo(m_path).fileName(), saved.error()));
        return false;
    }
    m_editor->document()->setModified(false);
    return true;
}

void StandaloneEditor::closeEvent(QCloseEvent *event)
{
    if (m_loaded && m_editor->document()->isModified()) {
        const int answer =
            m_prompts->ask(tr("Do you want to save the changes made to \u201c%1\u201d?")
                               .arg(QFileInfo(m_path).fileName()),
                           tr("Your changes will be lost if you don't save them."),
                           {tr("Save"), tr("Don't Save"), tr("Cancel")});
        if (answer == 2 || answer < 0 || (answer == 0 && !save())) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

} // namespace corvane
