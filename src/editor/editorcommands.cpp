#include "editorcommands.h"

#include "corvanetextview.h"
#include "editornavigator.h"
#include "editorviewcontroller.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPropertyAnimation>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace corvane
{

EditorCommands::EditorCommands(EditorViewController &editor, Defaults &defaults)
    : QObject(&editor), m_editor(editor), m_defaults(defaults)
{
    using C = EditorCommands;
    addCommand("toggleComment", tr("Toggle &Comment"), QKeySequence(Qt::CTRL | Qt::Key_Slash),
               &C::toggleComment);
    addCommand("commentOut", tr("Comment &Out"), QKeySequence(Qt::CTRL | Qt::Key_D),
               &C::commentOutSelection);
    addCommand("unCommentOut", tr("&Uncomment"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D),
               &C::unCommentOutSelection);
    addCommand("makeSelectionIntoCommentBlock", tr("Comment &Block"),
               QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_A), &C::makeSelectionIntoACommentBlock);
    addCommand("ShiftLinesRight", tr("Shift &Right"), QKeySequence(Qt::CTRL | Qt::Key_BracketRight),
               &C::shiftLinesRight);
    addCommand("ShiftLinesLeft", tr("Shift &Left"), QKeySequence(Qt::CTRL | Qt::Key_BracketLeft),
               &C::shiftLinesLeft);
    addCommand("insertRealKind", tr("Insert Real &Kind"),
               QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_K), &C::insertRealKind);
    addCommand("insertDate", tr("Insert &Time Stamp"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_D),
               &C::insertDate);
    addCommand("toggleCommentMode", tr("&Plain Text Mode On/Off"),
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M), &C::toggleCodingMode);
    connect(addCommand("uppercaseWord", tr("Make U&pper Case"),
                       QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_U), nullptr),
            &QAction::triggered, this, [this] { changeWordCase(WordCase::Upper); });
    connect(addCommand("lowercaseWord", tr("Make Lo&wer Case"), QKeySequence(Qt::ALT | Qt::Key_U),
                       nullptr),
            &QAction::triggered, this, [this] { changeWordCase(WordCase::Lower); });
    connect(addCommand("capitalizeWord", tr("C&apitalize"),
                       QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_U), nullptr),
            &QAction::triggered, this, [this] { changeWordCase(WordCase::Capitalize); });

    applyIndentation();
    connect(&m_defaults, &Defaults::changed, this, [this](const QString &key) {
        if (key == QLatin1String(keys::Indentsizekey) ||
            key == QLatin1String(keys::IndentlinesFlag))
            applyIndentation();
    });
}

QAction *EditorCommands::addCommand(const char *name, const QString &text,
                                    const QKeySequence &keys, void (EditorCommands::*slot)())
{
    auto *a = new QAction(text, this);
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(keys);
    if (slot)
        connect(a, &QAction::triggered, this, slot);
    m_actions << a;
    return a;
}

QAction *EditorCommands::action(const QString &name) const
{
    for (QAction *a : m_actions)
        if (a->objectName() == name)
            return a;
    return nullptr;
}

void EditorCommands::fillMenu(QMenu *menu) const
{
    const char *groups[][4] = {
        {"toggleComment", "commentOut", "unCommentOut", "makeSelectionIntoCommentBlock"},
        {"ShiftLinesRight", "ShiftLinesLeft", nullptr, nullptr},
        {"uppercaseWord", "lowercaseWord", "capitalizeWord", nullptr},
        {"insertRealKind", "insertDate", nullptr, nullptr},
        {"toggleCommentMode", nullptr, nullptr, nullptr},
    };
    bool first = true;
    for (const auto &group : groups) {
        if (!first)
            menu->addSeparator();
        first = false;
        for (const char *name : group)
            if (name)
                menu->addAction(action(QString::fromLatin1(name)));
    }
}

void EditorCommands::applyIndentation()
{
    m_editor.textView()->setIndentation(
        m_defaults.boolValue(QLatin1String(keys::IndentlinesFlag)),
        indentSizeFromSetting(m_defaults.value(QLatin1String(keys::Indentsizekey)).toLongLong()));
}

TextRange EditorCommands::selection() const
{
    const QTextCursor c = m_editor.textView()->textCursor();
    return {quint64(c.selectionStart()), quint64(c.selectionEnd() - c.selectionStart())};
}

void EditorCommands::perform(const CommandResult &result)
{
    CorvaneTextView *view = m_editor.textView();
    QTextDocument *doc = m_editor.document();
    if (!doc || view->isReadOnly())
        return;
    view->dismissCompletion();
    if (result.replacement)
        m_editor.navigator()->replaceTextWithDictionary(*result.replacement);
    const int length = doc->characterCount() - 1;
    QTextCursor c(doc);
    c.setPosition(qBound(0, int(result.selection.location), length));
    c.setPosition(qBound(0, int(result.selection.location + result.selection.length), length),
                  QTextCursor::KeepAnchor);
    view->setTextCursor(c);
    view->ensureCursorVisible();
    m_editor.navigator()->setJumpListNeedsUpdating();
    m_editor.navigator()->setStatusBarNeedsUpdate();
}

void EditorCommands::commentOutSelection()
{
    m_editor.setCodingMode(1);
    perform(corvane::commentOutSelection(m_editor.currentText(), selection(),
                                         !m_editor.f90Coloring()));
}

void EditorCommands::unCommentOutSelection()
{
    perform(corvane::unCommentOutSelection(m_editor.currentText(), selection(),
                                           !m_editor.f90Coloring()));
}

void EditorCommands::toggleComment()
{
    m_editor.setCodingMode(1);
    perform(toggleCommentSelection(m_editor.currentText(), selection(), !m_editor.f90Coloring()));
}

void EditorCommands::makeSelectionIntoACommentBlock()
{
    m_editor.setCodingMode(1);
    perform(corvane::makeSelectionIntoACommentBlock(m_editor.currentText(), selection(),
                                                    CommentBlockSettings::fromDefaults(m_defaults)));
}

void EditorCommands::shiftLinesRight()
{
    const int k =
        indentSizeFromSetting(m_defaults.value(QLatin1String(keys::Indentsizekey)).toLongLong());
    perform(corvane::shiftLinesRight(m_editor.currentText(), selection(), k,
                                     !m_editor.f90Coloring()));
}

void EditorCommands::shiftLinesLeft()
{
    const int k =
        indentSizeFromSetting(m_defaults.value(QLatin1String(keys::Indentsizekey)).toLongLong());
    perform(corvane::shiftLinesLeft(m_editor.currentText(), selection(), k));
}

void EditorCommands::insertRealKind()
{
    perform(corvane::insertRealKind(m_editor.currentText(), selection(),
                                    m_defaults.stringValue(QLatin1String(keys::RealKind))));
}

void EditorCommands::insertDate()
{
    perform(corvane::insertDate(m_editor.currentText(), selection(),
                                QDateTime::currentDateTime(), QLocale::system()));
}

void EditorCommands::changeWordCase(WordCase mode)
{
    perform(corvane::changeWordCase(m_editor.currentText(), selection(), mode));
}

void EditorCommands::toggleCodingMode()
{
    const unsigned mode = m_editor.codingMode() == 1 ? 0 : 1;
    m_editor.setCodingMode(mode);
    if (mode == 0)
        showPlainTextNotice();
}

void EditorCommands::showPlainTextNotice()
{
    QWidget *anchor = m_editor.textView()->window();
    if (m_notice)
        m_notice->deleteLater();
    auto *notice = new QLabel(tr("Plain Text Mode"), anchor,
                              Qt::ToolTip | Qt::FramelessWindowHint);
    notice->setObjectName(QStringLiteral("plainTextNotice"));
    notice->setAttribute(Qt::WA_ShowWithoutActivating);
    notice->setAlignment(Qt::AlignCenter);
    notice->setStyleSheet(QStringLiteral(
        "QLabel { background: rgba(40, 40, 40, 230); color: white; padding: 16px 28px; "
        "border-radius: 8px; font-size: 16pt; }"));
    notice->adjustSize();
    const QRect frame = anchor->frameGeometry();
    notice->move(frame.center() - QPoint(notice->width() / 2, notice->height() / 2));
    notice->setWindowOpacity(0.0);
    notice->show();
    m_notice = notice;

    auto *fadeIn = new QPropertyAnimation(notice, "windowOpacity", notice);
    fadeIn->setDuration(kNoticeFadeMs);
    fadeIn->setEndValue(1.0);
    fadeIn->start(QAbstractAnimation::DeleteWhenStopped);
    QTimer::singleShot(kNoticeFadeOutAfterMs, notice, [notice] {
        auto *fadeOut = new QPropertyAnimation(notice, "windowOpacity", notice);
        fadeOut->setDuration(kNoticeFadeMs);
        fadeOut->setEndValue(0.0);
        fadeOut->start(QAbstractAnimation::DeleteWhenStopped);
        QTimer::singleShot(kNoticeFadeMs, notice, [notice] {
            notice->close();
            notice->deleteLater();
        });
    });
}

} // namespace corvane
