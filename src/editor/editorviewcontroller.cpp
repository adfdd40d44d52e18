#include "editorviewcontroller.h"

#include "editor/autocompletemanager.h"
#include "editor/completionoffer.h"
#include "editor/corvanetextview.h"
#include "editor/editorcommands.h"
#include "editor/editornavigator.h"
#include "editor/findbar.h"
#include "editor/fortranhighlighter.h"
#include "editor/markerlinenumberview.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"
#include "settings/vocabulary.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace corvane
{

namespace
{

struct ColourKey {
    SpanKind kind;
    const char *key;
};
constexpr ColourKey kColourKeys[] = {
    {SpanKind::Comment, keys::CommentColor},   {SpanKind::String, keys::StringColor},
    {SpanKind::Preprocessor, keys::PreprocessorColor}, {SpanKind::Keyword, keys::KeywordColor},
    {SpanKind::Intrinsic, keys::IntrinsicColor},
};

QColor settingColour(const Defaults &defaults, const char *key)
{
    const QColor c(defaults.stringValue(QLatin1String(key)));
    return c.isValid() ? c : QColor(Qt::black);
}

// The text of [from, to) of doc as toPlainText() gives it.
QString plainText(QTextDocument *doc, int from, int to)
{
    QTextCursor c(doc);
    c.setPosition(qBound(0, from, doc->characterCount() - 1));
    c.setPosition(qBound(0, to, doc->characterCount() - 1), QTextCursor::KeepAnchor);
    QString text = c.selectedText();
    for (QChar &ch : text) {
        if (ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator)
            ch = u'\n';
        else if (ch == QChar::Nbsp)
            ch = u' ';
    }
    return text;
}

QColor mix(const QColor &a, const QColor &b, qreal share)
{
    return QColor::fromRgbF(float(a.redF() * (1 - share) + b.redF() * share),
                            float(a.greenF() * (1 - share) + b.greenF() * share),
                            float(a.blueF() * (1 - share) + b.blueF() * share));
}

} // namespace

QColor EditorViewController::currentLineColour(const QColor &window, const QColor &text)
{
    // A fixed share of the text colour over the background: 6% could not be told from the
    // background on most screens. Dark backgrounds show the same share less, so they get more.
    const bool dark = window.lightnessF() < 0.5;
    return mix(window, text, dark ? 0.18 : 0.12);
}

EditorViewController::EditorViewController(QObject *parent)
    : EditorViewController(Defaults::instance(), Vocabulary::instance(), parent)
{
}

EditorViewController::EditorViewController(Defaults &defaults, const Vocabulary &vocabulary,
                                           QObject *parent)
    : QObject(parent), m_defaults(defaults),
      m_completionManager(std::make_unique<AutocompleteManager>(
          vocabulary,
          defaults.boolValue(QLatin1String(keys::showArgumentListsDuringAutocomplete)))),
      m_view(new CorvaneTextView),
      m_highlighter(new FortranHighlighter(ColourScanner(vocabulary), this)),
      m_placeholder(new QTextDocument(this))
{
    m_placeholder->setDocumentLayout(new QPlainTextDocumentLayout(m_placeholder));
    for (const ColourKey &c : kColourKeys)
        m_highlighter->setColour(c.kind, settingColour(m_defaults, c.key));
    m_normalColour = settingColour(m_defaults, keys::NormalColor);
    applyWindowColours();
    const QVariant rulerShown = m_defaults.value(QLatin1String(keys::showLineNumbers));
    m_view->setLineNumbersShown(rulerShown.isNull() || rulerShown.toBool());
    connect(&m_defaults, &Defaults::changed, this, &EditorViewController::settingChanged);
    connect(m_view, &CorvaneTextView::keyHandled, this, &EditorViewController::keyHandled);
    m_navigator = new EditorNavigator(*this, m_defaults);
    m_commands = new EditorCommands(*this, m_defaults);
    m_findBar = new FindBar(*this);
    m_view->setCompletionSource(
        [this](bool isExplicit) { return completionOfferAtCaret(isExplicit); });
    // Lines scrolled or resized into view are coloured before they are painted.
    connect(m_view, &QPlainTextEdit::updateRequest, this, [this] { colourShownLines(); });
    connect(m_view, &CorvaneTextView::templateInserted, this,
            [this](int position, int length) { colorTextInRange(position, length); });
    showDocument(nullptr);
}

EditorViewController::~EditorViewController()
{
    // The view belongs to the window it was put in; one never placed goes with its controller.
    if (m_findBar && !m_findBar->parentWidget())
        delete m_findBar.data();
    if (m_view && !m_view->parentWidget())
        delete m_view.data();
}

FindBar *EditorViewController::findBar() const
{
    return m_findBar;
}

std::pair<QAction *, QAction *> EditorViewController::fillEditMenu(QMenu *menu)
{
    QAction *undoAction = menu->addAction(tr("&Undo"), QKeySequence::Undo, this,
                                          &EditorViewController::undo);
    QAction *redoAction = menu->addAction(tr("&Redo"), QKeySequence::Redo, this,
                                          &EditorViewController::redo);
    menu->addSeparator();
    for (QAction *action : {m_navigator->completeProcedureAction(),
                            m_navigator->nextInsertMarkerAction(), m_navigator->goToLineAction()})
        menu->addAction(action);
    menu->addSeparator();
    menu->addAction(m_findBar->findAction());
    menu->addAction(m_findBar->replaceAction());
    return {undoAction, redoAction};
}

MarkerLineNumberView *EditorViewController::lineNumberView() const
{
    return m_view->lineNumberView();
}

const ColourScanner &EditorViewController::scanner() const
{
    return m_highlighter->scanner();
}

bool EditorViewController::f90Coloring() const
{
    return !scanner().isFixedForm();
}

QTextDocument *EditorViewController::document() const
{
    return m_document;
}

void EditorViewController::showDocument(QTextDocument *doc)
{
    // An open list belongs to the text shown so far.
    m_view->dismissCompletion();
    m_view->stopCompletionTimer();
    if (m_document)
        disconnect(m_document, &QTextDocument::contentsChange, this,
                   &EditorViewController::onContentsChange);
    // Colours belong to what is shown: the next displayText() colours the new text.
    m_highlighter->setDocument(nullptr);
    const bool placeholder = !doc;
    if (placeholder)
        doc = m_placeholder;
    if (!qobject_cast<QPlainTextDocumentLayout *>(doc->documentLayout()))
        doc->setDocumentLayout(new QPlainTextDocumentLayout(doc));
    const QFont font = editorFont(m_defaults);
    if (doc->defaultFont() != font)
        doc->setDefaultFont(font);
    m_view->setDocument(doc);
    m_view->setFont(font);
    m_view->setReadOnly(placeholder);
    m_document = doc;
    m_tracker.reset(doc->toPlainText());
    m_typedChange.reset();
    connect(doc, &QTextDocument::contentsChange, this, &EditorViewController::onContentsChange);
}

void EditorViewController::loadShownText(const QString &text)
{
    if (!m_document || m_document == m_placeholder)
        return;
    disconnect(m_document, &QTextDocument::contentsChange, this,
               &EditorViewController::onContentsChange);
    const bool undo = m_document->isUndoRedoEnabled();
    m_document->setUndoRedoEnabled(false);
    m_document->setPlainText(text);
    m_document->setUndoRedoEnabled(undo);
    m_document->setModified(false);
    m_tracker.reset(m_document->toPlainText());
    m_typedChange.reset();
    connect(m_document, &QTextDocument::contentsChange, this,
            &EditorViewController::onContentsChange);
}

void EditorViewController::displayText()
{
    readOutNeedsUpdate();
    jumpListNeedsUpdate();
    m_navigator->textDisplayed();
    colorAllText();
}

void EditorViewController::setF90Coloring(bool freeForm)
{
    m_highlighter->scanner().setFixedForm(!freeForm);
    m_view->setGuideColumn(
        guideColumnFor(freeForm, m_defaults.boolValue(QLatin1String(keys::showFreeFormGuide))));
}

int EditorViewController::guideColumnFor(bool freeForm, bool freeFormGuide)
{
    if (!freeForm)
        return 72; // text past it is ignored by compilers
    return freeFormGuide ? 132 : 0; // the longest free-form line the standard allows
}

void EditorViewController::setCodingMode(unsigned mode)
{
    const unsigned before = m_codingMode;
    m_codingMode = mode;
    m_view->setPlainTextMarkerShown(mode == 0);
    if (mode == 0)
        uncolorAllText();
    else if (before == 0)
        colorAllText();
}

void EditorViewController::setColour(SpanKind kind, const QColor &colour)
{
    if (!colour.isValid() || m_highlighter->colour(kind) == colour)
        return;
    m_highlighter->setColour(kind, colour);
    colorAllText();
}

QColor EditorViewController::colour(SpanKind kind) const
{
    return m_highlighter->colour(kind);
}

void EditorViewController::setNormalColor(const QColor &colour)
{
    if (!colour.isValid() || colour == m_normalColour)
        return;
    m_normalColour = colour;
    applyWindowColours();
    colorAllText();
}

bool EditorViewController::colouringOn() const
{
    return m_codingMode == 1 && m_defaults.boolValue(QLatin1String(keys::ColorSyntax));
}

void EditorViewController::colorAllText()
{
    if (!colouringOn() || !m_document)
        return;
    ++m_fullColourings;
    if (m_highlighter->document() != m_document)
        m_highlighter->attach(m_document);
    else
        m_highlighter->rehighlight();
    colourShownLines();
}

void EditorViewController::colourShownLines()
{
    if (!m_document || m_highlighter->document() != m_document || m_highlighter->isFormatting())
        return;
    const auto [from, to] = visibleRange();
    m_highlighter->colourBlocks(m_document->findBlock(from), m_document->findBlock(to));
}

void EditorViewController::finishColouring()
{
    m_highlighter->finishColouring();
}

bool EditorViewController::colouringPending() const
{
    return m_highlighter->colouringPending();
}

void EditorViewController::uncolorAllText()
{
    QTextDocument *doc = m_highlighter->document();
    if (!doc)
        return;
    m_highlighter->setDocument(nullptr);
    doc->markContentsDirty(0, doc->characterCount());
}

void EditorViewController::colorTextInRange(int location, int length)
{
    if (length <= 0 || !colouringOn())
        return;
    if (m_highlighter->document() != m_document)
        colorAllText();
    else
        m_highlighter->rehighlightRange(location, length);
}

void EditorViewController::colorVisibleText()
{
    const auto [from, to] = visibleRange();
    colorTextInRange(from, to - from);
}

std::pair<int, int> EditorViewController::visibleRange() const
{
    return m_view->visibleRange();
}

void EditorViewController::onContentsChange(int from, int removed, int added)
{
    if (!m_document || m_document == m_placeholder)
        return;
    const QString inserted = plainText(m_document, from, from + added);
    const std::optional<EditChange> change =
        m_tracker.apply(from, removed, inserted, m_view->isPasteOperation(), m_view->isUndoing());
    if (!change)
        return;
    textWillChange(*change);
    textDidChange(*change);
}

void EditorViewController::textWillChange(const EditChange &change)
{
    m_lineChange = change.lineChange;
    m_view->clearPasteOperation();
    const auto [visibleStart, visibleEnd] = visibleRange();
    const int start = int(change.position);
    m_editedRange.first = qMin(visibleStart, start);
    m_editedRange.second = qMax(visibleEnd, start + int(change.inserted.size()));
    m_savedSelection = change.removed;
    beforeChangeCompletionTrigger(change);
}

void EditorViewController::textDidChange(const EditChange &change)
{
    emit fortranFileHasChanged(this);
    // Steps that depend on what was typed wait until the key event is done with the text.
    if (m_view->currentKeyEvent() && !m_upcasing && !m_typedChange)
        m_typedChange = change;
    completionTimerAfterChange(change);
}

void EditorViewController::keyHandled(const QKeyEvent *event)
{
    const std::optional<EditChange> change = std::exchange(m_typedChange, std::nullopt);
    if (!change || event->text().isEmpty() || event->isAutoRepeat() ||
        (event->modifiers() & Qt::ControlModifier))
        return;
    const QChar typed = event->text().front() == u'\r' ? QChar(u'\n') : event->text().front();
    if (!Vocabulary::delimiters().contains(typed))
        return;
    const QString &text = m_tracker.text();
    const qsizetype at = change->position;
    if (change->inserted.isEmpty() || change->inserted.front() != typed || at >= text.size())
        return;
    if (m_codingMode == 1 && m_defaults.boolValue(QLatin1String(keys::UppercaseKeywordFlag)))
        if (const auto word = wordToUpcase(scanner(), text, at))
            upcaseKeywordFor(*word);
    if (typed == u')' || typed == u']')
        typedCloseBracket(typed, int(at));
    else if (typed == u'(' || typed == u'[')
        typedOpenBracket(typed, int(at), change->removed);
}

void EditorViewController::upcaseKeywordFor(const ClassifiedWord &word)
{
    const QString current = m_tracker.text().mid(word.start, word.length);
    const QString upper = current.toUpper();
    if (upper == current || upper.size() != current.size())
        return;
    QTextCursor c(m_document);
    c.setPosition(int(word.start));
    c.setPosition(int(word.start + word.length), QTextCursor::KeepAnchor);
    m_upcasing = true;
    c.insertText(upper);
    m_upcasing = false;
}

void EditorViewController::editLine(int line, int /*column*/)
{
    if (!m_document)
        return;
    const int count = m_document->blockCount();
    const QTextBlock block = m_document->findBlockByNumber(qBound(1, line, count) - 1);
    QTextCursor c(m_document);
    c.setPosition(block.position());
    c.setPosition(qMin(block.position() + block.length(), m_document->characterCount() - 1),
                  QTextCursor::KeepAnchor);
    m_view->setTextCursor(c);
    m_view->centerCursor();
    m_view->setFocus();
    readOutNeedsUpdate();
}

int EditorViewController::currentLineNumber() const
{
    const QTextCursor c = m_view->textCursor();
    return m_document ? m_document->findBlock(c.selectionStart()).blockNumber() + 1 : 1;
}

std::optional<CompletionOffer> EditorViewController::completionOfferAtCaret(bool isExplicit) const
{
    if (!m_document || m_document == m_placeholder || (!isExplicit && m_codingMode != 1))
        return std::nullopt;
    const QTextCursor c = m_view->textCursor();
    if (c.hasSelection())
        return std::nullopt;
    return completionOffer(m_tracker.text(), c.position(), isExplicit, *m_completionManager,
                           m_navigator->scope(), CompletionSettings::fromDefaults(m_defaults),
                           m_defaults.mapValue(QLatin1String(keys::TemplateStrings)));
}

void EditorViewController::undo()
{
    m_view->undoEdit();
}

void EditorViewController::redo()
{
    m_view->redoEdit();
}

QFont EditorViewController::editorFont(const Defaults &defaults)
{
    QFont font(defaults.fontFamily(QLatin1String(keys::FontName)));
    font.setStyleHint(QFont::Monospace);
    const double size = defaults.doubleValue(QLatin1String(keys::FontSize));
    if (size > 0)
        font.setPointSizeF(size);
    return font;
}

QFont EditorViewController::editorFont()
{
    return editorFont(Defaults::instance());
}

void EditorViewController::applyFont()
{
    const QFont font = editorFont(m_defaults);
    if (m_document && m_document != m_placeholder)
        m_document->setDefaultFont(font);
    m_view->setFont(font);
}

void EditorViewController::applyWindowColours()
{
    const QColor window = settingColour(m_defaults, keys::WindowColor);
    QPalette pal = m_view->palette();
    pal.setColor(QPalette::Base, window);
    pal.setColor(QPalette::Text, m_normalColour);
    m_view->setPalette(pal);
    m_view->setCurrentLineColour(currentLineColour(window, m_normalColour));
}

void EditorViewController::settingChanged(const QString &key)
{
    if (key == QLatin1String(keys::ColorSyntax)) {
        if (m_defaults.boolValue(key))
            colorAllText();
        else
            uncolorAllText();
        return;
    }
    for (const ColourKey &c : kColourKeys)
        if (key == QLatin1String(c.key))
            return setColour(c.kind, settingColour(m_defaults, c.key));
    if (key == QLatin1String(keys::NormalColor))
        setNormalColor(settingColour(m_defaults, keys::NormalColor));
    else if (key == QLatin1String(keys::WindowColor))
        applyWindowColours();
    else if (key == QLatin1String(keys::FontName) || key == QLatin1String(keys::FontSize))
        applyFont();
    else if (key == QLatin1String(keys::showFreeFormGuide))
        m_view->setGuideColumn(guideColumnFor(f90Coloring(), m_defaults.boolValue(key)));
    else if (key == QLatin1String(keys::showLineNumbers))
        m_view->setLineNumbersShown(m_defaults.value(key).isNull() || m_defaults.boolValue(key));
}

} // namespace corvane
