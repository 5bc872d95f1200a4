// Row creation against the simulated switch: a create-and-go whose answers were lost (the device
// applied it), or whose resend the device refused as the row was there, is read back and finished, or
// removed when its columns are refused; a lost create the device did not apply is not added, one whose
// status cannot be read is not known; a refused or lost create leaves a row that was there alone; a row
// not active is replaced only when this module left it half-made, or on the user's Yes. The 802.1X
// user table: index the name's length and octets, column 2 the password, column 3 the status.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "core/RowCreate.h"
#include "core/SnmpReply.h"
#include "tests/support/ModuleBaseFixture.h"
#include "tests/support/SimSwitch.h"

namespace {

using namespace ksx;

const std::string kUsers = "1.3.6.1.4.1.7393.10.76.20.1.23.3.1.1";
const std::string kNurse = ".5.110.117.114.115.101";
const std::string kRadiusStatus = "1.3.6.1.4.1.7393.10.76.20.1.23.4.2.1.10";

class RowCreateTest : public test::ModuleBaseSuite {
protected:
    void SetUp() override {
        ModuleBaseSuite::SetUp();
        test::UseSimV1(*s_sim, "1500");
        session = std::make_unique<CCommonSNMP>();  // takes the connection settings now
    }
    void TearDown() override {
        s_sim->LoseAnswer("off");
        s_sim->ErrorStatus(kUsers, 0);
        s_sim->ErrorStatus(kUsers + ".2", 0);
        session->Close();
        ModuleBaseSuite::TearDown();
    }
    // The create-and-go of user "nurse" whose answer is lost (`once`: only the first copy's, the resends
    // are refused); finish writes its password.
    RowAdded AddNurse(bool once = false, AddProgress* progress = nullptr) {
        s_sim->LoseAnswer(kUsers + ".3" + kNurse, once);
        RowStatusAccess access = StatusAccessOn(*session, kUsers + ".3" + kNurse);
        access.progress = progress;
        access.finish = [&] {
            session->Open(CCommonSNMP::REQUEST_SET);
            session->AddVarBind(kUsers + ".2" + kNurse, 2, "ward7secret");
            return SendAccepted(*session);
        };
        return AddRow(access, "4");
    }
    static std::vector<std::string> Distinct() {
        std::vector<std::string> out;
        for (const test::SimRequest& r : s_sim->DistinctRequests()) {
            out.push_back(r.pdu + " " + r.varbinds.at(0).oid.substr(kUsers.size()) + "=" +
                          r.varbinds[0].value);
        }
        return out;
    }
    std::unique_ptr<CCommonSNMP> session;
};

TEST_F(RowCreateTest, AnUnansweredCreateAndGoFoundActiveIsFinishedOrRemoved) {
    EXPECT_EQ(AddNurse(), RowAdded::kFinished);
    EXPECT_EQ(Distinct(),
              (std::vector<std::string>{"get .3" + kNurse + "=", "set .3" + kNurse + "=4",
                                        "get .3" + kNurse + "=", "set .2" + kNurse + "=ward7secret"}));
    EXPECT_EQ(s_sim->Get(kUsers + ".2" + kNurse), "ward7secret");
    EXPECT_EQ(s_sim->Get(kUsers + ".3" + kNurse), "1");
    EXPECT_EQ(RowAddedText(RowAdded::kFinished, "the user nurse"),
              "The device did not answer the create of the user nurse, but it had made it; the rest of it is "
              "now written. The user nurse was added.");

    // The password refused: the account it made goes.
    s_sim->Unset(kUsers + ".3" + kNurse);
    s_sim->ErrorStatus(kUsers + ".2", 3);
    s_sim->ClearLog();
    EXPECT_EQ(AddNurse(), RowAdded::kRemoved);
    EXPECT_EQ(Distinct().back(), "set .3" + kNurse + "=6");
    EXPECT_EQ(s_sim->Get(kUsers + ".3" + kNurse), "");
    EXPECT_EQ(RowAddedText(RowAdded::kRemoved, "the user nurse", "Failed to add the user nurse: "),
              "Failed to add the user nurse: the device did not answer the create of the user nurse, but it "
              "had made it; the rest of it could not be written, so the row it made was removed.");
}

TEST_F(RowCreateTest, ACreateAndGoAppliedWhoseResendIsRefusedIsFinished) {
    EXPECT_EQ(AddNurse(true), RowAdded::kFinished);
    EXPECT_EQ(Distinct(),
              (std::vector<std::string>{"get .3" + kNurse + "=", "set .3" + kNurse + "=4",
                                        "get .3" + kNurse + "=", "set .2" + kNurse + "=ward7secret"}));
    EXPECT_GE(test::Sets(s_sim->Requests()).size(), 3u);  // the create resent, then the password
    EXPECT_EQ(s_sim->Get(kUsers + ".2" + kNurse), "ward7secret");
}

TEST_F(RowCreateTest, AnUnansweredCreateNotAppliedIsNotAddedOrNotKnown) {
    // Five servers, the most the table holds: the sixth is not made, and its answer is lost.
    for (int i = 1; i <= 5; ++i) {
        s_sim->Set(kRadiusStatus + "." + std::to_string(i), "i", "1");
    }
    s_sim->LoseAnswer(kRadiusStatus + ".6");
    EXPECT_EQ(AddRow(StatusAccessOn(*session, kRadiusStatus + ".6"), "5"), RowAdded::kNotMade);
    EXPECT_EQ(test::Sets(s_sim->DistinctRequests()).size(), 1u);
    EXPECT_EQ(RowAddedText(RowAdded::kNotMade, "the RADIUS server 6"),
              "The device did not answer the create of the RADIUS server 6; it holds no such entry.");

    // The status read fails as well: whether the create made the user is not known, nothing more is sent.
    s_sim->ErrorStatus(kUsers, 5);
    s_sim->ClearLog();
    EXPECT_EQ(AddNurse(), RowAdded::kUnknown);
    EXPECT_EQ(Distinct(), (std::vector<std::string>{"get .3" + kNurse + "=", "set .3" + kNurse + "=4",
                                                    "get .3" + kNurse + "="}));
    EXPECT_EQ(RowAddedText(RowAdded::kUnknown, "the user nurse"),
              "The device did not answer the create of the user nurse; whether it made it is not known. If "
              "the user nurse is listed, delete it and add it again.");
}

TEST_F(RowCreateTest, ARefusedCreateLeavesAnotherManagersActiveRowAlone) {
    const std::string guest = ".5.103.117.101.115.116";
    AddProgress progress;
    RowStatusAccess access = StatusAccessOn(*session, kUsers + ".3" + guest);
    access.finish = [] { return ADD_FAILURE() << "finished another manager's row", false; };
    access.progress = &progress;
    EXPECT_EQ(AddRow(access, "4"), RowAdded::kActive);
    EXPECT_EQ(Distinct(), (std::vector<std::string>{"get .3" + guest + "=", "set .3" + guest + "=4"}));
    EXPECT_EQ(s_sim->Get(kUsers + ".2" + guest), "guest123");
    // A stop after that refusal: nothing of this add is on the device.
    EXPECT_EQ(StoppedAddText("the user guest", progress), "Stopped: the user guest was not added.");
}

TEST_F(RowCreateTest, ALostOrResentCreateOverARowMadeJustBeforeLeavesItAsItWas) {
    for (const bool once : {true, false}) {  // the resend refused, or no copy answered
        SCOPED_TRACE(once);
        s_sim->Set(kUsers + ".2" + kNurse, "s", "theirs");  // another manager's, since the list was read
        s_sim->Set(kUsers + ".3" + kNurse, "i", "1");
        s_sim->ClearLog();
        AddProgress progress;
        EXPECT_EQ(AddNurse(once, &progress), RowAdded::kActive);
        EXPECT_TRUE(progress.Refused());  // a stop at this point has nothing of this add to remove
        EXPECT_EQ(Distinct(), (std::vector<std::string>{"get .3" + kNurse + "=", "set .3" + kNurse + "=4"}));
        EXPECT_EQ(s_sim->Get(kUsers + ".2" + kNurse), "theirs");
        EXPECT_EQ(s_sim->Get(kUsers + ".3" + kNurse), "1");
    }
}

TEST_F(RowCreateTest, NothingIsRemovedOfARowWhoseOwnerIsNotKnown) {
    // Another manager's account; the status read before the create fails, the create's answer is lost.
    s_sim->Set(kUsers + ".3" + kNurse, "i", "1");
    AddProgress progress;
    RowStatusAccess access = StatusAccessOn(*session, kUsers + ".3" + kNurse);
    access.readStatus = [] { return RowStatusAccess::Status{}; };
    access.progress = &progress;
    s_sim->LoseAnswer(kUsers + ".3" + kNurse);
    EXPECT_EQ(AddRow(access, "4"), RowAdded::kUnknown);
    s_sim->ClearLog();
    EXPECT_EQ(RemoveUnfinished(StatusAccessOn(*session, kUsers + ".3" + kNurse), progress.Owner()),
              RowAdded::kNotOwned);
    EXPECT_TRUE(s_sim->Requests().empty());
    EXPECT_EQ(s_sim->Get(kUsers + ".3" + kNurse), "1");
    // A row found not active after such a create may be its own: not asked of, nor replaced.
    ASSERT_EQ(s_sim->Command("row " + kRadiusStatus + ".4 2"), "OK");
    OtherRow other;
    access = StatusAccessOn(*session, kRadiusStatus + ".4");
    access.other = &other;
    access.readStatus = [n = 0, read = access.readStatus]() mutable {
        return n++ ? read() : RowStatusAccess::Status{};
    };
    s_sim->LoseAnswer(kRadiusStatus + ".4");
    EXPECT_EQ(AddRow(access, "5"), RowAdded::kUnknown);
    EXPECT_FALSE(other.Found());
    EXPECT_EQ(test::Sets(s_sim->DistinctRequests()).size(), 1u);
}

TEST_F(RowCreateTest, ARowNotActiveIsReplacedOnlyWhenThisModuleLeftItOrOnYes) {
    ASSERT_EQ(s_sim->Command("row " + kUsers + ".3" + kNurse + " 2"), "OK");  // another manager's, suspended
    OtherRow other;
    RowStatusAccess access = StatusAccessOn(*session, kUsers + ".3" + kNurse);
    access.other = &other;
    for (const bool yes : {false, true}) {  // the user's Yes holds for the next run only
        other.Begin();
        s_sim->ClearLog();
        EXPECT_EQ(AddRow(access, "4"), yes ? RowAdded::kCreated : RowAdded::kOccupied);
        EXPECT_EQ(Distinct().size(), yes ? 5u : 1u);  // the status read; then create, read, destroy, create
        EXPECT_EQ(other.Question("the user nurse"),
                  "The device already holds the user nurse, not in service. Replace it?");
        other.Consent();
    }
    // A server row this module made and did not activate is its own to replace, without asking.
    RowStatusAccess server = StatusAccessOn(*session, kRadiusStatus + ".4");
    server.other = &other;
    other.Begin();
    ASSERT_EQ(AddRow(server, "5"), RowAdded::kCreated);
    EXPECT_EQ(AddRow(server, "5"), RowAdded::kCreated);
    EXPECT_FALSE(other.Found());
    // Once its clean-up removed it, another manager's row made there since is asked of, by either.
    ASSERT_TRUE(RemoveOwnRow(server, RowOwner::kThisAdd).Accepted());
    ASSERT_EQ(s_sim->Command("row " + kRadiusStatus + ".4 2"), "OK");
    EXPECT_EQ(AddRow(server, "5"), RowAdded::kOccupied);
    EXPECT_EQ(RemoveInTheWay(server), RowAdded::kOccupied);
    other.Consent();
    other.Begin();
    EXPECT_EQ(RemoveInTheWay(server), RowAdded::kRemoved);
}

}  // namespace
