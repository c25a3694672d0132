#include "ui/SkinPackage.h"

#include <QFile>

#include <zip.h>

#include <memory>
#include <optional>

namespace {

struct ZipArchiveCloser {
    void operator()(zip_t *archive) const { zip_discard(archive); }
};

std::unique_ptr<zip_t, ZipArchiveCloser> openArchive(const QByteArray &bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source
        = zip_source_buffer_create(bytes.constData(), static_cast<zip_uint64_t>(bytes.size()), 0, &error);
    if (!source) {
        zip_error_fini(&error);
        return nullptr;
    }
    zip_t *archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!archive)
        zip_source_free(source);
    zip_error_fini(&error);
    return std::unique_ptr<zip_t, ZipArchiveCloser>(archive);
}

// Our largest entry is a few kilobytes; a package from outside may declare
// gigabytes in a few bytes of deflated data.
constexpr zip_uint64_t maxEntryBytes = zip_uint64_t(8) << 20;
constexpr zip_uint64_t maxPackageBytes = zip_uint64_t(64) << 20;

// The entry's bytes, at most its declared size (at most maxEntryBytes): an
// entry whose data runs on past that is refused after one byte more.
std::optional<QByteArray> readEntry(zip_t *archive, zip_uint64_t index, zip_uint64_t &budget)
{
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
        return std::nullopt;
    if (stat.size > maxEntryBytes || stat.size > budget)
        return std::nullopt;
    budget -= stat.size;
    zip_file_t *file = zip_fopen_index(archive, index, 0);
    if (!file)
        return std::nullopt;
    QByteArray data(static_cast<qsizetype>(stat.size), Qt::Uninitialized);
    const zip_int64_t got = zip_fread(file, data.data(), stat.size);
    char more = 0;
    const zip_int64_t beyond = got >= 0 ? zip_fread(file, &more, 1) : -1;
    zip_fclose(file);
    if (got < 0 || static_cast<zip_uint64_t>(got) != stat.size || beyond != 0)
        return std::nullopt;
    return data;
}

} // namespace

const SkinPackage &SkinPackage::embedded()
{
    static const SkinPackage package = [] {
        QFile file(QStringLiteral(":/ostrel/skin.zip"));
        return file.open(QIODevice::ReadOnly) ? fromZip(file.readAll()) : SkinPackage();
    }();
    return package;
}

SkinPackage SkinPackage::fromZip(const QByteArray &zipBytes)
{
    SkinPackage package;
    const auto archive = openArchive(zipBytes);
    if (!archive)
        return package;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    zip_uint64_t budget = maxPackageBytes;
    for (zip_int64_t i = 0; i < count; ++i) {
        const char *name = zip_get_name(archive.get(), static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
        if (!name || QByteArrayView(name).endsWith('/'))
            continue;
        const auto data = readEntry(archive.get(), static_cast<zip_uint64_t>(i), budget);
        if (!data)
            return SkinPackage();
        package.m_entries.insert(normalizedPath(QString::fromUtf8(name)), *data);
    }
    package.m_valid = true;
    return package;
}

QString SkinPackage::normalizedPath(const QString &path)
{
    QString normal = path.toLower();
    normal.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (normal.startsWith(QLatin1String("./")))
        normal.remove(0, 2);
    while (normal.startsWith(QLatin1Char('/')))
        normal.remove(0, 1);
    return normal;
}

bool SkinPackage::contains(const QString &path) const
{
    return m_entries.contains(normalizedPath(path));
}

QByteArray SkinPackage::read(const QString &path) const
{
    return m_entries.value(normalizedPath(path));
}

QStringList SkinPackage::entryNames() const
{
    return m_entries.keys();
}
