// The reader's exported classes that its own walk no longer uses: the paged
// array of owned cursors, the cursor's self-closing test and the
// declaration's standalone value.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "reader/omException.h"
#include "reader/omInitialPositionX.h"
#include "reader/omPositionXqcPageArr.h"

namespace {

using Array = omPositionXqcPageArrPrgqcPrgqcPageArr;
using Slot = omPositionXqcPageArrPrgqcPrg;

// The cursors held in slots 0 .. size-1, by the order they were made in (-1 for an empty slot).
std::vector<int> held(const Array& array, const std::vector<omPositionX*>& made) {
    std::vector<int> order;
    for (int i = 0; i < array.size(); ++i) {
        auto at = std::find(made.begin(), made.end(), array[i].get());
        order.push_back(at == made.end() ? -1 : static_cast<int>(at - made.begin()));
    }
    return order;
}

TEST(PagedArray, PagesGrowShrinkCopyAndIterate) {
    char text[] = "<r/>";
    std::vector<omPositionX*> made;
    Array array(1, 1, 1); // two elements a page
    for (int i = 0; i < 5; ++i) {
        made.push_back(new omPositionX(text));
        array.append(Slot(made.back()));
    }
    EXPECT_EQ(array.block_size(), 2);
    EXPECT_EQ(held(array, made), (std::vector<int>{0, 1, 2, 3, 4}));
    omPositionXqcPageArrPrgqcPrgqcPageArrqcIterator it(&array);
    std::vector<omPositionX*> visited;
    for (int more = it.first(); more; more = it.next())
        visited.push_back(it.item().get());
    EXPECT_EQ(visited, made);

    // Overlapping copies within the array, upward and downward: each element
    // moves once, and a slot written over deletes the cursor it held.
    array.copy(array, 3, 1, 0);
    EXPECT_EQ(held(array, made), (std::vector<int>{-1, 0, 1, 2, 4}));
    array.copy(array, 4, 0, 1);
    EXPECT_EQ(held(array, made), (std::vector<int>{0, 1, 2, 4, -1}));
    array.shrink(4, 1);
    array.reverse();
    EXPECT_EQ(held(array, made), (std::vector<int>{4, 2, 1, 0}));
    // Shrinking with freeing deletes the cursors of the pages it drops; slots
    // made again past the size are empty.
    array.shrink(2, 1);
    EXPECT_EQ(array.expand(6), 1);
    EXPECT_EQ(held(array, made), (std::vector<int>{4, 2, -1, -1, -1, -1}));
    Array copy(kuCopy(), array);
    EXPECT_EQ(held(copy, made), (std::vector<int>{4, 2, -1, -1, -1, -1}));
    EXPECT_EQ(held(array, made), (std::vector<int>(6, -1))) << "a copy takes the cursors over";
}

// A cursor that shows its protected self-closing test.
class Cursor : public omPositionX {
public:
    using omPositionX::omPositionX;
    using omPositionX::self_closing_tag;
};

TEST(Cursor, SelfClosingTagLooksAtTheEndOfTheTag) {
    for (std::string tag : {"<a/>", "<a x='1'/>", "<a\n/>", "<a>", "<a x='/'>", "<a/ >"}) {
        Cursor cursor(&tag[0]);
        EXPECT_EQ(cursor.self_closing_tag(), tag[tag.size() - 2] == '/') << tag;
    }
    std::string open = "<a x='1'";
    EXPECT_THROW(Cursor(&open[0]).self_closing_tag(), omEndException);
}

TEST(Declaration, StandaloneDefaultsToNo) {
    const std::pair<std::string, std::string> cases[] = {
        {"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><r/>", "yes"},
        {"<?xml version='1.0'  standalone='no' ?><r/>", "no"},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><r/>", "no"},
    };
    for (auto [declaration, expected] : cases) {
        kuString value = omInitialPositionX(&declaration[0]).standalone();
        EXPECT_EQ(std::string(value.c_str(), static_cast<std::size_t>(value.length())), expected) << declaration;
    }
}

} // namespace
