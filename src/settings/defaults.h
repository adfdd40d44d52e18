// Defaults: the per-user settings store with registered defaults. A stored value overrides the
// registered one; keys neither stored nor registered are absent (a null QVariant). Colours are
// strings "#rrggbb"; the font name "Monaco" reads as the system fixed-pitch family.
#pragma once

#include <QObject>
#include <QSettings>
#include <QVariant>

#include <memory>

namespace corvane {

class Defaults : public QObject {
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

    // Stores a value and emits changed(key) when it differs from the previous effective value.
    void setValue(const QString &key, const QVariant &value);
    // Removes the stored value (the registered default shows again) and emits changed(key).
    void remove(const QString &key);

    // Registers (or replaces) defaults; used at start-up and by tests.
    void registerDefaults(const QVariantMap &defaults);

signals:
    void changed(const QString &key);

private:
    std::unique_ptr<QSettings> m_settings;
    QVariantMap m_registered;
};

// The registered defaults of the application (every key with its value).
QVariantMap registeredDefaults();

} // namespace corvane
