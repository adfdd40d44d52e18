#include "editor/findbar.h"

#include "editor/corvanetextview.h"
#include "editor/editornavigator.h"
#include "editor/editorviewcontroller.h"

#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTextCursor>
#include <QToolButton>

namespace corvane
{

namespace
{

QToolButton *toolButton(const QString &text, const QString &tip, QWidget *parent,
                        bool checkable = false)
{
    auto *button = new QToolButton(parent);
    button->setText(text);
    button->setToolTip(tip);
    button->setCheckable(checkable);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

bool isF3(const QKeyEvent *key)
{
    return key->key() == Qt::Key_F3 &&
           (key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == Qt::NoModifier;
}

} // namespace

FindBar::FindBar(EditorViewController &editor, QWidget *parent)
    : QWidget(parent), m_editor(editor), m_findAction(new QAction(tr("&Find..."), this)),
      m_replaceAction(new QAction(tr("R&eplace..."), this)), m_findField(new QLineEdit(this)),
      m_replaceField(new QLineEdit(this)),
      m_caseButton(toolButton(tr("Aa"), tr("Match letter case"), this, true)),
      m_wordButton(toolButton(tr("W"), tr("Whole words only"), this, true)),
      m_previousButton(toolButton(tr("Previous"), tr("Previous match (Shift+Enter, Shift+F3)"),
                                  this)),
      m_nextButton(toolButton(tr("Next"), tr("Next match (Enter, F3)"), this)),
      m_closeButton(toolButton(QStringLiteral("\u00d7"), tr("Close (Esc)"), this)),
      m_replaceButton(toolButton(tr("Replace"), tr("Replace the selected match (Enter)"), this)),
      m_replaceAllButton(toolButton(tr("Replace All"), tr("Replace every match"), this)),
      m_countLabel(new QLabel(this)), m_replaceRow(new QWidget(this))
{
    setObjectName("findBar");
    m_findAction->setObjectName("findInFile");
    m_replaceAction->setObjectName("replaceInFile");
    m_findField->setObjectName("findField");
    m_findField->setPlaceholderText(tr("Find"));
    m_findField->setClearButtonEnabled(true);
    m_replaceField->setObjectName("replaceField");
    m_replaceField->setPlaceholderText(tr("Replace"));
    m_countLabel->setObjectName("findCount");
    m_countLabel->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000 of 0000")));
    m_caseButton->setObjectName("findCase");
    m_wordButton->setObjectName("findWholeWord");
    m_replaceButton->setObjectName("replaceOne");
    m_replaceAllButton->setObjectName("replaceAll");

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setHorizontalSpacing(4);
    layout->setVerticalSpacing(2);
    layout->addWidget(m_findField, 0, 0);
    auto *findButtons = new QHBoxLayout;
    findButtons->setSpacing(2);
    for (QWidget *w : std::initializer_list<QWidget *>{m_caseButton, m_wordButton, m_countLabel,
                                                       m_previousButton, m_nextButton})
        findButtons->addWidget(w);
    findButtons->addStretch(1);
    findButtons->addWidget(m_closeButton);
    layout->addLayout(findButtons, 0, 1);
    layout->addWidget(m_replaceField, 1, 0);
    auto *replaceButtons = new QHBoxLayout(m_replaceRow);
    replaceButtons->setContentsMargins(0, 0, 0, 0);
    replaceButtons->setSpacing(2);
    replaceButtons->addWidget(m_replaceButton);
    replaceButtons->addWidget(m_replaceAllButton);
    replaceButtons->addStretch(1);
    layout->addWidget(m_replaceRow, 1, 1);
    layout->setColumnStretch(0, 2);
    layout->setColumnStretch(1, 3);
    m_replaceField->hide();
    m_replaceRow->hide();
    hide();

    CorvaneTextView *view = m_editor.textView();
    m_findAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    m_replaceAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    for (QAction *action : {m_findAction, m_replaceAction}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        view->addAction(action);
        addAction(action);
    }
    connect(m_findAction, &QAction::triggered, this, &FindBar::openFind);
    connect(m_replaceAction, &QAction::triggered, this, &FindBar::openReplace);

    connect(m_findField, &QLineEdit::textEdited, this, &FindBar::searchAsTyped);
    connect(m_caseButton, &QToolButton::toggled, this, &FindBar::optionsChanged);
    connect(m_wordButton, &QToolButton::toggled, this, &FindBar::optionsChanged);
    connect(m_nextButton, &QToolButton::clicked, this, &FindBar::findNext);
    connect(m_previousButton, &QToolButton::clicked, this, &FindBar::findPrevious);
    connect(m_closeButton, &QToolButton::clicked, this, &FindBar::closeBar);
    connect(m_replaceButton, &QToolButton::clicked, this, &FindBar::replace);
    connect(m_replaceAllButton, &QToolButton::clicked, this, &FindBar::replaceAll);

    // The matches follow edits (coalesced) and the count follows the selection.
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(50);
    connect(&m_refreshTimer, &QTimer::timeout, this, &FindBar::refreshMatches);
    connect(view, &QPlainTextEdit::textChanged, this, [this] {
        if (isVisible())
            m_refreshTimer.start();
    });
    connect(view, &QPlainTextEdit::cursorPositionChanged, this, &FindBar::updateCount);

    // F3, Enter and Esc are taken here before any window shortcut sees them.
    view->installEventFilter(this);
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);
}

bool FindBar::isReplaceShown() const
{
    return !m_replaceRow->isHidden();
}

void FindBar::openFind()
{
    open(false);
}

void FindBar::openReplace()
{
    open(true);
}

void FindBar::open(bool withReplace)
{
    const QTextCursor c = m_editor.textView()->textCursor();
    const QString selected = c.selectedText();
    // A selection over several lines is not a text to find.
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        m_findField->setText(selected);
    m_searchStart = c.selectionStart();
    if (withReplace) {
        m_replaceField->show();
        m_replaceRow->show();
    }
    show();
    refreshMatches();
    // Ctrl+H over a selected word goes straight to the replacement.
    if (withReplace && !m_findField->text().isEmpty() && !selected.isEmpty()) {
        m_replaceField->setFocus(Qt::ShortcutFocusReason);
        m_replaceField->selectAll();
    } else {
        m_findField->setFocus(Qt::ShortcutFocusReason);
        m_findField->selectAll();
    }
}

void FindBar::closeBar()
{
    hide();
    m_replaceField->hide();
    m_replaceRow->hide();
    m_refreshTimer.stop();
    m_editor.textView()->setHighlights(CorvaneTextView::FindLayer, {});
    m_editor.textView()->setFocus(Qt::OtherFocusReason);
}

TextSearch FindBar::search() const
{
    return TextSearch(m_findField->text(), m_caseButton->isChecked(), m_wordButton->isChecked());
}

TextRange FindBar::selection() const
{
    const QTextCursor c = m_editor.textView()->textCursor();
    return {quint64(c.selectionStart()), quint64(c.selectionEnd() - c.selectionStart())};
}

void FindBar::select(TextRange range)
{
    CorvaneTextView *view = m_editor.textView();
    QTextCursor c = view->textCursor();
    c.setPosition(int(range.location));
    c.setPosition(int(range.location + range.length), QTextCursor::KeepAnchor);
    view->setTextCursor(c);
    view->centerCursor();
    updateCount();
}

void FindBar::beep()
{
    QApplication::beep();
    emit beeped();
}

void FindBar::searchAsTyped()
{
    refreshMatches();
    if (m_findField->text().isEmpty())
        return;
    if (const std::optional<SearchHit> hit =
            search().findNext(m_editor.currentText(), m_searchStart))
        select(hit->range);
}

void FindBar::optionsChanged()
{
    refreshMatches();
    // The selected match may no longer be one: move to the first match from it.
    if (!m_findField->text().isEmpty() && !TextSearch::indexOfMatch(m_matches, selection()))
        if (const std::optional<SearchHit> hit =
                search().findNext(m_editor.currentText(), qsizetype(selection().location)))
            select(hit->range);
}

void FindBar::refreshMatches()
{
    m_matches = search().matches(m_editor.currentText());
    QList<QTextEdit::ExtraSelection> highlights;
    QTextDocument *doc = m_editor.textView()->document();
    QTextCharFormat format;
    format.setBackground(QColor(255, 200, 0, 110));
    for (const TextRange &r : m_matches) {
        if (highlights.size() >= kMaxHighlights)
            break;
        QTextEdit::ExtraSelection s;
        s.cursor = QTextCursor(doc);
        s.cursor.setPosition(int(r.location));
        s.cursor.setPosition(int(r.location + r.length), QTextCursor::KeepAnchor);
        s.format = format;
        highlights << s;
    }
    m_editor.textView()->setHighlights(CorvaneTextView::FindLayer, highlights);
    showNotFound(!m_findField->text().isEmpty() && m_matches.isEmpty());
    updateCount();
}

void FindBar::updateCount()
{
    if (!isVisible())
        return;
    m_countLabel->setText(m_findField->text().isEmpty()
                              ? QString()
                              : TextSearch::countText(
                                    TextSearch::indexOfMatch(m_matches, selection()),
                                    m_matches.size()));
}

void FindBar::showNotFound(bool notFound)
{
    // A text that is not found gets a reddish field, as editors show it.
    QPalette p = m_findField->parentWidget()->palette();
    if (notFound)
        p.setColor(QPalette::Base, QColor(255, 205, 205));
    m_findField->setPalette(p);
}

bool FindBar::step(bool next)
{
    if (m_refreshTimer.isActive()) {
        m_refreshTimer.stop();
        refreshMatches();
    }
    const TextRange sel = selection();
    const TextSearch s = search();
    const std::optional<SearchHit> hit =
        next ? s.findNext(m_editor.currentText(), qsizetype(sel.location + sel.length))
             : s.findPrevious(m_editor.currentText(), qsizetype(sel.location));
    if (!hit) {
        beep();
        return false;
    }
    m_searchStart = qsizetype(hit->range.location);
    select(hit->range);
    return true;
}

bool FindBar::findNext()
{
    return step(true);
}

bool FindBar::findPrevious()
{
    return step(false);
}

void FindBar::replace()
{
    if (m_editor.textView()->isReadOnly()) {
        beep();
        return;
    }
    const TextSearch s = search();
    const std::optional<TextReplacement> r =
        s.replaceOne(m_editor.currentText(), selection(), m_replaceField->text());
    if (!r) {
        findNext();
        return;
    }
    m_editor.navigator()->replaceTextWithDictionary(*r);
    const qsizetype after = qsizetype(r->rangeValue.location) + r->replacementString.size();
    refreshMatches();
    if (const std::optional<SearchHit> hit = s.findNext(m_editor.currentText(), after)) {
        m_searchStart = qsizetype(hit->range.location);
        select(hit->range);
    } else {
        QTextCursor c = m_editor.textView()->textCursor();
        c.setPosition(int(after));
        m_editor.textView()->setTextCursor(c);
    }
}

void FindBar::replaceAll()
{
    if (m_editor.textView()->isReadOnly()) {
        beep();
        return;
    }
    qsizetype count = 0;
    const std::optional<TextReplacement> r =
        search().replaceAll(m_editor.currentText(), m_replaceField->text(), &count);
    if (!r) {
        beep();
        return;
    }
    m_editor.navigator()->replaceTextWithDictionary(*r);
    QTextCursor c = m_editor.textView()->textCursor();
    c.setPosition(int(r->rangeValue.location) + int(r->replacementString.size()));
    m_editor.textView()->setTextCursor(c);
    refreshMatches();
    m_countLabel->setText(count == 1 ? tr("1 replaced") : tr("%1 replaced").arg(count));
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (!isVisible() || (event->type() != QEvent::ShortcutOverride &&
                         event->type() != QEvent::KeyPress))
        return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    const bool inText = watched == m_editor.textView();
    const bool shift = key->modifiers() & Qt::ShiftModifier;
    if (event->type() == QEvent::ShortcutOverride) {
        // Claim F3 from the window's find-in-project keys while the bar is open.
        if (isF3(key)) {
            event->accept();
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }
    if (isF3(key)) {
        step(!shift);
        return true;
    }
    if (key->key() == Qt::Key_Escape) {
        if (inText && m_editor.textView()->isCompletionListOpen())
            return QWidget::eventFilter(watched, event);
        closeBar();
        return true;
    }
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !inText &&
        (key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == Qt::NoModifier) {
        if (watched == m_findField) {
            step(!shift);
            return true;
        }
        if (watched == m_replaceField) {
            replace();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace corvane
