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

// An array holding n fresh cursors.
void fill(omArray& array, int n) {
    for (int i = 0; i < n; ++i)
        array.append(fresh());
}

} // namespace

TEST(ReaderPagedArrayElement, CopyingTransfersOwnership) {
    omCursorWatch watch;
    omElement a = fresh();
    omPositionX* held = a.get();
    omElement b(a);
    EXPECT_EQ(a.get(), nullptr);
    EXPECT_EQ(b.get(), held);
    omElement c = fresh();
    c = b;
    EXPECT_EQ(c.get(), held);
    EXPECT_EQ(b.get(), nullptr);
    EXPECT_EQ(watch.alive(), 1);
    const omElement& same = c;
    c = same;
    EXPECT_EQ(c.operator->(), held);
    EXPECT_EQ(watch.alive(), 1);
}

TEST(ReaderPagedArray, ANewArrayIsEmpty) {
    omArray array;
    EXPECT_EQ(array.size(), 0);
    EXPECT_EQ(array.block_size(), 256);
    array[0];
    EXPECT_EQ(array.size(), 1);
    EXPECT_EQ(array[0].get(), nullptr);
}

TEST(ReaderPagedArray, The257thElementLandsInASecondBlockAndNothingMoves) {
    omCursorWatch watch;
    omArray array;
    fill(array, 256);
    const omElement* first = &array[0];
    omPositionX* first_cursor = array[0].get();
    array.append(fresh());
    EXPECT_EQ(array.size(), 257);
    EXPECT_EQ(&array[0], first);
    EXPECT_EQ(array[0].get(), first_cursor);
    EXPECT_EQ(watch.alive(), 257);
}

TEST(ReaderPagedArray, ShrinkWithoutFreeingKeepsCursorsAliveUntilTheirSlotIsReused) {
    omCursorWatch watch;
    {
        omArray array;
        fill(array, 3);
        array.shrink(0, 0);
        EXPECT_EQ(array.size(), 0);
        EXPECT_EQ(watch.alive(), 3);
        array.append(fresh());
        EXPECT_EQ(watch.alive(), 3);
    }
    EXPECT_EQ(watch.alive(), 0);
}

TEST(ReaderPagedArray, ShrinkWithFreeingDestroysTheBlocksNotNeeded) {
    omCursorWatch watch;
    omArray array(1, 5, 10);
    fill(array, 6);
    array.shrink(3, 1);
    EXPECT_EQ(array.size(), 3);
    EXPECT_EQ(watch.alive(), 4);
    array.append(fresh());
    array.append(fresh());
    EXPECT_EQ(array.size(), 5);
    EXPECT_EQ(watch.alive(), 5);
}

TEST(ReaderPagedArray, ClearWithAndWithoutFreeing) {
    omCursorWatch watch;
    omArray array;
    fill(array, 4);
    array.clear(0);
    EXPECT_EQ(array.size(), 0);
    EXPECT_EQ(watch.alive(), 4);
    array.clear(1);
    EXPECT_EQ(watch.alive(), 0);
    fill(array, 2);
    EXPECT_EQ(array.size(), 2);
}

TEST(ReaderPagedArray, IndexingBeyondTheSizeGrowsIt) {
    omArray array(2, 1, 1);
    array[9] = fresh();
    EXPECT_EQ(array.size(), 10);
    EXPECT_NE(array.read(9).get(), nullptr);
    EXPECT_EQ(array.read(8).get(), nullptr);
}

TEST(ReaderPagedArray, EnterExpandAndReserve) {
    omCursorWatch watch;
    omArray array(2, 1, 1);
    EXPECT_EQ(array.reserve(10), 1);
    EXPECT_EQ(array.size(), 0);
    array.enter(9, fresh());
    EXPECT_EQ(array.size(), 0);
    EXPECT_EQ(array.expand(10), 1);
    EXPECT_EQ(array.size(), 10);
    EXPECT_NE(array[9].get(), nullptr);
    EXPECT_EQ(array.expand(4), 1);
    EXPECT_EQ(array.size(), 10);
    array.enter(9, fresh());
    EXPECT_EQ(watch.alive(), 1);
}

TEST(ReaderPagedArray, InitializerListTakesTheElementsOver) {
    omCursorWatch watch;
    omArray array{fresh(), fresh(), fresh()};
    EXPECT_EQ(array.size(), 3);
    EXPECT_NE(array[2].get(), nullptr);
    EXPECT_EQ(watch.alive(), 3);
}

TEST(ReaderPagedArray, CopyConstructionLeavesTheSourceWithNulls) {
    omCursorWatch watch;
    omArray source(3, 2, 2);
    fill(source, 3);
    omPositionX* second = source[1].get();
    omArray copy(kuCopy(), source);
    EXPECT_EQ(copy.size(), 3);
    EXPECT_EQ(copy.block_size(), 8);
    EXPECT_EQ(copy[1].get(), second);
    EXPECT_EQ(source.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(source[i].get(), nullptr);
    EXPECT_EQ(watch.alive(), 3);
}

TEST(ReaderPagedArray, CopyWithinOneArrayKeepsTheOrder) {
    omArray array;
    fill(array, 3);
    omPositionX* held[3] = {array[0].get(), array[1].get(), array[2].get()};
    array.copy(array, 3, 1, 0);
    EXPECT_EQ(array.size(), 4);
    EXPECT_EQ(array[0].get(), nullptr);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(array[i + 1].get(), held[i]);
}

TEST(ReaderPagedArray, CopyTakesNoMoreThanTheSourceHolds) {
    omCursorWatch watch;
    omArray source;
    fill(source, 3);
    omArray target;
    target.copy(source, 10, 0, 1);
    EXPECT_EQ(target.size(), 2);
    EXPECT_NE(source[0].get(), nullptr);
    EXPECT_EQ(watch.alive(), 3);
}

TEST(ReaderPagedArray, CopyinAndCopyoutTransfer) {
    omCursorWatch watch;
    omElement outside[4] = {fresh(), fresh(), fresh(), fresh()};
    omPositionX* third = outside[2].get();
    omArray array(1, 1, 1);
    array.copyin(outside, 3, 2, 1);
    EXPECT_EQ(array.size(), 5);
    EXPECT_EQ(array[3].get(), third);
    EXPECT_EQ(outside[2].get(), nullptr);
    EXPECT_NE(outside[0].get(), nullptr);
    omElement back[3];
    array.copyout(back, 2, 3, 1);
    EXPECT_EQ(back[1].get(), third);
    EXPECT_EQ(array[3].get(), nullptr);
    EXPECT_EQ(watch.alive(), 4);
}

TEST(ReaderPagedArray, BecomeTransfersFromTheSource) {
    omCursorWatch watch;
    omArray source(2, 1, 1);
    fill(source, 5);
    omArray target;
    fill(target, 2);
    target.become(kuCopy(), source);
    EXPECT_EQ(watch.alive(), 5);
    EXPECT_EQ(target.size(), 5);
    EXPECT_EQ(target.block_size(), 4);
    EXPECT_EQ(source[4].get(), nullptr);
}

TEST(ReaderPagedArray, ReverseSwapsEndToEnd) {
    omArray array(1, 1, 1);
    fill(array, 5);
    omPositionX* held[5];
    for (int i = 0; i < 5; ++i)
        held[i] = array[i].get();
    array.reverse();
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(array[i].get(), held[4 - i]);
}

TEST(ReaderPagedArray, RepaginateFitsFiveElementsIntoABlockOfEight) {
    omCursorWatch watch;
    omArray array;
    fill(array, 5);
    omPositionX* last = array[4].get();
    EXPECT_EQ(array.repaginate(), 248);
    EXPECT_EQ(array.block_size(), 8);
    EXPECT_EQ(array.size(), 5);
    EXPECT_EQ(array[4].get(), last);
    EXPECT_EQ(watch.alive(), 5);
    EXPECT_EQ(array.repaginate(), 0);
}

TEST(ReaderPagedArray, RepaginateDestroysCursorsLeftBeyondTheSize) {
    omCursorWatch watch;
    omArray array;
    fill(array, 5);
    array.shrink(2, 0);
    EXPECT_EQ(array.repaginate(), 254);
    EXPECT_EQ(watch.alive(), 2);
}

TEST(ReaderPagedArray, RepaginateOfAnEmptyOrFullArray) {
    omCursorWatch watch;
    omArray array(1, 1, 1);
    fill(array, 2);
    EXPECT_EQ(array.repaginate(), 0);
    array.shrink(0, 0);
    EXPECT_EQ(array.repaginate(), 2);
    EXPECT_EQ(watch.alive(), 0);
}

TEST(ReaderPagedArrayIterator, VisitsEveryElementInOrderAcrossBlocks) {
    omArray array(1, 1, 1);
    fill(array, 5);
    omPositionXqcPageArrPrgqcPrgqcPageArrqcIterator it(&array);
    int i = 0;
    for (int more = it.first(); more; more = it.next())
        EXPECT_EQ(it.item().get(), array[i++].get());
    EXPECT_EQ(i, 5);
    it.reset();
    EXPECT_EQ(it.next(), 0);
}

TEST(ReaderPagedArrayIterator, AnEmptyArrayHasNoFirstElement) {
    omArray array;
    omPositionXqcPageArrPrgqcPrgqcPageArrqcIterator it(&array);
    EXPECT_EQ(it.first(), 0);
}
