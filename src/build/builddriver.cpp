#include "builddriver.h"

#include "buildfiles.h"
#include "errorparser.h"
#include "interactiveconsolecontroller.h"
#include "makefilegenerator.h"
#include "modulefilelookup.h"
#include "rundriver.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"
#include "unix.h"

#include "project/fileoperations.h"
#include "project/mydocument.h"
#include "project/prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>

namespace corvane
{

namespace
{

QString text(const char *literal)
{
    return QString::fromUtf8(literal);
}

// Index of a configuration in BuildDriver's per-configuration state.
int configurationIndex(bool debug)
{
    return debug ? 1 : 0;
}

// The folder (ending in "/") of the `make` the child's search path finds; /usr/bin/ otherwise,
// where the runner then reports that it is missing.
QString makeDirectory(const QProcessEnvironment &env)
{
    const QStringList path =
        env.value(QStringLiteral("PATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    const QString found = QStandardPaths::findExecutable(QStringLiteral("make"), path);
    if (found.isEmpty())
        return QStringLiteral("/usr/bin/");
    return QFileInfo(found).absolutePath() + QLatin1Char('/');
}

} // namespace

BuildDriver::BuildDriver(MyDocument *document, RunDriver *runDriver, FileOperations *fileOperations,
                         Prompts *prompts, QObject *parent)
    : QObject(parent), m_document(document), m_run(runDriver), m_runner(runDriver->runner()),
      m_fileOperations(fileOperations), m_prompts(prompts)
{
    connect(m_run, &RunDriver::compileCompleted, this, &BuildDriver::compileCompleted);
    connect(m_run, &RunDriver::aborting, this, &BuildDriver::onAborting);
}

BuildDriver::~BuildDriver() = default;

void BuildDriver::appendText(const QString &s, Console::Role role)
{
    m_runner->addString(s, role);
}

std::optional<QString> BuildDriver::buildBeforeRunReason(const MyDocument &document)
{
    if (document.fileNames().isEmpty())
        return std::nullopt;
    const QFileInfo product(QDir(document.docDirectoryPath()).filePath(document.executableName()));
    const char *reason = nullptr;
    if (!product.exists()) {
        reason = buildtexts::kProgramMissing;
    } else {
        const QDateTime built = product.lastModified();
        for (const QString &file : document.fileNames())
            if (QFileInfo(file).lastModified() > built)
                reason = buildtexts::kProgramOlder;
    }
    if (!reason)
        return std::nullopt;
    return text(buildtexts::kBuildingFirst).arg(text(reason));
}

bool BuildDriver::build(const QString &firstLine)
{
    if (m_run->processIsRunning() || m_runner->isRunningExecutable())
        return false;
    if (m_document->fileName().isEmpty()) {
        m_prompts->alert(text(buildtexts::kNotSaved), text(buildtexts::kNotSavedInfo));
        return false;
    }
    const bool saved = m_fileOperations->saveFilesIfRequested();
    m_run->showConsoleTab();
    if (!saved) {
        // Compiling now would build the old text on disk and call it a success.
        for (const QString &error : m_fileOperations->sourceSaveErrors())
            appendText(text(buildtexts::kSaveFailed).arg(error), Console::Role::Error);
        appendText(text(buildtexts::kNotBuiltAfterFailedSave), Console::Role::Error);
        emit consoleFocusRequested();
        return false;
    }

    if (m_document->fileNames().isEmpty()) {
        appendText(text(buildtexts::kNoFilesConsole), Console::Role::Error);
        m_run->enableBuild(false);
        m_prompts->alert(text(buildtexts::kNoFiles), text(buildtexts::kNoFilesInfo));
        return false;
    }

    m_fileOperations->checkSourceFilesExistence();
    bool lost = false;
    for (const auto &file : m_document->projectFiles()) {
        if (file->fileState() != FortranFile::Lost)
            continue;
        appendText(text(buildtexts::kFileCannotBeFound).arg(file->filePath()),
                   Console::Role::Error);
        lost = true;
    }
    emit consoleFocusRequested();
    if (lost) {
        m_run->enableBuild(false);
        m_prompts->alert(text(buildtexts::kFilesLost), text(buildtexts::kFilesLostInfo));
        return false;
    }
    m_run->enableBuild(true);

    if (!scanAndWriteMakefile(firstLine))
        return false;
    return compile();
}

bool BuildDriver::scanAndWriteMakefile(const QString &firstLine)
{
    const MakefileGenerator generator = MakefileGenerator::initWithDocument(*m_document);
    if (Defaults::instance().boolValue(QLatin1String(keys::clearConsoleOnCompile)) &&
        m_runner->console())
        m_runner->console()->clear();
    if (!firstLine.isEmpty())
        appendText(firstLine, Console::Role::Info);
    appendText(text(buildtexts::kScanning), Console::Role::Info);

    const QStringList files = m_document->fileNames();
    const auto [dependencies, moduleFiles] = generator.scanProject(files);
    m_moduleNames = moduleFiles.keys();

    for (const QString &file : files) {
        const FileDependencies *needs = dependencies.find(file.toLower());
        if (!needs)
            continue;
        for (const QString &module : needs->modules) {
            const QString lower = module.toLower();
            if (!moduleFiles.contains(lower) && !moduleFileExistsFor(lower))
                appendText(text(buildtexts::kModuleNotFound).arg(module), Console::Role::Info);
        }
    }

    if (m_verboseOutput) {
        for (const QString &file : files) {
            appendText(file + QLatin1String(":\n"), Console::Role::None);
            const FileDependencies *needs = dependencies.find(file.toLower());
            if (!needs)
                continue;
            for (const QString &module : needs->modules) {
                appendText(QLatin1Char('\t') + module + QLatin1Char('\n'), Console::Role::None);
                const QString *definer = moduleFiles.find(module.toLower());
                if (definer && *definer == file) {
                    appendText(text(buildtexts::kInternalDependency)
                                   .arg(module, QFileInfo(file).fileName()),
                               Console::Role::Info);
                    appendText(text(buildtexts::kInternalDependencyNote), Console::Role::Info);
                }
            }
        }
        appendText(text(buildtexts::kModuleFilesHeading), Console::Role::Normal);
        for (const auto &[module, file] : moduleFiles)
            appendText(text(buildtexts::kModuleInFile).arg(module, file), Console::Role::Normal);
    }
    appendText(text(buildtexts::kScanComplete), Console::Role::Info);
    for (const QString &warning : generator.objectNameCollisions(files))
        appendText(warning, Console::Role::Info);

    const QString buildDir = m_document->buildDirectoryPath();
    if (!QDir().mkpath(buildDir)) {
        m_prompts->presentError(
            QStringLiteral("The folder \u201c%1\u201d couldn\u2019t be created.").arg(buildDir));
        return false;
    }
    if (m_document->compileForLibrary().value_or(false) &&
        !QDir().mkpath(m_document->libraryDirectoryPath())) {
        m_prompts->presentError(
            QStringLiteral("The folder \u201c%1\u201d couldn\u2019t be created.")
                .arg(m_document->libraryDirectoryPath()));
        return false;
    }

    const Result<QString> makefile = generator.makefileForFiles(files, dependencies, moduleFiles,
                                                                m_document->projectCompilerPath());
    if (!makefile.ok()) {
        // No Makefile can be written for these names; an old one must not be run instead.
        appendText(QStringLiteral("Corvane: ") + makefile.error() + QLatin1Char('\n'),
                   Console::Role::Error);
        return false;
    }
    m_document->setMakeFile(*makefile);
    if (!m_fileOperations->saveMakefile())
        return false; // the write error has been presented
    if (m_verboseOutput)
        appendText(*makefile, Console::Role::None);
    return true;
}

void BuildDriver::stopWithoutMake()
{
    m_run->enableBuild(true);
    m_run->setCanRunExecutable(false);
    m_run->enableCloseButton(true);
}

bool BuildDriver::compile()
{
    if (m_run->processIsRunning() || m_runner->isRunningExecutable())
        return false;
    m_run->showConsoleTab();
    m_run->enableBuild(false);
    m_run->setCanRunExecutable(false);
    m_run->enableCloseButton(false);
    m_document->setCompiler(m_document->compilerNumber());
    const QProcessEnvironment env = Unix::environmentDictionary();

    const QString buildDir = m_document->buildDirectoryPath();
    QString markerError;
    const std::optional<QString> marker = buildfiles::readCompilerMarker(buildDir, &markerError);
    if (!markerError.isEmpty()) {
        m_prompts->presentError(markerError);
        stopWithoutMake();
        return false;
    }
    if (!marker || *marker != m_document->projectCompilerPath())
        m_document->setNeedsFullRecompile(true);
    if (!m_abortedBuildDirectory.isEmpty())
        removeHalfWrittenProducts();
    if (m_document->needsFullRecompile() && !clean()) {
        // Building on objects of another compiler or other flags would mix them.
        stopWithoutMake();
        return false;
    }

    const bool parallel = m_parallelOverride.value_or(
        Defaults::instance().boolValue(QLatin1String(keys::parallelBuild)));
    // An unbounded -j starts every ready compile at once; the count keeps it to the machine.
    const int jobs =
        m_jobsOverride.value_or(Defaults::instance().intValue(QLatin1String(keys::parallelJobs)));
    const QStringList arguments = makeArguments(parallel, jobs, m_document->pathToMakefile());
    m_productBeforeMake = productplacement::versionOf(builtProductPath());

    m_runner->environmentDictionary = env;
    m_runner->pathToExecutable = makeDirectory(env);
    m_runner->nameOfExecutable = QStringLiteral("make");
    m_runner->workingDirectory = buildDir;
    m_runner->endWholeProcessGroup = true;
    m_runner->colourWarningsAsInfo = true;

    m_errorsDictionary.reset();
    m_document->setErrorsDictionary(std::nullopt);
    m_loaderText.clear();
    emit diagnosticsChanged();
    emit loaderTextChanged(m_loaderText);
    m_productWasMade = false;
    m_nothingToBuild = false;
    m_aborted = false;

    m_run->taskStarted(text(buildtexts::kBuilding));
    emit parallelOptionsVisibleChanged(m_document->shouldEnableParallel());
    const bool started = m_runner->executeWithData(
        std::nullopt, arguments, true, QString::fromLatin1(consoletexts::kCompileOperation));
    return started;
}

void BuildDriver::compileCompleted()
{
    const bool library = m_document->compileForLibrary().value_or(false);
    const QString buildDir = m_document->buildDirectoryPath();
    // A failed make may leave the product of an earlier build in the build folder: it is not
    // placed again, nor reported as a success.
    const bool makeSucceeded = m_runner->lastProcessId() > 0 &&
                               !m_runner->lastTerminatingSignal() && m_runner->lastExitCode() == 0;
    if (m_aborted)
        removeHalfWrittenProducts(); // the product may be half linked: it is not placed
    else if (makeSucceeded)
        placeProduct();
    buildfiles::writeCompilerMarker(buildDir, m_document->projectCompilerPath());
    emit trashFullChanged(true);
    m_document->setNeedsFullRecompile(false);
    if (library)
        m_run->setCanRunExecutable(false);
    takeDiagnostics();
    if (m_aborted)
        adjustRunToolbarButton();
    m_aborted = false;
    emit buildFinished(m_productWasMade);
}

QStringList BuildDriver::makeArguments(bool parallel, int jobs, const QString &makefile)
{
    QStringList arguments;
    if (parallel)
        arguments << QStringLiteral("-j%1").arg(std::max(1, jobs));
    arguments << QStringLiteral("-r") << QStringLiteral("-f") << makefile;
    return arguments;
}

QString BuildDriver::builtProductPath() const
{
    const bool library = m_document->compileForLibrary().value_or(false);
    return QDir(m_document->buildDirectoryPath())
        .filePath(library ? m_document->libraryName() : m_document->executableName());
}

void BuildDriver::placeProduct()
{
    const bool library = m_document->compileForLibrary().value_or(false);
    const QDir buildDir(m_document->buildDirectoryPath());
    const QString name = library ? m_document->libraryName() : m_document->executableName();
    const QString built = buildDir.filePath(name);
    const std::optional<productplacement::FileVersion> madeVersion =
        productplacement::versionOf(built);
    if (!madeVersion)
        return;
    const QDir target(library ? m_document->libraryDirectoryPath()
                              : m_document->docDirectoryPath());
    if (library)
        QDir().mkpath(target.path());
    // ld writes a new file for each link, so a hard link beside the project stays whole while
    // the next link runs; ar and ranlib rewrite an archive that has several links in place, so
    // the library is copied.
    QString error;
    if (productplacement::placeProduct(built, target.filePath(name), !library, &error) ==
        productplacement::Placement::Failed) {
        m_prompts->presentError(error);
        return;
    }
    m_productWasMade = true;
    m_nothingToBuild = m_productBeforeMake == madeVersion;
    if (library) {
        for (const QString &module : m_moduleNames) {
            const QString modName = module.toLower() + QLatin1String(".mod");
            if (QFileInfo::exists(buildDir.filePath(modName)))
                productplacement::placeProduct(buildDir.filePath(modName),
                                               target.filePath(modName), false, nullptr);
        }
    }
    appendText(text(library ? buildtexts::kLibrarySuccess : buildtexts::kSuccess),
               Console::Role::Info);
    if (m_nothingToBuild)
        appendText(text(buildtexts::kNothingToBuild), Console::Role::Info);
}

void BuildDriver::takeDiagnostics()
{
    if (!m_runner->hasPostedErrors())
        return;
    const bool library = m_document->compileForLibrary().value_or(false);
    const QString errorText = m_runner->errorString();
    ErrorParser parser;
    std::optional<ErrorsDictionary> errors =
        parser.parseErrorString(errorText, m_document->projectCompilerPath());
    if (errors) {
        // gfortran names an include file as it opened it, relative to the build folder.
        QStringList folders;
        for (const QString &file : m_document->fileNames()) {
            const QString folder = QFileInfo(file).absolutePath();
            if (!folders.contains(folder))
                folders << folder;
        }
        errors = buildfiles::keyRelativePaths(*errors, m_document->buildDirectoryPath(), folders);
    }
    m_errorsDictionary = errors;
    m_document->setErrorsDictionary(errors);
    emit diagnosticsChanged();
    if (errors) {
        emit diagnosticsPaneRequested();
        m_prompts->beep();
        m_run->setCanRunExecutable(parser.maxErrorLevel() < 2 && !library);
    }

    const QString loader = buildfiles::loaderText(errorText);
    if (!loader.isNull()) {
        m_loaderText = loader;
        emit loaderTextChanged(m_loaderText);
        emit diagnosticsPaneRequested();
        if (!errorText.contains(QLatin1String("ld: warning")) || library)
            m_run->setCanRunExecutable(false);
        m_prompts->beep();
    } else {
        m_loaderText.clear();
        emit loaderTextChanged(m_loaderText);
        if (library)
            m_run->setCanRunExecutable(false);
    }
}

bool BuildDriver::clean()
{
    QSet<QString> projectSources;
    for (const QString &file : m_document->fileNames())
        projectSources.insert(QDir::cleanPath(QFileInfo(file).absoluteFilePath()));
    const QString failure =
        buildfiles::removeObjectFiles(m_document->buildDirectoryPath(), projectSources);
    if (!failure.isNull()) {
        m_prompts->presentError(failure);
        return false;
    }
    QFile::remove(m_run->pathToExecutable());
    // The build folder keeps its own copy of the product, so that make finds it up to date.
    const QDir buildDir(m_document->buildDirectoryPath());
    QFile::remove(buildDir.filePath(m_document->executableName()));
    QFile::remove(buildDir.filePath(m_document->libraryName()));
    emit trashFullChanged(false);
    m_run->setCanRunExecutable(false);
    return true;
}

void BuildDriver::abort()
{
    m_run->abort();
}

void BuildDriver::onAborting()
{
    if (m_runner->contextInfo() != QLatin1String(consoletexts::kCompileOperation))
        return;
    m_aborted = true;
    m_abortedBuildDirectory = m_runner->workingDirectory;
    // File times come from a coarse clock: a second of margin keeps the first writes in.
    m_abortedBuildStart = m_run->startTime().addSecs(-1);
}

void BuildDriver::removeHalfWrittenProducts()
{
    if (m_abortedBuildDirectory.isEmpty())
        return;
    const QStringList removed = buildfiles::removeProductsWrittenSince(
        m_abortedBuildDirectory, m_abortedBuildStart,
        {m_document->executableName(), m_document->libraryName()});
    if (!removed.isEmpty())
        appendText(text(buildtexts::kHalfWrittenRemoved).arg(removed.size()), Console::Role::Info);
    // Killed compilers may still finish a write after the first removal; the next build
    // removes again before it starts, then forgets the aborted build.
    if (!m_aborted)
        m_abortedBuildDirectory.clear();
}

void BuildDriver::changeDebugRelease()
{
    const bool debug = m_document->isDebugBuild();
    // Each configuration has its own folder and marker; a recompile that became due (changed
    // flags) stays due for the configuration it was due in.
    m_staleConfiguration[configurationIndex(!debug)] |= m_document->needsFullRecompile();
    m_document->setNeedsFullRecompile(m_staleConfiguration[configurationIndex(debug)]);
    m_staleConfiguration[configurationIndex(debug)] = false;
    adjustRunToolbarButton();
}

void BuildDriver::adjustRunToolbarButton()
{
    m_run->setCanRunExecutable(QFileInfo::exists(m_run->pathToExecutable()));
}

void BuildDriver::setUpWindowState()
{
    emit trashFullChanged(buildfiles::holdsBuildProducts(m_document->buildDirectoryPath()));
    m_run->enableBuild(!m_document->fileNames().isEmpty());
    adjustRunToolbarButton();
}

bool BuildDriver::moduleFileExistsFor(const QString &lowerCaseName) const
{
    return corvane::moduleFileExistsFor(*m_document, lowerCaseName);
}

} // namespace corvane
