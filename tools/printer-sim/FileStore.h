#pragma once

#include "printer-sim/SimConfig.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <optional>

namespace printersim {

enum class Place { Dram, Flash, Card };

struct StoredFile {
    QByteArray name;
    QByteArray data;
};

// The printer's three memory places. Sizes are reported in kilobytes; a file
// costs its byte length.
class FileStore
{
public:
    enum class StoreResult { Stored, Full, Absent };

    FileStore(const MemorySizes &sizes, bool hasCard);

    // 'A'/'D' DRAM, 'F' FLASH, 'E'/'C' CARD (command and query letters), in
    // either case.
    static std::optional<Place> placeOfLetter(char letter);
    static QByteArray placeWord(Place place);

    bool isPresent(Place place) const;
    int totalKb(Place place) const;
    int freeKb(Place place) const;
    QList<StoredFile> files(Place place) const;
    const StoredFile *find(Place place, const QByteArray &name) const;

    // "name size" lines, each ended by CR LF, then an empty line.
    QByteArray listReply(Place place) const;

    StoreResult store(Place place, const QByteArray &name, const QByteArray &data);
    bool remove(Place place, const QByteArray &name);
    void removeAll(Place place);

private:
    struct Area {
        int totalKb = 0;
        bool present = true;
        QList<StoredFile> files;
    };
    static qint64 freeBytes(const Area &area);
    Area &area(Place place) { return m_areas[static_cast<size_t>(place)]; }
    const Area &area(Place place) const { return m_areas[static_cast<size_t>(place)]; }

    std::array<Area, 3> m_areas;
};

} // namespace printersim
