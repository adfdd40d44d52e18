#include "window/preferenceswindow.h"

#include "build/compilerdiscovery.h"
#include "build/notificationtext.h"
#include "project/prompts.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDoubleSpinBox>
#include <QAction>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace corvane
{

namespace
{

// Controls bound to one settings key each: they show the stored or registered value and store
// every change.
QCheckBox *boolControl(const char *key, const QString &label)
{
    auto *box = new QCheckBox(label);
    box->setChecked(Defaults::instance().boolValue(key));
    QObject::connect(box, &QCheckBox::toggled, box,
                     [key](bool on) { Defaults::instance().setValue(key, on); });
    return box;
}

QSpinBox *intControl(const char *key, int min, int max)
{
    auto *box = new QSpinBox;
    box->setRange(min, max);
    box->setValue(Defaults::instance().intValue(key));
    QObject::connect(box, &QSpinBox::valueChanged, box,
                     [key](int v) { Defaults::instance().setValue(key, v); });
    return box;
}

QDoubleSpinBox *sizeControl(const char *key)
{
    auto *box = new QDoubleSpinBox;
    box->setRange(6, 72);
    box->setDecimals(0);
    box->setValue(Defaults::instance().doubleValue(key));
    QObject::connect(box, &QDoubleSpinBox::valueChanged, box,
                     [key](double v) { Defaults::instance().setValue(key, v); });
    return box;
}

QLineEdit *textControl(const char *key)
{
    auto *edit = new QLineEdit(Defaults::instance().stringValue(key));
    QObject::connect(edit, &QLineEdit::editingFinished, edit,
                     [key, edit] { Defaults::instance().setValue(key, edit->text()); });
    return edit;
}

QFontComboBox *fontControl(const char *key)
{
    auto *box = new QFontComboBox;
    box->setFontFilters(QFontComboBox::MonospacedFonts);
    box->setCurrentFont(QFont(Defaults::instance().fontFamily(key)));
    QObject::connect(box, &QFontComboBox::currentFontChanged, box,
                     [key](const QFont &f) { Defaults::instance().setValue(key, f.family()); });
    return box;
}

QPushButton *colourControl(const char *key)
{
    auto *button = new QPushButton;
    auto paint = [button](const QColor &c) {
        button->setText(c.name());
        button->setStyleSheet(
            QString("QPushButton { border-left: 14px solid %1; padding: 3px 8px; }").arg(c.name()));
    };
    paint(QColor(Defaults::instance().stringValue(key)));
    QObject::connect(button, &QPushButton::clicked, button, [key, button, paint] {
        const QColor chosen =
            QColorDialog::getColor(QColor(Defaults::instance().stringValue(key)), button);
        if (chosen.isValid()) {
            Defaults::instance().setValue(key, chosen.name());
            paint(chosen);
        }
    });
    return button;
}

QWidget *formPage(QFormLayout *form)
{
    auto *page = new QWidget;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    auto *outer = new QVBoxLayout(page);
    outer->addLayout(form);
    outer->addStretch(1);
    return page;
}

} // namespace

PreferencesWindow::PreferencesWindow(Prompts *prompts, QWidget *parent)
    : QWidget(parent, Qt::Window), m_prompts(prompts), m_panes(new QTabWidget)
{
    setWindowTitle(tr("Preferences"));
    m_panes->addTab(generalPane(), tr("General"));
    m_panes->addTab(consolePane(), tr("Console"));
    m_panes->addTab(editorPane(), tr("Editor"));
    m_panes->addTab(codePane(), tr("Code"));
    m_panes->addTab(templatesPane(), tr("Templates"));
    // Settings apply as they change; Close (or Escape) only closes the window.
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->setObjectName("preferencesButtons");
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    auto *escape = new QAction(this);
    escape->setShortcut(QKeySequence(Qt::Key_Escape));
    escape->setShortcutContext(Qt::WindowShortcut);
    connect(escape, &QAction::triggered, this, &QWidget::close);
    addAction(escape);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_panes);
    layout->addWidget(buttons);
    resize(600, 480);
}

QWidget *PreferencesWindow::generalPane()
{
    m_compilers = new QListWidget;
    auto *add = new QPushButton(tr("Add..."));
    auto *remove = new QPushButton(tr("Remove"));
    connect(add, &QPushButton::clicked, this, [this] {
        QFileDialog dialog(this, tr("Add Fortran Compiler"), "/usr/bin");
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setLabelText(QFileDialog::Accept, tr("Add"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            addCompiler(dialog.selectedFiles().first());
    });
    connect(remove, &QPushButton::clicked, this, &PreferencesWindow::removeSelectedCompiler);
    connect(m_compilers, &QListWidget::currentItemChanged, this, [](QListWidgetItem *item) {
        if (item)
            Defaults::instance().setValue(keys::compilerPath, item->data(Qt::UserRole));
    });
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch(1);

    auto *form = new QFormLayout;
    form->addRow(boolControl(keys::autoSaveFiles, tr("Save sources before building")));
    // The job count sits beside the switch it belongs to and is used only while it is on.
    auto *parallel = boolControl(keys::parallelBuild, tr("Build in parallel (make -j)"));
    parallel->setObjectName("parallelBuild");
    auto *jobs = intControl(keys::parallelJobs, 1, 1024);
    jobs->setObjectName("parallelJobs");
    jobs->setEnabled(parallel->isChecked());
    connect(parallel, &QCheckBox::toggled, jobs, &QWidget::setEnabled);
    auto *jobsLabel = new QLabel(tr("Parallel jobs:"));
    jobsLabel->setBuddy(jobs);
    auto *parallelRow = new QHBoxLayout;
    parallelRow->addWidget(parallel);
    parallelRow->addSpacing(12);
    parallelRow->addWidget(jobsLabel);
    parallelRow->addWidget(jobs);
    parallelRow->addStretch(1);
    form->addRow(parallelRow);
    form->addRow(boolControl(keys::CorvaneEdit, tr("Open files in Corvane's own editor")));
    form->addRow(tr("Default extension:"), textControl(keys::defaultFileExtension));

    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(tr("Fortran compilers (the selected one is used by new "
                                    "projects):")));
    layout->addWidget(m_compilers, 1);
    layout->addLayout(buttons);
    layout->addLayout(form);
    refreshCompilers();
    return page;
}

QWidget *PreferencesWindow::consolePane()
{
    auto *form = new QFormLayout;
    form->addRow(tr("Font:"), fontControl(keys::consoleFontName));
    form->addRow(tr("Size:"), sizeControl(keys::consoleFontSize));
    form->addRow(tr("Text:"), colourControl(keys::consoleNormalColor));
    form->addRow(tr("Messages:"), colourControl(keys::consoleInfoColor));
    form->addRow(tr("Errors:"), colourControl(keys::consoleErrorColor));
    form->addRow(tr("Background:"), colourControl(keys::consoleWindowColor));
    form->addRow(boolControl(keys::clearConsoleOnCompile, tr("Clear the console before a build")));
    form->addRow(boolControl(keys::saveConsoleSessions, tr("Save the console with the project")));
    QCheckBox *sticky = boolControl(notificationtexts::kStickyKey,
                                    tr("Desktop notifications of ended runs stay until dismissed"));
    sticky->setObjectName(notificationtexts::kStickyKey);
    form->addRow(sticky);
    return formPage(form);
}

QWidget *PreferencesWindow::editorPane()
{
    auto *form = new QFormLayout;
    form->addRow(tr("Font:"), fontControl(keys::FontName));
    form->addRow(tr("Size:"), sizeControl(keys::FontSize));
    form->addRow(boolControl(keys::ColorSyntax, tr("Colour the syntax")));
    form->addRow(tr("Text:"), colourControl(keys::NormalColor));
    form->addRow(tr("Comments:"), colourControl(keys::CommentColor));
    form->addRow(tr("Keywords:"), colourControl(keys::KeywordColor));
    form->addRow(tr("Intrinsics:"), colourControl(keys::IntrinsicColor));
    form->addRow(tr("Strings:"), colourControl(keys::StringColor));
    form->addRow(tr("Preprocessor:"), colourControl(keys::PreprocessorColor));
    form->addRow(tr("Background:"), colourControl(keys::WindowColor));
    form->addRow(boolControl(keys::showFreeFormGuide,
                             tr("Show a guide at column 132 in free-form files")));
    return formPage(form);
}

QWidget *PreferencesWindow::codePane()
{
    auto *form = new QFormLayout;
    form->addRow(boolControl(keys::IndentlinesFlag, tr("Indent lines automatically")));
    form->addRow(tr("Indent size:"), intControl(keys::Indentsizekey, 0, 16));
    form->addRow(boolControl(keys::UppercaseKeywordFlag, tr("Upper-case keywords")));
    form->addRow(boolControl(keys::autoCompleteFortranKeywords, tr("Complete keywords")));
    form->addRow(boolControl(keys::autoCompleteFortranIntrinsics, tr("Complete intrinsics")));
    form->addRow(boolControl(keys::autoCompleteProcedures, tr("Complete project procedures")));
    form->addRow(boolControl(keys::autoCompleteParentheses, tr("Close parentheses")));
    form->addRow(tr("Real kind:"), textControl(keys::RealKind));
    return formPage(form);
}

QWidget *PreferencesWindow::templatesPane()
{
    // The templates live in one dictionary; editing one keeps the others.
    auto *names = new QListWidget;
    auto *text = new QPlainTextEdit;
    const QVariantMap templates = Defaults::instance().mapValue(keys::TemplateStrings);
    for (auto it = templates.begin(); it != templates.end(); ++it)
        names->addItem(it.key());
    connect(names, &QListWidget::currentTextChanged, text, [text](const QString &name) {
        const QSignalBlocker block(text);
        text->setPlainText(
            Defaults::instance().mapValue(keys::TemplateStrings).value(name).toString());
    });
    connect(text, &QPlainTextEdit::textChanged, text, [names, text] {
        if (!names->currentItem())
            return;
        QVariantMap all = Defaults::instance().mapValue(keys::TemplateStrings);
        all.insert(names->currentItem()->text(), text->toPlainText());
        Defaults::instance().setValue(keys::TemplateStrings, all);
    });
    names->setCurrentRow(0);
    names->setMaximumWidth(180);
    auto *page = new QWidget;
    auto *layout = new QHBoxLayout(page);
    layout->addWidget(names);
    layout->addWidget(text, 1);
    return page;
}

void PreferencesWindow::refreshCompilers()
{
    const QSignalBlocker block(m_compilers);
    m_compilers->clear();
    const QString current = Defaults::instance().stringValue(keys::compilerPath);
    for (const QString &entry : Defaults::instance().stringListValue(keys::installedCompilers)) {
        auto *item = new QListWidgetItem(entry.trimmed(), m_compilers);
        item->setData(Qt::UserRole, entry);
        if (entry == current)
            m_compilers->setCurrentItem(item);
    }
}

void PreferencesWindow::addCompiler(const QString &path)
{
    CompilerDiscovery::addCompilerManually(path, Defaults::instance());
    Defaults::instance().setValue(keys::compilerPath, path);
    refreshCompilers();
}

void PreferencesWindow::removeSelectedCompiler()
{
    CompilerDiscovery::removeSelectedCompilerManually(Defaults::instance(), *m_prompts);
    refreshCompilers();
}

} // namespace corvane
