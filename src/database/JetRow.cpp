#include "database/JetRow.h"

#include "database/JetPage.h"

#include <algorithm>

namespace jet {

bool ReadVarTable(const uint8_t* row, int len, int maskSize, bool jet3, VarTable& t)
{
    t.jet3 = jet3;
    if (!jet3) {
        if (len < 2 + maskSize + 2)
            return false;
        t.count = GetU16(row + len - maskSize - 2);
        t.dataEnd = len - maskSize - 2 - 2 * (t.count + 1);
        return t.dataEnd >= 2;
    }
    if (len < 1 + maskSize + 1)
        return false;
    t.count = row[len - maskSize - 1];
    t.jumps = (len - 1) / 256;
    t.firstEntry = (len - 1) - maskSize - t.jumps - 1;
    if (t.jumps > 0 && (t.firstEntry - t.count) / 256 < t.jumps)
        --t.jumps; // the last jump entry is a dummy (0xFF), still in its place
    t.dataEnd = t.firstEntry - t.count;
    return t.dataEnd >= 1;
}

int VarOffset(const uint8_t* row, int len, int maskSize, const VarTable& t, int i)
{
    if (!t.jet3)
        return GetU16(row + len - maskSize - 4 - 2 * i);
    int used = 0;
    for (int k = 0; k <= i; ++k) {
        while (used < t.jumps && k == row[(len - 1) - maskSize - used - 1])
            ++used;
    }
    return row[t.firstEntry - i] + used * 256;
}

void RowImage::Widen(int columnCount, int fixedSize, int valueCount)
{
    columns = std::max(columns, columnCount);
    mask.resize(size_t((columns + 7) / 8), 0);
    if (int(fixed.size()) < fixedSize)
        fixed.resize(size_t(fixedSize), 0);
    if (int(values.size()) < valueCount)
        values.resize(size_t(valueCount));
}

void RowImage::SetPresent(int columnNumber, bool present)
{
    const uint8_t bit = uint8_t(1u << (columnNumber % 8));
    uint8_t& byte = mask[size_t(columnNumber / 8)];
    byte = present ? uint8_t(byte | bit) : uint8_t(byte & ~bit);
}

bool ParseRow(const uint8_t* row, int len, bool jet3, bool hasVarTable, RowImage& out)
{
    const int countSize = jet3 ? 1 : 2;
    if (len < countSize)
        return false;
    out = RowImage();
    out.columns = jet3 ? row[0] : GetU16(row);
    out.hasVarTable = hasVarTable;
    const int maskSize = (out.columns + 7) / 8;
    if (countSize + maskSize > len)
        return false;
    out.mask.assign(row + len - maskSize, row + len);
    int fixedEnd = len - maskSize;
    if (hasVarTable) {
        VarTable t;
        if (!ReadVarTable(row, len, maskSize, jet3, t))
            return false;
        fixedEnd = VarOffset(row, len, maskSize, t, 0);
        if (fixedEnd < countSize || fixedEnd > t.dataEnd)
            return false;
        for (int i = 0; i < t.count; ++i) {
            const int start = VarOffset(row, len, maskSize, t, i);
            const int end = VarOffset(row, len, maskSize, t, i + 1);
            if (start < fixedEnd || start > end || end > t.dataEnd)
                return false;
            out.values.emplace_back(row + start, row + end);
        }
    }
    out.fixed.assign(row + countSize, row + fixedEnd);
    return true;
}

namespace {

// Jet 3 keeps the low byte of each offset and, for each further 256 bytes of
// row, the number of the first value at or past that boundary (0xFF when
// only the tables themselves cross it).
void AppendJet3Tables(const std::vector<int>& offsets, int maskSize, std::vector<uint8_t>& out)
{
    const int count = int(offsets.size()) - 1; // the last offset is where the data ends
    int jumps = 0;
    for (;;) {
        const int len = int(out.size()) + int(offsets.size()) + jumps + 1 + maskSize;
        if ((len - 1) / 256 == jumps)
            break;
        jumps = (len - 1) / 256;
    }
    for (int i = count; i >= 0; --i)
        out.push_back(uint8_t(offsets[size_t(i)] & 0xFF));
    std::vector<uint8_t> jumpTable;
    for (int j = 0; j < jumps; ++j) {
        int first = 0xFF;
        for (int i = 0; i <= count; ++i) {
            if (offsets[size_t(i)] >= 256 * (j + 1)) {
                first = i;
                break;
            }
        }
        jumpTable.push_back(uint8_t(first));
    }
    out.insert(out.end(), jumpTable.rbegin(), jumpTable.rend()); // entry 0 nearest the count
    out.push_back(uint8_t(count));
}

} // namespace

std::vector<uint8_t> BuildRow(const RowImage& image, bool jet3)
{
    std::vector<uint8_t> out;
    if (jet3) {
        out.push_back(uint8_t(image.columns));
    } else {
        out.push_back(uint8_t(image.columns));
        out.push_back(uint8_t(image.columns >> 8));
    }
    out.insert(out.end(), image.fixed.begin(), image.fixed.end());
    if (image.hasVarTable) {
        std::vector<int> offsets;
        for (const std::vector<uint8_t>& value : image.values) {
            offsets.push_back(int(out.size()));
            out.insert(out.end(), value.begin(), value.end());
        }
        offsets.push_back(int(out.size()));
        if (jet3) {
            AppendJet3Tables(offsets, int(image.mask.size()), out);
        } else {
            for (auto it = offsets.rbegin(); it != offsets.rend(); ++it) {
                out.push_back(uint8_t(*it));
                out.push_back(uint8_t(*it >> 8));
            }
            const int count = int(image.values.size());
            out.push_back(uint8_t(count));
            out.push_back(uint8_t(count >> 8));
        }
    }
    out.insert(out.end(), image.mask.begin(), image.mask.end());
    return out;
}

} // namespace jet
