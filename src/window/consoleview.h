// ConsoleView: the project window's console: build and run output coloured by role with the
// console colours and font of the settings.
#pragma once

#include "build/console.h"

#include <QPlainTextEdit>

namespace corvane
{

class ConsoleView : public QPlainTextEdit, public Console
{
    Q_OBJECT
public:
    explicit ConsoleView(QWidget *parent = nullptr);

    void append(const QString &text, Role role) override;
    void clear() override;

private:
    void applySettings();

    Role m_lastRole = Role::Normal;
};

} // namespace corvane
