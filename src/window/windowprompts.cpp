#include "window/windowprompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace corvane
{

namespace
{

// Buttons in the given order; the first is the default, a "Cancel" button answers Escape.
QMessageBox *makeBox(QWidget *window, QMessageBox::Icon icon, const QString &message,
                     const QString &informativeText, const QStringList &buttons,
                     QList<QAbstractButton *> &made)
{
    auto *box = new QMessageBox(icon, QApplication::applicationDisplayName(), message,
                                QMessageBox::NoButton, window);
    box->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    box->setInformativeText(informativeText);
    const QStringList labels = buttons.isEmpty() ? QStringList{"OK"} : buttons;
    for (int i = 0; i < labels.size(); ++i) {
        const bool cancel = labels.at(i) == QLatin1String("Cancel") ||
                            (labels.size() == 2 && labels.at(i) == QLatin1String("No"));
        QPushButton *b = box->addButton(labels.at(i), i == 0   ? QMessageBox::AcceptRole
                                                      : cancel ? QMessageBox::RejectRole
                                                               : QMessageBox::DestructiveRole);
        made << b;
        if (i == 0)
            box->setDefaultButton(b);
        if (cancel)
            box->setEscapeButton(b);
    }
    return box;
}

} // namespace

int WindowPrompts::ask(const QString &message, const QString &informativeText,
                       const QStringList &buttons)
{
    QList<QAbstractButton *> made;
    QMessageBox *box =
        makeBox(m_window, QMessageBox::Question, message, informativeText, buttons, made);
    box->exec();
    const int answer = int(made.indexOf(box->clickedButton()));
    delete box;
    return answer;
}

void WindowPrompts::askLater(const QString &message, const QString &informativeText,
                             const QStringList &buttons, std::function<void(int)> answered)
{
    QList<QAbstractButton *> made;
    QMessageBox *box =
        makeBox(m_window, QMessageBox::Question, message, informativeText, buttons, made);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box,
                     [box, made, answered] { answered(int(made.indexOf(box->clickedButton()))); });
    box->open();
}

void WindowPrompts::alert(const QString &message, const QString &informativeText)
{
    QList<QAbstractButton *> made;
    QMessageBox *box =
        makeBox(m_window, QMessageBox::Warning, message, informativeText, {"OK"}, made);
    box->exec();
    delete box;
}

void WindowPrompts::presentError(const QString &message)
{
    QList<QAbstractButton *> made;
    QMessageBox *box = makeBox(m_window, QMessageBox::Critical, message, QString(), {"OK"}, made);
    box->exec();
    delete box;
}

void WindowPrompts::beep()
{
    QApplication::beep();
}

} // namespace corvane
