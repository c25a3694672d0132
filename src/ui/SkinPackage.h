#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

// The zip package holding the layouts, images and language folders. Entry
// names match without regard to case, and '\' and '/' are the same separator.
class SkinPackage
{
public:
    // The package built into the program.
    static const SkinPackage &embedded();

    // Reads a package from zip bytes; an unreadable package holds no entry, nor
    // does one with an entry over 8 MiB or over 64 MiB in all.
    static SkinPackage fromZip(const QByteArray &zipBytes);

    bool isValid() const { return m_valid; }
    bool contains(const QString &path) const;
    // The entry's bytes, or a null array when there is no such entry.
    QByteArray read(const QString &path) const;
    QStringList entryNames() const;

    static QString normalizedPath(const QString &path);

private:
    bool m_valid = false;
    QHash<QString, QByteArray> m_entries;
};
