#pragma once

#include <QSettings>
#include <QString>

// Per-user sections of integer and text values ("Brenik"/"Ostrel"). A missing
// or unreadable value gives the caller's default; writes report success.
class SettingsStore
{
public:
    SettingsStore();
    // A store in a file of its own (tests, tools).
    explicit SettingsStore(const QString &iniFile);

    qint32 readInt(const QString &section, const QString &key, qint32 defaultValue) const;
    bool writeInt(const QString &section, const QString &key, qint32 value);
    QString readText(const QString &section, const QString &key, const QString &defaultValue) const;
    // A null text deletes the value.
    bool writeText(const QString &section, const QString &key, const QString &text);

private:
    static QString keyPath(const QString &section, const QString &key);
    bool flushed();

    QSettings m_settings;
};
