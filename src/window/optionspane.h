// OptionsPane: the project settings beside the work area: compiler, configuration, flags,
// include folders, process count (only for MPI, coarray or OpenMP builds), program arguments,
// input, library, module-aware rebuilds and console mode, and how a run that ends unseen is told
// (NotificationOptions). Every control writes straight to the document, which marks itself
// changed; controls follow the document when it changes a setting itself.
#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace corvane
{

class MyDocument;
class NotificationOptions;

class OptionsPane : public QWidget
{
    Q_OBJECT
public:
    explicit OptionsPane(MyDocument *document, QWidget *parent = nullptr);

    // Reads every control from the document.
    void refresh();

    QComboBox *compilerBox() const { return m_compiler; }
    QLineEdit *compilerFlagsEdit() const { return m_compilerFlags; }
    QSpinBox *processorsBox() const { return m_processors; }
    // The process count is asked only for MPI, coarray and OpenMP builds.
    void setParallelOptionsVisible(bool visible);
    bool parallelOptionsVisible() const;
    QString shownInputFileName() const;
    NotificationOptions *notificationOptions() const { return m_notifications; }

signals:
    // The input file row's buttons; the window runs the panels and the commands.
    void chooseInputFileRequested();
    void newInputFileRequested();
    void editInputFileRequested();

private:
    MyDocument *m_document;
    bool m_refreshing = false;
    QComboBox *m_compiler, *m_configuration, *m_input;
    QLineEdit *m_compilerFlags, *m_linkerFlags, *m_includeFlags, *m_arguments;
    QLabel *m_processorsLabel;
    QSpinBox *m_processors;
    QCheckBox *m_library, *m_continuous, *m_moduleAware;
    QLabel *m_inputFile;
    QPushButton *m_editInput;
    NotificationOptions *m_notifications;
};

} // namespace corvane
