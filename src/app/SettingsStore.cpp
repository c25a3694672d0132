#include "app/SettingsStore.h"

SettingsStore::SettingsStore()
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brenik"), QStringLiteral("Ostrel"))
{ }

SettingsStore::SettingsStore(const QString &iniFile)
    : m_settings(iniFile, QSettings::IniFormat)
{ }

QString SettingsStore::keyPath(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}

bool SettingsStore::flushed()
{
    m_settings.sync();
    return m_settings.status() == QSettings::NoError;
}

qint32 SettingsStore::readInt(const QString &section, const QString &key, qint32 defaultValue) const
{
    const QVariant value = m_settings.value(keyPath(section, key));
    bool ok = false;
    const qint32 number = value.toInt(&ok);
    return ok ? number : defaultValue;
}

bool SettingsStore::writeInt(const QString &section, const QString &key, qint32 value)
{
    if (!m_settings.isWritable())
        return false;
    m_settings.setValue(keyPath(section, key), value);
    return flushed();
}

QString SettingsStore::readText(const QString &section, const QString &key, const QString &defaultValue) const
{
    const QVariant value = m_settings.value(keyPath(section, key));
    return value.isValid() ? value.toString() : defaultValue;
}

bool SettingsStore::writeText(const QString &section, const QString &key, const QString &text)
{
    if (!m_settings.isWritable())
        return false;
    if (text.isNull())
        m_settings.remove(keyPath(section, key));
    else
        m_settings.setValue(keyPath(section, key), text);
    return flushed();
}
