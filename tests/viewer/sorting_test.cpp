#include "viewer/sorting.h"

#include <gtest/gtest.h>

#include <numeric>

#include "tests/support/printers.h"
#include "text/unicode.h"

namespace kestrune {
namespace {

RowTexts Row(std::u16string_view size, std::u16string_view name, std::u16string_view type,
             std::u16string_view start = u"", std::u16string_view track = u"01",
             std::u16string_view sector = u"00", std::u16string_view geos = u"") {
    std::u16string paddedName(name);
    paddedName.resize(16, u' ');
    return {size, paddedName, type, start, track, sector, geos};
}

std::vector<std::string> Names(const std::vector<RowTexts>& rows) {
    std::vector<std::string> names;
    for (const auto& row : rows) {
        std::u16string_view name = row[ColumnFileName];
        names.push_back(Utf16ToUtf8(name.substr(0, name.find_last_not_of(u' ') + 1)));
    }
    return names;
}

// Sorts the rows themselves, as a list that shows them in the order sorted.
void SortRows(std::vector<RowTexts>& rows, int column) {
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    SortByColumn(order, rows, column);
    std::vector<RowTexts> sorted;
    for (const std::size_t index : order)
        sorted.push_back(rows[index]);
    rows = std::move(sorted);
}

std::vector<std::string> Sorted(std::vector<RowTexts> rows, int column) {
    SortRows(rows, column);
    return Names(rows);
}

using Names_ = std::vector<std::string>;

TEST(Sorting, KeysAndComparison) {
    const RowTexts row = Row(u"  10", u"hello", u"prg", u"  2049 ($0801)", u"11", u"07");
    EXPECT_EQ(SortKey(row, ColumnTrack).str(), u"1107");
    EXPECT_EQ(SortKey(row, ColumnSize).str(), u"  10hello           ");
    EXPECT_EQ(SortKey(row, ColumnFileName).str(), u"hello           hello           ");
    const auto compare = [](std::u16string_view a, std::u16string_view b) {
        return CompareKeys({a.substr(0, 1), a.substr(std::min<std::size_t>(1, a.size()))}, {b, {}});
    };
    EXPECT_LT(compare(u"abc", u"ABD"), 0);
    EXPECT_EQ(compare(u"ABC", u"abc"), 0);
    EXPECT_LT(compare(u"ab", u"abc"), 0);
    EXPECT_GT(compare(u"abc", u"ab"), 0);
    EXPECT_LT(compare(u"_", u"A"), 0);  // A is taken as a, above "_"
    EXPECT_LT(compare(u"[", u"a"), 0);
    EXPECT_GT(compare(u"\u00E0", u"z"), 0);  // only A to Z fold
    EXPECT_LT(compare(u"\u00C0", u"\u00E0"), 0);
}

TEST(Sorting, EqualKeysLandWhereTheShellSortPutsThem) {
    // Four rows with one key and a fifth above it: gap 2 then gap 1 leave 2, 1, 4, 3.
    std::vector<RowTexts> rows = {
        Row(u"   1", u"b", u"prg"), Row(u"   1", u"a", u"prg", u"", u"01"),
        Row(u"   1", u"a", u"prg", u"", u"02"), Row(u"   1", u"a", u"prg", u"", u"03"),
        Row(u"   1", u"a", u"prg", u"", u"04")};
    SortRows(rows, ColumnType);
    std::vector<std::u16string> tracks;
    for (const auto& row : rows)
        tracks.push_back(row[ColumnTrack].str());
    EXPECT_EQ(tracks, (std::vector<std::u16string>{u"02", u"01", u"04", u"03", u"01"}));
}

TEST(Sorting, ByEachColumn) {
    const std::vector<RowTexts> rows = {
        Row(u"  10", u"Zeta", u"prg", u"  2049 ($0801)", u"11", u"00"),
        Row(u"   3", u"alpha", u"seq", u"", u"13", u"04", u"Application"),
        Row(u" 120", u"ABD", u"prg<", u" 49152 ($C000)", u"03", u"0A"),
        Row(u"   3", u"abc", u"*prg", u"", u"11", u"02", u"Data file"),
        Row(u"   0", u"gone", u"del", u"", u"00", u"00"),
        Row(u"   1", u"odd", u"?", u"", u"01", u"00"),
        Row(u"   7", u"locked", u"usr<", u"", u"22", u"01"),
        Row(u"  10", u"able", u"prg", u"  1025 ($0401)", u"11", u"01", u"Application"),
    };
    EXPECT_EQ(Sorted(rows, ColumnSize),
              (Names_{"gone", "odd", "abc", "alpha", "locked", "able", "Zeta", "ABD"}));
    EXPECT_EQ(Sorted(rows, ColumnFileName),
              (Names_{"abc", "ABD", "able", "alpha", "gone", "locked", "odd", "Zeta"}));
    // "*" before "?", then the names; a locked file's "<" sorts before letters of other names.
    EXPECT_EQ(Sorted(rows, ColumnType),
              (Names_{"abc", "odd", "gone", "ABD", "able", "Zeta", "alpha", "locked"}));
    // Start texts begin with spaces: all of them first by address, then the empty ones by name.
    EXPECT_EQ(Sorted(rows, ColumnStart),
              (Names_{"able", "Zeta", "ABD", "abc", "alpha", "gone", "locked", "odd"}));
    EXPECT_EQ(Sorted(rows, ColumnTrack),
              (Names_{"gone", "odd", "ABD", "Zeta", "able", "abc", "alpha", "locked"}));
    EXPECT_EQ(Sorted(rows, ColumnSector),
              (Names_{"gone", "odd", "Zeta", "able", "locked", "abc", "alpha", "ABD"}));
    // Without a GEOS type the key is the name alone, which falls among the type names.
    EXPECT_EQ(Sorted(rows, ColumnGeos),
              (Names_{"ABD", "able", "alpha", "abc", "gone", "locked", "odd", "Zeta"}));
}

TEST(Sorting, SortingTwiceGivesTheSameOrder) {
    std::vector<RowTexts> rows = {Row(u"   2", u"b", u"prg"), Row(u"   1", u"a", u"seq"),
                                  Row(u"   2", u"c", u"usr")};
    SortRows(rows, ColumnSize);
    const Names_ once = Names(rows);
    SortRows(rows, ColumnSize);
    EXPECT_EQ(Names(rows), once);
    std::vector<std::size_t> none, one = {2};
    SortByColumn(none, rows, ColumnSize);
    SortByColumn(one, rows, ColumnSize);
    EXPECT_EQ(one, std::vector<std::size_t>{2});
}

}  // namespace
}  // namespace kestrune
