// What an add says of its row when the status read before the removal went unanswered.
#include <gtest/gtest.h>

#include "features/security/AddedRowRemoval.h"

TEST(AddedRowRemovalText, AnUnreadStatusLeavesWhetherARowIsLeftUnknown) {
    const ksx::AddedRowRemoval unread{ksx::RowAdded::kUnknown, {}};
    EXPECT_EQ(
        ksx::AddedRowRemovalText(unread, {SnmpOutcome::kRefused}, false, "the user",
                                 std::string("its password")),
        "The status of its row could not be read: its removal was not sent. Whether the user is left on "
        "the device without its password is not known: if it is listed, delete it and add it again.");
}
