#include "editornavigator.h"

#include "bracketmatcher.h"
#include "corvanetextview.h"
#include "editorheader.h"
#include "editorviewcontroller.h"
#include "findbar.h"
#include "endcompletion.h"
#include "jumplistpopup.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace corvane
{

EditorNavigator::EditorNavigator(EditorViewController &editor, Defaults &defaults)
    : QObject(&editor), m_editor(editor), m_defaults(defaults), m_header(new EditorHeader),
      m_nextMarker(new QAction(tr("Next Insert Marker"), this)),
      m_completeProcedure(new QAction(tr("Complete Procedure"), this)),
      m_goToLine(new QAction(tr("Go to Line..."), this))
{
    CorvaneTextView *view = m_editor.textView();
    m_highlightTimer.setSingleShot(true);
    m_highlightTimer.setInterval(kBracketHighlightMs);
    connect(&m_highlightTimer, &QTimer::timeout, this,
            [this] { m_editor.textView()->setHighlights(CorvaneTextView::BracketLayer, {}); });

    connect(view, &QPlainTextEdit::cursorPositionChanged, this, &EditorNavigator::selectionChanged);
    connect(view, &QPlainTextEdit::selectionChanged, this, &EditorNavigator::selectionChanged);
    connect(&m_editor, &EditorViewController::fortranFileHasChanged, this,
            &EditorNavigator::textChanged);
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);

    m_nextMarker->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Space));
    m_completeProcedure->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    m_goToLine->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_L), QKeySequence(Qt::CTRL | Qt::Key_G)});
    for (QAction *action : {m_nextMarker, m_completeProcedure, m_goToLine}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        view->addAction(action);
    }
    connect(m_nextMarker, &QAction::triggered, this, [this] { jumpToNextInsertMarker(); });
    connect(m_completeProcedure, &QAction::triggered, this, [this] {
        if (!tryCompleteUnitName())
            beep();
    });
    connect(m_goToLine, &QAction::triggered, this, [this] { m_header->focusLineField(); });

    connect(m_header->popUp(), &JumpListPopUp::aboutToShow, this,
            &EditorNavigator::menuNeedsUpdate);
    connect(m_header->popUp(), &JumpListPopUp::entryChosen, this,
            [this](int index) { jump(index); });
    connect(m_header, &EditorHeader::lineEntered, this,
            [this](const QString &field) { goToLine(field); });
    showJumpList();
}

EditorNavigator::~EditorNavigator()
{
    // The header belongs to the window it was put in; one never placed goes with the editor.
    if (m_header && !m_header->parentWidget())
        delete m_header.data();
}

QWidget *EditorNavigator::editorPage()
{
    if (!m_page) {
        m_page = new QWidget;
        auto *layout = new QVBoxLayout(m_page);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(m_header);
        layout->addWidget(m_editor.textView(), 1);
        layout->addWidget(m_editor.findBar());
    }
    return m_page;
}

QString EditorNavigator::text() const
{
    return m_editor.currentText();
}

StructureScanner EditorNavigator::scanner() const
{
    return StructureScanner(!m_editor.f90Coloring());
}

TextRange EditorNavigator::selection() const
{
    const QTextCursor c = m_editor.textView()->textCursor();
    return {quint64(c.selectionStart()), quint64(c.selectionEnd() - c.selectionStart())};
}

void EditorNavigator::select(TextRange range)
{
    CorvaneTextView *view = m_editor.textView();
    QTextCursor c = view->textCursor();
    c.setPosition(int(range.location));
    c.setPosition(int(range.location + range.length), QTextCursor::KeepAnchor);
    view->setTextCursor(c);
    view->ensureCursorVisible();
}

void EditorNavigator::beep()
{
    QApplication::beep();
    emit beeped();
}

void EditorNavigator::textDisplayed()
{
    m_jumpList.rebuild(text(), scanner());
    showJumpList();
    setStatusBarNeedsUpdate();
}

void EditorNavigator::setStatusBarNeedsUpdate()
{
    m_statusBarNeedsUpdate = true;
    selectionChanged();
}

void EditorNavigator::textChanged()
{
    // Removed text (backspace, delete, cut, typing over a selection) or a paste may remove or
    // merge units: the list is rebuilt when the pop-up opens next.
    if (!m_editor.savedSelection().isEmpty() || m_editor.lineChange().isReplacement)
        m_jumpList.setNeedsUpdating(true);
}

void EditorNavigator::selectionChanged()
{
    if (!m_statusBarNeedsUpdate)
        return;
    synchonizeHeader();
    synchronizeJumpList();
}

void EditorNavigator::synchonizeHeader()
{
    const EditTracker &tracker = m_editor.textTracker();
    const TextRange range = selection();
    m_readout = LineReadout::scanForLineAndColumn(
        tracker.text(), range, tracker.lineAt(qsizetype(range.location)), tracker.lineFeeds());
    if (m_header)
        m_header->showReadout(m_readout);
    emit readoutChanged(m_readout);
}

void EditorNavigator::synchronizeJumpList()
{
    const std::optional<QString> unit =
        scanner().currentProgramUnit(text(), qsizetype(selection().location));
    if (!unit)
        return;
    const QStringList before = m_jumpList.entries();
    const qsizetype selected = m_jumpList.selectedIndex();
    m_jumpList.synchronize(*unit);
    if (m_jumpList.entries() != before || m_jumpList.selectedIndex() != selected)
        showJumpList();
}

void EditorNavigator::showJumpList()
{
    if (m_header)
        m_header->popUp()->setItems(m_jumpList.items(), m_jumpList.selectedIndex());
}

void EditorNavigator::menuNeedsUpdate()
{
    m_jumpList.prepareForPopUp(text(), scanner());
    showJumpList();
}

void EditorNavigator::jump(qsizetype index)
{
    m_jumpList.select(index);
    const QString title = m_jumpList.selectedTitle();
    const std::optional<TextRange> range = scanner().jump(text(), title);
    if (!range)
        return;
    m_statusBarNeedsUpdate = true;
    select(*range);
    m_editor.textView()->setFocus(Qt::OtherFocusReason);
}

bool EditorNavigator::goToLine(const QString &field)
{
    const std::optional<qint64> line = TextNavigation::lineForField(field, text().size());
    if (!line) {
        beep();
        return false;
    }
    m_editor.editLine(int(qBound(qint64(0), *line, qint64(std::numeric_limits<int>::max()))));
    return true;
}

bool EditorNavigator::jumpToNextInsertMarker()
{
    const std::optional<TextRange> marker = TextNavigation::nextInsertMarker(text(), selection());
    if (!marker) {
        beep();
        return false;
    }
    m_statusBarNeedsUpdate = true;
    select(*marker);
    return true;
}

bool EditorNavigator::tryCompleteUnitName()
{
    m_statusBarNeedsUpdate = false;
    const QTextCursor before = m_editor.textView()->textCursor();
    const EndCompletionResult result =
        EndCompletion::tryCompleteUnitName(text(), before.selectionStart(), scanner());
    if (result.replacement) {
        replaceTextWithDictionary(*result.replacement);
        // The end line lies after the caret: the selection's positions are unchanged.
        QTextCursor restored = m_editor.textView()->textCursor();
        restored.setPosition(before.anchor());
        restored.setPosition(before.position(), QTextCursor::KeepAnchor);
        m_editor.textView()->setTextCursor(restored);
    }
    setStatusBarNeedsUpdate();
    return result.completed;
}

ScopeRecord EditorNavigator::scope() const
{
    return ScopeRecord::scope(text(), selection(), m_jumpList);
}

void EditorNavigator::highlightParentheses(int position)
{
    const QString current = text();
    if (position < 0 || position >= current.size())
        return;
    const BracketMatch match = BracketMatcher::matchAt(current, position);
    if (match.kind != BracketMatch::Match) {
        beep();
        return;
    }
    QTextEdit::ExtraSelection highlight;
    highlight.cursor = QTextCursor(m_editor.document());
    highlight.cursor.setPosition(int(match.range.location));
    highlight.cursor.setPosition(int(match.range.location + match.range.length),
                                 QTextCursor::KeepAnchor);
    highlight.format.setBackground(QColor(Qt::cyan));
    m_editor.textView()->setHighlights(CorvaneTextView::BracketLayer, {highlight});
    m_highlightTimer.start();
}

void EditorNavigator::completeParenthesis(QChar opening, int position, const QString &replaced)
{
    if (!m_defaults.boolValue(QLatin1String(keys::autoCompleteParentheses)))
        return;
    const QChar closing = BracketMatcher::closingPartner(opening);
    if (closing.isNull())
        return;
    CorvaneTextView *view = m_editor.textView();
    const int caret = position + 1;
    replaceTextWithDictionary(
        BracketMatcher::completeParenthesis(closing, {quint64(caret), 0}, replaced, 0));
    QTextCursor c = view->textCursor();
    c.setPosition(caret);
    view->setTextCursor(c);
}

void EditorNavigator::replaceTextWithDictionary(const TextReplacement &replacement)
{
    QTextDocument *doc = m_editor.document();
    if (!doc)
        return;
    const TextRange range =
        safeRangeForRange(replacement.rangeValue, quint64(doc->characterCount() - 1));
    QTextCursor c(doc);
    // One edit block: one undo step and one change report, however many pieces it takes.
    c.beginEditBlock();
    const QString current = text();
    const QStringView old =
        QStringView(current).mid(qsizetype(range.location), qsizetype(range.length));
    const QString &with = replacement.replacementString;
    if (old.count(u'\n') == with.count(u'\n') && old.contains(u'\n')) {
        // Line for line, only the characters that differ: commenting or shifting many lines
        // then keeps the document's blocks instead of rebuilding every one of them.
        qsizetype oldPos = 0;
        qsizetype newPos = 0;
        qsizetype shift = qsizetype(range.location);
        while (oldPos <= old.size()) {
            qsizetype oldEnd = old.indexOf(u'\n', oldPos);
            qsizetype newEnd = QStringView(with).indexOf(u'\n', newPos);
            if (oldEnd < 0)
                oldEnd = old.size();
            if (newEnd < 0)
                newEnd = with.size();
            const QStringView a = old.mid(oldPos, oldEnd - oldPos);
            const QStringView b = QStringView(with).mid(newPos, newEnd - newPos);
            qsizetype head = 0;
            while (head < a.size() && head < b.size() && a[head] == b[head])
                ++head;
            qsizetype tail = 0;
            while (tail < a.size() - head && tail < b.size() - head &&
                   a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
                ++tail;
            if (head + tail < a.size() || head + tail < b.size()) {
                c.setPosition(int(shift + oldPos + head));
                c.setPosition(int(shift + oldEnd - tail), QTextCursor::KeepAnchor);
                c.insertText(b.mid(head, b.size() - head - tail).toString());
                shift += (b.size() - head - tail) - (a.size() - head - tail);
            }
            oldPos = oldEnd + 1;
            newPos = newEnd + 1;
        }
    } else {
        c.setPosition(int(range.location));
        c.setPosition(int(range.location + range.length), QTextCursor::KeepAnchor);
        c.insertText(with);
    }
    c.endEditBlock();
    m_lastActionName = replacement.actionName;
}

QRect EditorNavigator::rectForSelectedText() const
{
    CorvaneTextView *view = m_editor.textView();
    const QTextCursor c = view->textCursor();
    QTextCursor start(c);
    start.setPosition(c.selectionStart());
    QTextCursor end(c);
    end.setPosition(qMin(c.selectionEnd(), start.block().position() + start.block().length() - 1));
    return view->cursorRect(start).united(view->cursorRect(end));
}

void EditorNavigator::doubleClicked()
{
    const TextRange proposed = selection();
    if (proposed.length != 1)
        return;
    const TextRange chosen = BracketMatcher::doubleClickSelection(text(), proposed);
    if (chosen != proposed)
        select(chosen);
}

bool EditorNavigator::eventFilter(QObject *watched, QEvent *event)
{
    CorvaneTextView *view = m_editor.textView();
    if (watched == view->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        // The view proposes its word selection first; a bracket then takes its whole range.
        QTimer::singleShot(0, this, &EditorNavigator::doubleClicked);
    } else if (watched == view && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::AltModifier)) {
            jumpToNextInsertMarker();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace corvane
