#include "defaults.h"

#include "settingskeys.h"

#include <QFile>
#include <QMetaType>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>

#include <optional>

namespace corvane
{

namespace
{

Defaults::FixedFamilyResolver &fixedFamilyResolver()
{
    static Defaults::FixedFamilyResolver resolver;
    return resolver;
}

// Types of keys that are not registered but whose stored values have a known shape. The native
// settings file is text, so a stored flag or list comes back as a string; knowing the type lets
// value() hand back what was stored.
QMetaType knownUnregisteredType(const QString &key)
{
    if (key == QLatin1String(keys::compilerPath))
        return QMetaType(QMetaType::QString);
    if (key == QLatin1String(keys::foundCompilersArrayKey) ||
        key == QLatin1String(keys::addedCompilersArrayKey) ||
        key == QLatin1String(keys::installedCompilers))
        return QMetaType(QMetaType::QStringList);
    if (key == QLatin1String(keys::hasRunBefore))
        return QMetaType(QMetaType::Bool);
    if (key == QLatin1String(keys::environmentVariables))
        return QMetaType(QMetaType::QVariantMap);
    return QMetaType();
}

bool isColorKey(const QString &key)
{
    static const QStringList kColorKeys = {
        keys::CommentColor,      keys::PreprocessorColor,  keys::NormalColor,
        keys::KeywordColor,      keys::IntrinsicColor,     keys::StringColor,
        keys::WindowColor,       keys::consoleNormalColor, keys::consoleInfoColor,
        keys::consoleErrorColor, keys::consoleWindowColor};
    return kColorKeys.contains(key);
}

// "#rrggbb" (either case), the one colour form the settings hold.
bool isColorText(const QString &text)
{
    static const QRegularExpression kColor(QStringLiteral("^#[0-9a-fA-F]{6}$"));
    return kColor.match(text).hasMatch();
}

// Text that is an acceptable flag, so that a garbled "ColorSyntax=maybe" does not read as false.
bool isFlagText(const QString &text)
{
    static const QStringList kFlags = {"true", "false", "1", "0", "yes", "no", ""};
    return kFlags.contains(text.trimmed().toLower());
}

// Converts a stored value to the expected type; nullopt when it cannot be read as that type.
std::optional<QVariant> convertStored(const QVariant &stored, QMetaType type)
{
    if (!type.isValid() || stored.metaType() == type)
        return stored;
    switch (type.id()) {
    case QMetaType::QStringList:
        // An empty list is written as an invalid value; a one-element list as a plain string.
        if (!stored.isValid())
            return QVariant(QStringList());
        if (stored.canConvert<QStringList>())
            return QVariant(stored.toStringList());
        return std::nullopt;
    case QMetaType::QVariantMap:
        if (!stored.isValid())
            return QVariant(QVariantMap());
        if (stored.canConvert<QVariantMap>())
            return QVariant(stored.toMap());
        return std::nullopt;
    case QMetaType::Bool:
        if (stored.typeId() == QMetaType::QString && !isFlagText(stored.toString()))
            return std::nullopt;
        break;
    case QMetaType::QString:
        // A string holding commas may come back as a list; join it back.
        if (stored.typeId() == QMetaType::QStringList)
            return QVariant(stored.toStringList().join(QLatin1String(", ")));
        break;
    default:
        break;
    }
    QVariant converted = stored;
    if (!converted.convert(type))
        return std::nullopt;
    return converted;
}

} // namespace

Defaults &Defaults::instance()
{
    static Defaults store(
        std::make_unique<QSettings>(QStringLiteral("Corvane"), QStringLiteral("Corvane")));
    return store;
}

Defaults::Defaults(std::unique_ptr<QSettings> settings, QObject *parent)
    : QObject(parent), m_settings(std::move(settings)), m_registered(registeredDefaults())
{
    if (m_settings && m_settings->status() == QSettings::FormatError) {
        const QString path = m_settings->fileName();
        const QString copy = path + QStringLiteral(".unreadable");
        QFile::remove(copy);
        if (QFile::copy(path, copy))
            m_loadProblem = QStringLiteral("The settings file %1 could not be read; Corvane uses "
                                           "the default settings. A copy was kept as %2.")
                                .arg(path, copy);
        else
            m_loadProblem = QStringLiteral("The settings file %1 could not be read; Corvane uses "
                                           "the default settings.")
                                .arg(path);
    }
}

Defaults::~Defaults() = default;

QVariant Defaults::value(const QString &key) const
{
    const QVariant registered = m_registered.value(key);
    if (m_settings && m_settings->contains(key)) {
        const QMetaType type =
            registered.isValid() ? registered.metaType() : knownUnregisteredType(key);
        std::optional<QVariant> stored = convertStored(m_settings->value(key), type);
        if (stored && (!isColorKey(key) || isColorText(stored->toString())))
            return *stored;
        // A stored value of the wrong shape (edited by hand, or from an old version) is passed
        // over; the registered default shows instead and the stored text stays untouched.
    }
    return registered;
}

bool Defaults::contains(const QString &key) const
{
    return m_registered.contains(key) || (m_settings && m_settings->contains(key));
}

bool Defaults::isRegistered(const QString &key) const
{
    return m_registered.contains(key);
}

QVariant Defaults::registeredValue(const QString &key) const
{
    return m_registered.value(key);
}

QString Defaults::fontFamily(const QString &key) const
{
    const FixedFamilyResolver &resolver = fixedFamilyResolver();
    return fontFamilyForName(stringValue(key), resolver ? resolver() : QString());
}

void Defaults::setValue(const QString &key, const QVariant &value)
{
    if (!value.isValid()) {
        remove(key);
        return;
    }
    if (!m_settings)
        return;
    const QVariant before = this->value(key);
    m_settings->setValue(key, value);
    if (this->value(key) != before)
        emit changed(key);
}

void Defaults::remove(const QString &key)
{
    if (!m_settings || !m_settings->contains(key))
        return;
    const QVariant before = value(key);
    m_settings->remove(key);
    if (value(key) != before)
        emit changed(key);
}

void Defaults::registerDefaults(const QVariantMap &defaults)
{
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it)
        m_registered.insert(it.key(), it.value());
}

Result<void> Defaults::sync()
{
    if (!m_settings)
        return {};
    m_settings->sync();
    switch (m_settings->status()) {
    case QSettings::NoError:
        return {};
    case QSettings::AccessError:
        return Error{
            QStringLiteral("cannot write the settings file %1").arg(m_settings->fileName())};
    case QSettings::FormatError:
        return Error{QStringLiteral("cannot read the settings file %1: it is not a settings file")
                         .arg(m_settings->fileName())};
    }
    return {};
}

void Defaults::setFixedFamilyResolver(FixedFamilyResolver resolver)
{
    fixedFamilyResolver() = std::move(resolver);
}

QString fontFamilyForName(const QString &name, const QString &fixedFamily)
{
    if (name.compare(QLatin1String(keys::FixedFontAlias), Qt::CaseInsensitive) != 0)
        return name;
    return fixedFamily.isEmpty() ? QStringLiteral("monospace") : fixedFamily;
}

QVariantMap defaultTemplateStrings()
{
    const QString banner =
        QStringLiteral("!\n!") + QString(72, QLatin1Char('/')) + QStringLiteral("\n!\n");
    const QString frame =
        QStringLiteral("!") + QString(67, QLatin1Char('-')) + QStringLiteral("\n");
    const QString comment = QStringLiteral("!\n") + frame + QStringLiteral("! !^\n") + frame +
                            QStringLiteral("!\n!^\n");
    const auto unit = [&](const QString &first, const QString &end) {
        return first + QStringLiteral("IMPLICIT NONE \n") + comment + end + banner +
               QStringLiteral("!^\n");
    };

    QVariantMap t;
    t.insert(QStringLiteral("FileHeader"), banner + QStringLiteral("!      <Filename>\n") +
                                               QStringLiteral("!      Created: <Date> \n") +
                                               QStringLiteral("!      By: <Name>  \n") + banner);
    t.insert(QStringLiteral("comment"), comment);
    t.insert(QStringLiteral("Program..."),
             unit(QStringLiteral("PROGRAM !^ \n"), QStringLiteral("END PROGRAM \n")));
    t.insert(QStringLiteral("Subroutine..."),
             unit(QStringLiteral("SUBROUTINE !^ \n"), QStringLiteral("END SUBROUTINE \n")));
    t.insert(QStringLiteral("Function..."),
             unit(QStringLiteral("FUNCTION !^ \n"), QStringLiteral("END FUNCTION \n")));
    t.insert(QStringLiteral("Module..."),
             unit(QStringLiteral("Module !^ \n"), QStringLiteral("CONTAINS \n!^\nEND Module \n")));
    t.insert(QStringLiteral("Do..."), QStringLiteral("DO !^ \n   !^\nEND DO\n!^"));
    t.insert(QStringLiteral("If..."), QStringLiteral("IF ( !^ )     THEN\n   !^\nEND IF\n!^"));
    t.insert(QStringLiteral("IfThenElse..."),
             QStringLiteral("IF ( !^ )     THEN\n   !^\nELSE\n   !^\nEND IF\n!^"));
    t.insert(QStringLiteral("Select..."),
             QStringLiteral("SELECT CASE ( !^ )\n   CASE( !^ )\n      !^\n   CASE DEFAULT\n"
                            "END SELECT\n!^"));
    return t;
}

QVariantMap registeredDefaults()
{
    // Colours are the named colours of the original palette, as "#rrggbb".
    const QString red = QStringLiteral("#ff0000");
    const QString gray = QStringLiteral("#808080");
    const QString black = QStringLiteral("#000000");
    const QString blue = QStringLiteral("#0000ff");
    const QString purple = QStringLiteral("#800080");
    const QString brown = QStringLiteral("#996633");
    const QString white = QStringLiteral("#ffffff");
    const QString fixedFont = QLatin1String(keys::FixedFontAlias);

    QVariantMap d;
    const auto set = [&d](const char *key, const QVariant &value) {
        d.insert(QLatin1String(key), value);
    };
    set(keys::ColorSyntax, true);
    set(keys::NewDocumentFlag, true);
    set(keys::RememberWindowLocation, false);
    set(keys::CommentColor, red);
    set(keys::PreprocessorColor, gray);
    set(keys::NormalColor, black);
    set(keys::KeywordColor, blue);
    set(keys::IntrinsicColor, purple);
    set(keys::StringColor, brown);
    set(keys::WindowColor, white);
    set(keys::TemplateStrings, defaultTemplateStrings());
    set(keys::FontSize, 10.0);
    set(keys::FontName, fixedFont);
    set(keys::showFreeFormGuide, false);
    set(keys::RealKind, QStringLiteral("D0"));
    set(keys::WindowWidth, 80);
    set(keys::UppercaseKeywordFlag, true);
    set(keys::IndentlinesFlag, true);
    set(keys::Indentsizekey, 3);
    set(keys::AligncommentsFlag, true);
    set(keys::CommentSeparator, QStringLiteral("-"));
    set(keys::CommentSeparatorExtent, 1);
    set(keys::CommentSeparatorLineWidth, 80);
    set(keys::autoCompleteParentheses, true);
    set(keys::autoCompleteFortranKeywords, true);
    set(keys::autoCompleteProcedures, true);
    set(keys::autoCompleteFortranIntrinsics, true);
    set(keys::showArgumentListsDuringAutocomplete, true);
    set(keys::defaultFileExtension, QStringLiteral("f90"));
    set(keys::showAdvancedControls, false);
    set(keys::saveConsoleSessions, false);
    set(keys::autoSaveFiles, true);
    set(keys::consoleNormalColor, black);
    set(keys::consoleInfoColor, blue);
    set(keys::consoleErrorColor, red);
    set(keys::consoleWindowColor, white);
    set(keys::consoleFontName, fixedFont);
    set(keys::consoleFontSize, 10);
    set(keys::timeUnitsSelectionIndex, 0);
    set(keys::CorvaneEdit, true);
    set(keys::EditorName, QStringLiteral("TextEdit"));
    set(keys::clearConsoleOnCompile, true);
    set(keys::parallelBuild, false);
    set(keys::parallelJobs, std::max(1, QThread::idealThreadCount()));
    return d;
}

} // namespace corvane
