// What an add says of its row when the status read before the removal went unanswered.
#include <gtest/gtest.h>

#include "features/security/AddedRowRemoval.h"

using namespace ksx;

TEST(AddedRowRemovalText, AnUnreadStatusLeavesWhetherARowIsLeftUnknown) {
    AddedRowRemoval removal;
    removal.result = RowAdded::kUnknown;
    const SnmpAnswer refused{SnmpOutcome::kRefused};
    const std::string lead = "The status of its row could not be read: its removal was not sent. Whether ";
    EXPECT_EQ(AddedRowRemovalText(removal, refused, false, "the entry"),
              lead +
                  "a row for the entry is left on the device, not active, is not known; adding it again "
                  "replaces any row left of it.");
    EXPECT_EQ(AddedRowRemovalText(removal, refused, false, "the user", std::string("its password")),
              lead +
                  "the user is left on the device without its password is not known: if it is listed, "
                  "delete it and add it again.");
}
