// Row tables, row layouts and usage maps as the row writer changes them.
#include "database/JetPage.h"
#include "database/JetRow.h"

#include <gtest/gtest.h>

#include <map>

namespace {

constexpr int kPage = 4096;

std::vector<uint8_t> PageWithRows(const std::vector<std::vector<uint8_t>>& rows, bool jet3 = false)
{
    std::vector<uint8_t> page = jet::NewRowPage(kPage, jet3, 7);
    jet::PageRows table(page.data(), kPage, jet3);
    for (const auto& row : rows)
        table.Add(row.data(), int(row.size()), 0);
    return page;
}

std::vector<uint8_t> RowBytes(const std::vector<uint8_t>& page, int row, bool jet3 = false)
{
    std::vector<uint8_t> copy = page;
    jet::PageRows table(copy.data(), kPage, jet3);
    int start = 0, end = 0;
    EXPECT_TRUE(table.Bounds(row, start, end));
    return {page.begin() + start, page.begin() + end};
}

// Pages kept in memory, appended at the end.
class MemoryStore : public jet::PageStore
{
public:
    int PageSize() const override { return kPage; }
    bool IsJet3() const override { return false; }
    void Read(uint32_t page, std::vector<uint8_t>& buffer) override
    {
        buffer = pages.count(page) ? pages[page] : std::vector<uint8_t>(kPage, 0);
    }
    void Write(uint32_t page, const std::vector<uint8_t>& buffer) override { pages[page] = buffer; }
    uint32_t Append(const std::vector<uint8_t>& buffer) override
    {
        pages[next] = buffer;
        return next++;
    }
    std::map<uint32_t, std::vector<uint8_t>> pages;
    uint32_t next = 100;
};

// A page holding one inline usage map row of 64 bytes starting at page first.
uint32_t InlineMap(MemoryStore& store, uint32_t first, const std::vector<uint32_t>& pages)
{
    std::vector<uint8_t> row(69, 0);
    jet::PutU32(&row[1], first);
    for (uint32_t p : pages)
        row[5 + (p - first) / 8] |= uint8_t(1u << ((p - first) % 8));
    store.pages[3] = PageWithRows({row});
    return 3u << 8;
}

} // namespace

TEST(JetPageTest, AGrowingRowMovesTheRowsAfterItAndKeepsEveryNumberAndFlag)
{
    std::vector<uint8_t> page = PageWithRows({{1, 1, 1}, {2, 2}, {3, 3, 3, 3}});
    jet::PageRows table(page.data(), kPage, false);
    table.SetFlags(2, jet::kDeletedRow);
    const int free = table.FreeSpace();

    const int at = table.Resize(0, 6);
    ASSERT_GE(at, 0);
    std::fill(page.begin() + at, page.begin() + at + 6, uint8_t(9));
    EXPECT_EQ(RowBytes(page, 0), std::vector<uint8_t>(6, 9));
    EXPECT_EQ(RowBytes(page, 1), (std::vector<uint8_t>{2, 2}));
    EXPECT_EQ(RowBytes(page, 2), (std::vector<uint8_t>{3, 3, 3, 3}));
    EXPECT_EQ(table.Entry(2) & ~jet::kOffsetMask, jet::kDeletedRow);
    EXPECT_EQ(table.FreeSpace(), free - 3);
    EXPECT_EQ(jet::GetU16(&page[2]), free - 3); // the page's own figure

    ASSERT_GE(table.Resize(1, 0), 0); // shrinking gives room back
    EXPECT_TRUE(RowBytes(page, 1).empty());
    EXPECT_EQ(RowBytes(page, 2), (std::vector<uint8_t>{3, 3, 3, 3}));
    EXPECT_EQ(table.FreeSpace(), free - 1);
}

TEST(JetPageTest, APageWithoutRoomIsLeftAsItWas)
{
    std::vector<uint8_t> page = PageWithRows({std::vector<uint8_t>(4000, 1), {2, 2}});
    jet::PageRows table(page.data(), kPage, false);
    const std::vector<uint8_t> before = page;
    EXPECT_LT(table.Resize(1, 2 + table.FreeSpace() + 1), 0);
    EXPECT_FALSE(table.HasRoomFor(table.FreeSpace() - 1));
    EXPECT_LT(table.Add(page.data(), table.FreeSpace(), 0), 0);
    EXPECT_EQ(page, before);

    std::vector<uint8_t> many = PageWithRows({});
    jet::PageRows rows(many.data(), kPage, false);
    for (int i = 0; i < jet::kMaxRowsPerPage; ++i)
        ASSERT_EQ(rows.Add(many.data(), 1, 0), i);
    EXPECT_LT(rows.Add(many.data(), 1, 0), 0); // a row pointer has one byte for the row
}

TEST(JetPageTest, ARowRebuiltWithMoreColumnsKeepsEveryStoredByte)
{
    for (const bool jet3 : {false, true}) {
        jet::RowImage image;
        image.columns = 3;
        image.fixed = {1, 2, 3, 4};
        image.values = {{'a', 'b'}, {}};
        image.mask = {0x05};
        image.hasVarTable = true;
        const std::vector<uint8_t> row = jet::BuildRow(image, jet3);

        jet::RowImage read;
        ASSERT_TRUE(jet::ParseRow(row.data(), int(row.size()), jet3, true, read)) << jet3;
        EXPECT_EQ(read.fixed, image.fixed);
        EXPECT_EQ(read.values, image.values);
        EXPECT_EQ(read.mask, image.mask);

        read.Widen(10, 6, 4); // two columns added after the row was stored
        read.values[3] = std::vector<uint8_t>(12, 0);
        read.SetPresent(9, true);
        const std::vector<uint8_t> wider = jet::BuildRow(read, jet3);
        jet::RowImage again;
        ASSERT_TRUE(jet::ParseRow(wider.data(), int(wider.size()), jet3, true, again));
        EXPECT_EQ(again.columns, 10);
        EXPECT_EQ(again.fixed, (std::vector<uint8_t>{1, 2, 3, 4, 0, 0}));
        EXPECT_EQ(again.values[0], image.values[0]);
        EXPECT_EQ(again.values[3].size(), 12u);
        EXPECT_EQ(again.mask, (std::vector<uint8_t>{0x05, 0x02}));
    }
}

TEST(JetPageTest, AJet3RowPastTwoHundredFiftySixBytesGetsItsJumpTable)
{
    jet::RowImage image;
    image.columns = 4;
    image.fixed = std::vector<uint8_t>(10, 7);
    image.values = {std::vector<uint8_t>(200, 'a'), std::vector<uint8_t>(100, 'b'), {'c'}};
    image.mask = {0x0F};
    image.hasVarTable = true;
    const std::vector<uint8_t> row = jet::BuildRow(image, true);
    ASSERT_GT(row.size(), 300u);
    jet::RowImage read;
    ASSERT_TRUE(jet::ParseRow(row.data(), int(row.size()), true, true, read));
    EXPECT_EQ(read.values, image.values);
    // Value 1 starts at 211, value 2 at 311: the jump entry names value 2.
    EXPECT_EQ(row[row.size() - 1 - 1 - 1], 2);
}

TEST(JetPageTest, AnInlineUsageMapTakesPagesInReachSlidesAndBecomesAReferenceMap)
{
    MemoryStore store;
    const uint32_t map = InlineMap(store, 0, {5, 6});
    jet::UsageMapWriter(store, map).Add(300);
    EXPECT_EQ(jet::UsageMapWriter(store, map).Pages(), (std::vector<uint32_t>{5, 6, 300}));

    jet::UsageMapWriter(store, map).Remove(5);
    jet::UsageMapWriter(store, map).Remove(6);
    jet::UsageMapWriter(store, map).Add(515); // past the 512 pages from 0: slides
    EXPECT_EQ(jet::GetU32(&RowBytes(store.pages[3], 0)[1]), 296u);
    EXPECT_EQ(jet::UsageMapWriter(store, map).Pages(), (std::vector<uint32_t>{300, 515}));

    jet::UsageMapWriter(store, map).Add(40000); // no inline map reaches that far
    EXPECT_EQ(RowBytes(store.pages[3], 0)[0], 1);
    EXPECT_EQ(jet::UsageMapWriter(store, map).Pages(), (std::vector<uint32_t>{300, 515, 40000}));
    EXPECT_TRUE(jet::UsageMapWriter(store, map).Contains(40000));
    EXPECT_FALSE(jet::UsageMapWriter(store, map).Contains(6));
    EXPECT_EQ(store.pages.size(), 3u); // a bitmap page for each of the two stretches
}
