#include "window/optionspane.h"

#include "project/mydocument.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"
#include "window/notificationoptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace corvane
{

OptionsPane::OptionsPane(MyDocument *document, QWidget *parent)
    : QWidget(parent), m_document(document), m_compiler(new QComboBox),
      m_configuration(new QComboBox), m_input(new QComboBox), m_compilerFlags(new QLineEdit),
      m_linkerFlags(new QLineEdit), m_includeFlags(new QLineEdit), m_arguments(new QLineEdit),
      m_processorsLabel(new QLabel(tr("Processes:"))), m_processors(new QSpinBox),
      m_library(new QCheckBox(tr("Build a static library"))),
      m_continuous(new QCheckBox(tr("Update the console continuously"))),
      m_moduleAware(new QCheckBox(tr("Module-aware rebuilds"))),
      m_inputFile(new QLabel),
      m_editInput(new QPushButton(tr("Edit")))
{
    m_compiler->setEditable(true);
    m_compiler->setInsertPolicy(QComboBox::NoInsert);
    m_compiler->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_compiler->setMinimumContentsLength(10);
    m_configuration->addItem(tr("Testing (debug)"), true);
    m_configuration->addItem(tr("Running (release)"), false);
    m_input->addItem(tr("From the input file"), 0);
    m_input->addItem(tr("Typed in the console"), 2);
    m_processors->setRange(1, int(MyDocument::kMaxProcessors));
    m_compilerFlags->setPlaceholderText(tr("e.g. -O2 -Wall"));
    m_includeFlags->setPlaceholderText(tr("include folders"));

    auto *title = new QLabel(tr("Project Settings"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);

    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    form->addRow(tr("Compiler:"), m_compiler);
    form->addRow(tr("Configuration:"), m_configuration);
    form->addRow(tr("Compiler flags:"), m_compilerFlags);
    form->addRow(tr("Linker flags:"), m_linkerFlags);
    form->addRow(tr("Include:"), m_includeFlags);
    form->addRow(m_processorsLabel, m_processors);
    form->addRow(tr("Arguments:"), m_arguments);
    form->addRow(tr("Input:"), m_input);
    m_inputFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_inputFile->setWordWrap(true);
    auto *choose = new QPushButton(tr("Choose..."));
    auto *create = new QPushButton(tr("New..."));
    auto *inputButtons = new QHBoxLayout;
    inputButtons->setContentsMargins(0, 0, 0, 0);
    inputButtons->addWidget(choose);
    inputButtons->addWidget(create);
    inputButtons->addWidget(m_editInput);
    inputButtons->addStretch(1);
    form->addRow(tr("Input file:"), m_inputFile);
    form->addRow(QString(), inputButtons);
    connect(choose, &QPushButton::clicked, this, &OptionsPane::chooseInputFileRequested);
    connect(create, &QPushButton::clicked, this, &OptionsPane::newInputFileRequested);
    connect(m_editInput, &QPushButton::clicked, this, &OptionsPane::editInputFileRequested);
    form->addRow(m_library);
    m_moduleAware->setObjectName("moduleAwareRebuilds");
    m_moduleAware->setToolTip(
        tr("Objects depend on the module files they read, so an edit that leaves a module's "
           "interface as it was recompiles only its own file. Off: every file that uses a "
           "module is recompiled when the module's file is."));
    form->addRow(m_moduleAware);
    form->addRow(m_continuous);

    m_notifications = new NotificationOptions(document);
    auto *rule = new QFrame;
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    // The settings scroll when the window is lower than they are tall, so that they never set
    // the window's minimum height.
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    layout->addWidget(title);
    layout->addLayout(form);
    layout->addWidget(rule);
    layout->addWidget(m_notifications);
    layout->addStretch(1);
    auto *scroll = new QScrollArea;
    scroll->setObjectName("optionsScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    refresh();

    auto text = [this](QLineEdit *edit, void (MyDocument::*set)(const QString &)) {
        connect(edit, &QLineEdit::editingFinished, this, [this, edit, set] {
            if (!m_refreshing)
                (m_document->*set)(edit->text());
        });
    };
    text(m_compilerFlags, &MyDocument::setCompilerFlags);
    text(m_linkerFlags, &MyDocument::setLinkerFlags);
    text(m_includeFlags, &MyDocument::setIncludeFlags);
    text(m_arguments, &MyDocument::setCommandLineArguments);
    connect(m_compiler, &QComboBox::currentTextChanged, this, [this](const QString &t) {
        if (!m_refreshing && t.trimmed() != m_document->projectCompilerPath())
            m_document->setProjectCompilerPath(t.trimmed());
    });
    connect(m_configuration, &QComboBox::currentIndexChanged, this, [this](int) {
        if (!m_refreshing)
            m_document->setIsDebugBuild(m_configuration->currentData().toBool());
    });
    connect(m_input, &QComboBox::currentIndexChanged, this, [this](int) {
        if (!m_refreshing)
            m_document->setInputOption(m_input->currentData().toLongLong());
    });
    connect(m_processors, &QSpinBox::valueChanged, this, [this](int n) {
        if (!m_refreshing)
            m_document->setNumberOfProcessors(n);
    });
    connect(m_library, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_refreshing)
            m_document->setCompileForLibrary(on);
    });
    connect(m_moduleAware, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_refreshing)
            m_document->setModuleAwareRebuilds(on);
    });
    connect(m_continuous, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_refreshing)
            m_document->setContinuouslyUpdateConsole(on);
    });
    connect(m_document, &MyDocument::settingChanged, this, [this] { refresh(); });
}

void OptionsPane::refresh()
{
    m_refreshing = true;
    MyDocument &d = *m_document;
    m_compiler->clear();
    for (QString entry : Defaults::instance().stringListValue(keys::installedCompilers)) {
        entry = entry.trimmed();
        if (!entry.isEmpty() && m_compiler->findText(entry) < 0)
            m_compiler->addItem(entry);
    }
    m_compiler->setCurrentText(d.projectCompilerPath());
    m_configuration->setCurrentIndex(d.isDebugBuild() ? 0 : 1);
    // Configuration-specific fields show the active configuration's values.
    if (!m_compilerFlags->hasFocus())
        m_compilerFlags->setText(d.compilerFlags());
    if (!m_linkerFlags->hasFocus())
        m_linkerFlags->setText(d.linkerFlags());
    if (!m_includeFlags->hasFocus())
        m_includeFlags->setText(d.includeFlags());
    if (!m_arguments->hasFocus())
        m_arguments->setText(d.commandLineArguments());
    m_processors->setValue(int(std::clamp<qint64>(d.numberOfProcessors(), 1, MyDocument::kMaxProcessors)));
    setParallelOptionsVisible(d.shouldEnableParallel());
    const QString inputFile = d.storedInputFileName();
    m_inputFile->setText(inputFile.isEmpty() ? tr("none") : QFileInfo(inputFile).fileName());
    m_inputFile->setToolTip(inputFile);
    m_editInput->setEnabled(d.inputOption() == 0 && !inputFile.isEmpty());
    int inputIndex = m_input->findData(d.inputOption());
    if (inputIndex < 0) {
        m_input->addItem(tr("Typed in the console"), d.inputOption());
        inputIndex = m_input->count() - 1;
    }
    m_input->setCurrentIndex(inputIndex);
    m_library->setChecked(d.compileForLibrary().value_or(false));
    m_continuous->setChecked(d.continuouslyUpdateConsole());
    m_moduleAware->setChecked(d.moduleAwareRebuilds());
    m_refreshing = false;
}

void OptionsPane::setParallelOptionsVisible(bool visible)
{
    m_processors->setVisible(visible);
    m_processorsLabel->setVisible(visible);
}

bool OptionsPane::parallelOptionsVisible() const
{
    return !m_processors->isHidden();
}

QString OptionsPane::shownInputFileName() const
{
    return m_inputFile->text();
}

} // namespace corvane
