// Defaults: the per-user settings store with registered defaults. A stored value overrides the
// registered one; keys neither stored nor registered are absent (a null QVariant). Colours are
// strings "#rrggbb". Font names are stored as written ("Monaco" by default); fontFamily() maps
// "Monaco" to the system fixed-pitch family through a resolver that the GUI installs, because
// this layer has no font database.
#pragma once

#include <QObject>
#include <QSettings>
#include <QVariant>

#include "result.h"

#include <functional>
#include <memory>

namespace corvane
{

class Defaults : public QObject
{
    Q_OBJECT
public:
    // The application's store (QSettings "Corvane"/"Corvane"), defaults registered on first use.
    static Defaults &instance();

    // A store over the given QSettings (tests give one in a temporary folder).
    explicit Defaults(std::unique_ptr<QSettings> settings, QObject *parent = nullptr);
    ~Defaults() override;

    // Stored value, else registered default, else a null QVariant.
    QVariant value(const QString &key) const;
    bool contains(const QString &key) const;
    bool isRegistered(const QString &key) const;
    QVariant registeredValue(const QString &key) const;

    bool boolValue(const QString &key) const { return value(key).toBool(); }
    int intValue(const QString &key) const { return value(key).toInt(); }
    double doubleValue(const QString &key) const { return value(key).toDouble(); }
    QString stringValue(const QString &key) const { return value(key).toString(); }
    QStringList stringListValue(const QString &key) const { return value(key).toStringList(); }
    QVariantMap mapValue(const QString &key) const { return value(key).toMap(); }

    // The font family to use for a font-name key ("FontName", "consoleFontName"): the stored or
    // registered name, with "Monaco" mapped by fontFamilyForName().
    QString fontFamily(const QString &key) const;

    // Stores a value and emits changed(key) when it differs from the previous effective value.
    void setValue(const QString &key, const QVariant &value);
    // Removes the stored value (the registered default shows again); emits changed(key) when that
    // changes the effective value.
    void remove(const QString &key);

    // Registers (or replaces) defaults; used at start-up and by tests. Every store starts with
    // registeredDefaults() registered.
    void registerDefaults(const QVariantMap &defaults);

    // Writes pending changes to disk (QSettings also does so on its own, lazily); the error names
    // the settings file when it cannot be written or read.
    Result<void> sync();

    // Empty, or a message for the user when the settings file could not be read when the store
    // was made. QSettings would overwrite such a file with only what it understood, so a copy is
    // kept beside it first (the name ends in ".unreadable").
    QString loadProblem() const { return m_loadProblem; }

    // Gives the system fixed-pitch family name; the GUI installs one built on QFontDatabase.
    using FixedFamilyResolver = std::function<QString()>;
    static void setFixedFamilyResolver(FixedFamilyResolver resolver);

signals:
    void changed(const QString &key);

private:
    std::unique_ptr<QSettings> m_settings;
    QVariantMap m_registered;
    QString m_loadProblem;
};

// The registered defaults of the application (every key with its value).
QVariantMap registeredDefaults();

// The ten default code templates, name -> text ("FileHeader", "comment", "Program...", ...).
QVariantMap defaultTemplateStrings();

// "Monaco" (any case) stands for the system's fixed-pitch family: returns fixedFamily for it, or
// "monospace" when fixedFamily is empty; any other name is returned unchanged.
QString fontFamilyForName(const QString &name, const QString &fixedFamily);

} // namespace corvane
