// The paged array of owned cursors: paging, growth and ownership transfer.
// Live cursors are counted by the cursor watch of reader_support.
#include <gtest/gtest.h>

#include "reader/omPositionXqcPageArr.h"
#include "reader/reader_support.h"

namespace {

using omArray = omPositionXqcPageArrPrgqcPrgqcPageArr;
using omElement = omPositionXqcPageArrPrgqcPrg;

char g_text[] = "<a/>";

omElement fresh() { return omElement(omCursorWatch::make(g_text)); }

void fill(omArray& array, int n) {
    for (int i = 0; i < n; ++i)
        array.append(fresh());
}

} // namespace

TEST(ReaderPagedArray, The257thElementLandsInASecondBlockAndNothingMoves) {
    omCursorWatch watch;
    {
        omArray array;
        EXPECT_EQ(array.block_size(), 256);
        fill(array, 256);
        const omElement* first = &array[0];
        omPositionX* first_cursor = array[0].get();
        array.append(fresh());
        EXPECT_EQ(array.size(), 257);
        EXPECT_EQ(&array[0], first);
        EXPECT_EQ(array[0].get(), first_cursor);
        EXPECT_EQ(watch.alive(), 257);
    }
    EXPECT_EQ(watch.alive(), 0);
}

TEST(ReaderPagedArray, ShrinkAndClear) {
    omCursorWatch watch;
    {
        omArray array;
        fill(array, 3);
        array.shrink(0, 0);
        EXPECT_EQ(array.size(), 0);
        EXPECT_EQ(watch.alive(), 3);
        array.append(fresh());
        EXPECT_EQ(watch.alive(), 3);
        array.clear(1);
        EXPECT_EQ(watch.alive(), 0);
        omArray paged(1, 5, 10);
        fill(paged, 6);
        paged.shrink(3, 1);
        EXPECT_EQ(paged.size(), 3);
        EXPECT_EQ(watch.alive(), 4);
    }
    EXPECT_EQ(watch.alive(), 0);
}

TEST(ReaderPagedArray, CopiesBetweenAndWithinArrays) {
    omCursorWatch watch;
    {
        omArray source(3, 2, 2);
        fill(source, 3);
        omPositionX* held[3] = {source[0].get(), source[1].get(), source[2].get()};
        omArray copy(kuCopy(), source);
        EXPECT_EQ(copy.size(), 3);
        EXPECT_EQ(copy.block_size(), 8);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(source[i].get(), nullptr);
            EXPECT_EQ(copy[i].get(), held[i]);
        }
        copy.copy(copy, 3, 1, 0);
        EXPECT_EQ(copy.size(), 4);
        EXPECT_EQ(copy[0].get(), nullptr);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(copy[i + 1].get(), held[i]);
        EXPECT_EQ(watch.alive(), 3);
    }
    EXPECT_EQ(watch.alive(), 0);
}

TEST(ReaderPagedArray, Repaginate) {
    omCursorWatch watch;
    omArray array;
    fill(array, 5);
    omPositionX* last = array[4].get();
    EXPECT_EQ(array.repaginate(), 248);
    EXPECT_EQ(array.block_size(), 8);
    EXPECT_EQ(array[4].get(), last);
    EXPECT_EQ(watch.alive(), 5);
    EXPECT_EQ(array.repaginate(), 0);
    array.shrink(2, 0);
    EXPECT_EQ(array.repaginate(), 6);
    EXPECT_EQ(watch.alive(), 2);
}
