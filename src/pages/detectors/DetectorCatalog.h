#pragma once

// The detector models a second detector slot can be set up with, and what each
// model means for the slot: the device id that selects its page, its type code,
// sensor and image sizes and pixel spacing.
#include <QByteArray>

#include <vector>

struct DetectorModel {
    const char* maker; // upper case, spelled as the workstations store it
    const char* model; // upper case
    int deviceId;
    int detType;
    int oriW;
    int oriH;
    int width;
    int height;
    const char* pixelSpacing; // millimetres, three decimals
};

// The models of maker (exact, upper case) in catalog order; empty for a maker
// the catalog does not know.
std::vector<const DetectorModel*> CatalogModelsOf(const QByteArray& maker);

// A model is only looked up within its maker: "PORTABLE" exists under two.
// Null when the pair is not in the catalog.
const DetectorModel* FindCatalogModel(const QByteArray& maker, const QByteArray& model);
