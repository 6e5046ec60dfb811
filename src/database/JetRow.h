#pragma once

// The layout of a stored row, read and written: a column count, the fixed
// area, the variable-length values, their table of offsets (Jet 3: one byte
// each plus a jump table for every further 256 bytes; Jet 4: two bytes each)
// and the null mask.
#include <cstdint>
#include <vector>

namespace jet {

// Where the table of variable-length values of a row lies.
struct VarTable {
    int count = 0;   // variable-length values the row holds
    int dataEnd = 0; // where the offset tables begin
    bool jet3 = false;
    int jumps = 0;
    int firstEntry = 0; // Jet 3: position of entry 0, entries run downwards
};

// Reads the table of a row of len bytes; false when it makes no sense.
bool ReadVarTable(const uint8_t* row, int len, int maskSize, bool jet3, VarTable& t);
// The start of variable-length value i (i == count: where the values end).
int VarOffset(const uint8_t* row, int len, int maskSize, const VarTable& t, int i);

// A row taken apart into what a rewrite keeps.
struct RowImage {
    int columns = 0;                          // the count the row stores
    std::vector<uint8_t> fixed;               // the fixed area, deleted columns' bytes too
    std::vector<std::vector<uint8_t>> values; // variable-length values in table order
    std::vector<uint8_t> mask;                // one bit a column, set when not NULL
    bool hasVarTable = false;

    // Gives the row at least this many columns, fixed bytes and values; what
    // it lacked reads as NULL.
    void Widen(int columnCount, int fixedSize, int valueCount);
    void SetPresent(int columnNumber, bool present);
};

// False when the row's tables make no sense.
bool ParseRow(const uint8_t* row, int len, bool jet3, bool hasVarTable, RowImage& out);
std::vector<uint8_t> BuildRow(const RowImage& image, bool jet3);

} // namespace jet
