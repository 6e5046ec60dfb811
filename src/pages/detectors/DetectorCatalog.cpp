#include "pages/detectors/DetectorCatalog.h"

namespace {

// Models in the order the selection list is filled (the list sorts them).
// "THOSIBA" is how the acquisition application spells the maker.
const DetectorModel kCatalog[] = {
    // maker     model             id  type  OriW  OriH  Width Height spacing
    {"DRTECH", "FDXD1417 PCI", 3, 0, 2560, 3072, 2560, 3072, "0.139"},
    {"DRTECH", "FDXD810 PCI", 3, 2, 2048, 1536, 2048, 1536, "0.129"},
    {"DRTECH", "FDXD810 USB", 3, 3, 2048, 1536, 2048, 1536, "0.129"},
    {"DRTECH", "FLAATZ330 PCI", 3, 8, 2048, 1536, 2048, 1536, "0.129"},
    {"DRTECH", "FLAATZ330 USB", 3, 9, 2048, 1536, 2048, 1536, "0.129"},
    {"DRTECH", "FLAATZ500 LAN", 13, 0, 2560, 3072, 2560, 3072, "0.139"},
    {"DRTECH", "FLAATZ500 PCI", 3, 10, 2560, 3072, 2560, 3072, "0.139"},
    {"DRTECH", "FLAATZ550 PCI", 3, 6, 2048, 2560, 2048, 2560, "0.139"},
    {"DRTECH", "FLAATZ560 LAN", 13, 0, 2560, 3072, 2560, 3072, "0.139"},
    {"DRTECH", "FLAATZ750 PCI", 3, 4, 2560, 2560, 2560, 2560, "0.168"},
    {"DRTECH", "FLAATZ750E LAN", 13, 3, 2560, 2560, 2560, 2560, "0.168"},
    {"DRTECH", "FLAATZ750E PCI", 3, 11, 2560, 2560, 2560, 2560, "0.168"},
    {"DRTECH", "FLAATZ760 LAN", 13, 2, 2560, 2560, 2560, 2560, "0.168"},
    {"SAMSUNG", "XMARU 1210P", 8, 1, 2080, 2560, 2040, 2520, "0.127"},
    {"SAMSUNG", "XMARU 1417P", 8, 2, 2880, 2400, 2840, 2360, "0.127"},
    {"SAMSUNG", "XMARU 1717", 8, 0, 3072, 3072, 3000, 3000, "0.143"},
    {"SAMSUNG", "XMARU 1717G", 8, 0, 3072, 3072, 3072, 3072, "0.143"},
    {"TRIXELL", "PIXIUM4600", 1, 0, 3121, 3121, 3121, 3121, "0.143"},
    {"TRIXELL", "PORTABLE", 1, 0, 3121, 3121, 3121, 3121, "0.143"},
    {"THOSIBA", "FPDOPR", 15, 0, 3072, 3072, 3072, 3072, "0.143"},
    {"THOSIBA", "TETDRAD1717", 18, 0, 3008, 3072, 3008, 3072, "0.143"},
    {"THOSIBA", "TETDRAD1417", 18, 0, 2448, 2984, 2448, 2984, "0.143"},
    {"VARIAN", "1717", 12, 0, 3072, 3072, 3072, 3072, "0.139"},
    {"VARIAN", "PORTABLE", 12, 0, 3072, 2560, 3072, 2560, "0.139"},
};

} // namespace

std::vector<const DetectorModel*> CatalogModelsOf(const QByteArray& maker)
{
    std::vector<const DetectorModel*> models;
    for (const DetectorModel& entry : kCatalog) {
        if (maker == entry.maker)
            models.push_back(&entry);
    }
    return models;
}

const DetectorModel* FindCatalogModel(const QByteArray& maker, const QByteArray& model)
{
    for (const DetectorModel& entry : kCatalog) {
        if (maker == entry.maker && model == entry.model)
            return &entry;
    }
    return nullptr;
}
