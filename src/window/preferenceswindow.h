// PreferencesWindow: the application's settings in the panes General, Console, Editor, Code and
// Templates. General holds the installed compilers, where compilers can be added by hand and
// removed again.
#pragma once

#include <QWidget>

class QListWidget;
class QTabWidget;

namespace corvane
{

class Prompts;

class PreferencesWindow : public QWidget
{
    Q_OBJECT
public:
    explicit PreferencesWindow(Prompts *prompts, QWidget *parent = nullptr);

    // Re-reads the compiler lists from the settings.
    void refreshCompilers();
    void addCompiler(const QString &path);
    void removeSelectedCompiler();
    QListWidget *compilerList() const { return m_compilers; }
    QTabWidget *panes() const { return m_panes; }

private:
    QWidget *generalPane();
    QWidget *consolePane();
    QWidget *editorPane();
    QWidget *codePane();
    QWidget *templatesPane();

    Prompts *m_prompts;
    QTabWidget *m_panes;
    QListWidget *m_compilers = nullptr;
};

} // namespace corvane
