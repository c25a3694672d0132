#include "printer-sim/FileStore.h"

#include <QChar>

namespace printersim {

FileStore::FileStore(const MemorySizes &sizes, bool hasCard)
{
    area(Place::Dram).totalKb = sizes.dramKb;
    area(Place::Flash).totalKb = sizes.flashKb;
    area(Place::Card).totalKb = hasCard ? sizes.cardKb : 0;
    area(Place::Card).present = hasCard;
}

std::optional<Place> FileStore::placeOfLetter(char letter)
{
    switch (QChar::toUpper(static_cast<uchar>(letter))) {
    case 'A':
    case 'D':
        return Place::Dram;
    case 'F':
        return Place::Flash;
    case 'E':
    case 'C':
        return Place::Card;
    default:
        return std::nullopt;
    }
}

QByteArray FileStore::placeWord(Place place)
{
    switch (place) {
    case Place::Dram:
        return "DRAM";
    case Place::Flash:
        return "FLASH";
    case Place::Card:
        return "CARD";
    }
    return {};
}

bool FileStore::isPresent(Place place) const
{
    return area(place).present;
}

int FileStore::totalKb(Place place) const
{
    return area(place).totalKb;
}

qint64 FileStore::freeBytes(const Area &area)
{
    qint64 free = qint64(area.totalKb) * 1024;
    for (const StoredFile &file : area.files)
        free -= file.data.size();
    return free;
}

int FileStore::freeKb(Place place) const
{
    return static_cast<int>(freeBytes(area(place)) / 1024);
}

QList<StoredFile> FileStore::files(Place place) const
{
    return area(place).files;
}

const StoredFile *FileStore::find(Place place, const QByteArray &name) const
{
    for (const StoredFile &file : area(place).files) {
        if (file.name == name)
            return &file;
    }
    return nullptr;
}

QByteArray FileStore::listReply(Place place) const
{
    QByteArray reply;
    for (const StoredFile &file : area(place).files)
        reply += file.name + ' ' + QByteArray::number(file.data.size()) + "\r\n";
    return reply + "\r\n";
}

FileStore::StoreResult FileStore::store(Place place, const QByteArray &name, const QByteArray &data)
{
    Area &a = area(place);
    if (!a.present)
        return StoreResult::Absent;
    const StoredFile *old = find(place, name);
    // A file of the same name is replaced, so its bytes count as free.
    if (data.size() > freeBytes(a) + (old ? old->data.size() : 0))
        return StoreResult::Full;
    remove(place, name);
    a.files.append({ name, data });
    return StoreResult::Stored;
}

bool FileStore::remove(Place place, const QByteArray &name)
{
    return area(place).files.removeIf([&](const StoredFile &file) { return file.name == name; }) > 0;
}

void FileStore::removeAll(Place place)
{
    area(place).files.clear();
}

} // namespace printersim
