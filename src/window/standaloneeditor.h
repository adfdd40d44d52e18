// StandaloneEditor: Corvane's own editor window for one file (`corvane --edit FILE`), used as
// the external editor of a project when "Corvane-Edit" is on. Asks before closing with unsaved
// changes; a file that cannot be read or written is reported and nothing is lost.
#pragma once

#include <QMainWindow>

namespace corvane
{

class CorvaneTextView;
class EditorViewController;
class Prompts;

class StandaloneEditor : public QMainWindow
{
    Q_OBJECT
public:
    explicit StandaloneEditor(const QString &path, Prompts *prompts = nullptr,
                              QWidget *parent = nullptr);
    ~StandaloneEditor() override;

    bool isLoaded() const { return m_loaded; }
    bool save();
    CorvaneTextView *editor() const { return m_editor; }
    EditorViewController *editorController() const { return m_editorController; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QString m_path;
    std::unique_ptr<Prompts> m_ownPrompts;
    Prompts *m_prompts;
    EditorViewController *m_editorController;
    CorvaneTextView *m_editor;
    bool m_loaded = false;
};

} // namespace corvane
