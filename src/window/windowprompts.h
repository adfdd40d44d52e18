// WindowPrompts: questions and alerts of the logic shown as window-modal message boxes over one
// window. askLater leaves the box open without blocking the caller.
#pragma once

#include "project/prompts.h"

#include <QPointer>
#include <QWidget>

namespace corvane
{

class WindowPrompts : public Prompts
{
public:
    explicit WindowPrompts(QWidget *window) : m_window(window) {}

    int ask(const QString &message, const QString &informativeText,
            const QStringList &buttons) override;
    void askLater(const QString &message, const QString &informativeText,
                  const QStringList &buttons, std::function<void(int)> answered) override;
    void alert(const QString &message, const QString &informativeText) override;
    void presentError(const QString &message) override;
    void beep() override;

private:
    QPointer<QWidget> m_window;
};

} // namespace corvane
