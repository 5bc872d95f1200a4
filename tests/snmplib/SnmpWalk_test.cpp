// Synchronous get-next walks: the port table to its end, instance suffixes, restarts and the guards that
// end a walk which would otherwise never finish.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/snmplib/SnmpTestUtil.h"

using namespace ksx::test;

namespace {

const std::string kIfIndex = "1.3.6.1.2.1.2.2.1.1";
const std::string kIfDescr = "1.3.6.1.2.1.2.2.1.2";

class SnmpWalk : public SimSuite {
protected:
    void SetUp() override {
        s_sim->Restart();
        s_sim->ClearLog();
    }
    static std::string Agent() { return AgentOf(*s_sim); }

    struct Row {
        std::string suffix;
        std::vector<std::string> values;
    };
    // Walks to the end; returns the rows and the final status.
    static int Walk(CSnmpTable& table, std::vector<Row>& rows, int limit = 1000) {
        for (int i = 0; i < limit; ++i) {
            CSnmp* raw = nullptr;
            int status = table.getNext(Agent().c_str(), raw, 3000);
            ReplyPtr reply(raw);
            if (status != 0) {
                EXPECT_FALSE(reply);
                return status;
            }
            Row row;
            char* suffix = nullptr;
            EXPECT_EQ(0, table.getOidSuffix(0, reply.get(), &suffix));
            row.suffix = suffix;
            for (int c = 0; c < reply->getVarBindCount(); ++c) {
                row.values.push_back(ValueOf(*reply, c));
            }
            rows.push_back(row);
        }
        return 1000;
    }
};

TEST_F(SnmpWalk, PortTableWalksTwentyEightRowsThenEnds) {
    for (int version : {1, 3}) {
        std::unique_ptr<CSnmpV1> request;
        if (version == 1) {
            request = std::make_unique<CSnmpV1>(1);
            request->setCommunity("quaint");
        } else {
            request = V3Request(1, "shadesuser", 3, 1, "shaauthpass", 0, "desprivpass");
        }
        request->addValue(kIfIndex.c_str(), SNMP_TYPE_NULL, nullptr);
        request->addValue(kIfDescr.c_str(), SNMP_TYPE_NULL, nullptr);
        CSnmpTable table(request.get());
        std::vector<Row> rows;
        EXPECT_EQ(CSnmp4w::EC_END_OF_WALK, Walk(table, rows)) << "v" << version;
        ASSERT_EQ(28u, rows.size()) << "v" << version;
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(std::string(".") += std::to_string(i + 1), rows[i].suffix);
            EXPECT_EQ(std::to_string(i + 1), rows[i].values[0]);
        }
        // Further steps stay at the end.
        CSnmp* raw = nullptr;
        EXPECT_EQ(CSnmp4w::EC_END_OF_WALK, table.getNext(Agent().c_str(), raw, 3000));
        EXPECT_EQ(nullptr, raw);
    }
}

TEST_F(SnmpWalk, EachStepContinuesFromTheLastReplyAndRebuildingStartsOver) {
    CSnmpV1 request(1);
    request.setCommunity("quaint");
    request.addValue(kIfDescr.c_str(), SNMP_TYPE_NULL, nullptr);
    CSnmpTable table(&request);
    for (int i = 0; i < 3; ++i) {
        CSnmp* raw = nullptr;
        ASSERT_EQ(0, table.getNext(Agent().c_str(), raw, 3000));
        delete raw;
    }
    auto log = s_sim->Requests();
    ASSERT_EQ(3u, log.size());
    EXPECT_EQ("getnext", log[0].pdu);
    EXPECT_EQ(kIfDescr, log[0].varbinds[0].oid);
    EXPECT_EQ(kIfDescr + ".2", log[2].varbinds[0].oid);

    request.clearVarBindList();
    request.addValue(kIfIndex.c_str(), SNMP_TYPE_NULL, nullptr);
    CSnmp* raw = nullptr;
    ASSERT_EQ(0, table.getNext(Agent().c_str(), raw, 3000));
    ReplyPtr reply(raw);
    EXPECT_EQ(kIfIndex + ".1", std::string(reply->getOid(0)));
    char* suffix = nullptr;
    EXPECT_EQ(0, table.getOidSuffix(0, reply.get(), &suffix));
    EXPECT_STREQ(".1", suffix);
    EXPECT_EQ(-1, table.getOidSuffix(1, reply.get(), &suffix));
    EXPECT_EQ(-1, table.getOidSuffix(0, nullptr, &suffix));
}

TEST_F(SnmpWalk, MultiComponentSuffix) {
    const std::string column = "1.3.6.1.4.1.99999.9.1.2";
    s_sim->Set(column + ".4.97.98.99.100", "s", "row");
    CSnmpV1 request(1);
    request.setCommunity("quaint");
    request.addValue(column.c_str(), SNMP_TYPE_NULL, nullptr);
    CSnmpTable table(&request);
    std::vector<Row> rows;
    EXPECT_EQ(CSnmp4w::EC_END_OF_WALK, Walk(table, rows));
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(".4.97.98.99.100", rows[0].suffix);
}

TEST_F(SnmpWalk, EndOfMibEndsTheWalk) {
    // The last object of the MIB: v1 answers noSuchName, v3 endOfMibView; both end the walk.
    const std::string last = "1.3.9.99.99";
    s_sim->Set(last + ".1", "i", "1");
    for (int version : {1, 3}) {
        std::unique_ptr<CSnmpV1> request;
        if (version == 1) {
            request = std::make_unique<CSnmpV1>(1);
            request->setCommunity("quaint");
        } else {
            request = V3Request(1, "noauthuser", 0, 0, "", 0, "");
        }
        request->addValue(last.c_str(), SNMP_TYPE_NULL, nullptr);
        CSnmpTable table(request.get());
        std::vector<Row> rows;
        EXPECT_EQ(CSnmp4w::EC_END_OF_WALK, Walk(table, rows)) << "v" << version;
        EXPECT_EQ(1u, rows.size()) << "v" << version;
    }
}

TEST_F(SnmpWalk, AgentErrorEndsTheWalkInsteadOfRepeating) {
    // An agent that answers genErr echoes the request's OIDs: continuing from them would never end.
    s_sim->ErrorStatus(kIfDescr, 5);
    CSnmpV1 request(1);
    request.setCommunity("quaint");
    request.addValue(kIfDescr.c_str(), SNMP_TYPE_NULL, nullptr);
    CSnmpTable table(&request);
    std::vector<Row> rows;
    EXPECT_EQ(5, Walk(table, rows, 5));
    EXPECT_TRUE(rows.empty());
    s_sim->ErrorStatus(kIfDescr, 0);
}

TEST_F(SnmpWalk, ErrorStatusInAnyStepIsAFailureNeverTheEnd) {
    // noSuchName from an SNMPv3 agent, and any status other than v1's end of the MIB, fails the walk
    // even after rows were read; only the walked column's own end ends it cleanly.
    for (int version : {1, 3}) {
        for (int status : {2, 5}) {
            if (version == 1 && status == 2) {
                continue;  // v1's noSuchName for the walked column is its end of the MIB
            }
            std::unique_ptr<CSnmpV1> request;
            if (version == 1) {
                request = std::make_unique<CSnmpV1>(1);
                request->setCommunity("quaint");
            } else {
                request = V3Request(1, "md5user", 1, 0, "md5authpass", 0, "");
            }
            request->addValue(kIfDescr.c_str(), SNMP_TYPE_NULL, nullptr);
            CSnmpTable table(request.get());
            std::vector<Row> rows;
            CSnmp* raw = nullptr;
            ASSERT_EQ(0, table.getNext(Agent().c_str(), raw, 3000));
            delete raw;
            s_sim->ErrorStatus(kIfDescr, status);
            EXPECT_EQ(status, Walk(table, rows, 5)) << "v" << version << " status " << status;
            EXPECT_TRUE(rows.empty());
            s_sim->ErrorStatus(kIfDescr, 0);
        }
    }
}

TEST_F(SnmpWalk, ShorterSecondColumnLeavesItsValuesUnreadInsteadOfEndingTheTable) {
    // Binding 1 walks the last object of the MIB: from the second row on it is past the end.
    const std::string last = "1.3.9.99.99";
    s_sim->Set(last + ".1", "i", "7");
    auto request = V3Request(1, "noauthuser", 0, 0, "", 0, "");
    request->addValue(kIfIndex.c_str(), SNMP_TYPE_NULL, nullptr);
    request->addValue(last.c_str(), SNMP_TYPE_NULL, nullptr);
    CSnmpTable table(request.get());
    std::vector<std::pair<std::string, int>> rows;  // ifIndex value, type of binding 1
    int status = 0;
    for (int i = 0; i < 100 && status == 0; ++i) {
        CSnmp* raw = nullptr;
        status = table.getNext(Agent().c_str(), raw, 3000);
        ReplyPtr reply(raw);
        if (status == 0) {
            int errorStatus = -1;
            int errorIndex = -1;
            reply->getErrorStatus(&errorStatus, &errorIndex);
            EXPECT_EQ(0, errorStatus);
            rows.emplace_back(ValueOf(*reply, 0), reply->varBinds()[1].type);
        }
    }
    EXPECT_EQ(CSnmp4w::EC_END_OF_WALK, status);
    ASSERT_GE(rows.size(), 28u);
    EXPECT_EQ(SNMP_REPLY_INTEGER, rows[0].second);
    EXPECT_EQ("28", rows[27].first);
    EXPECT_EQ(SNMP_REPLY_END_OF_MIB_VIEW, rows[27].second);
}

TEST_F(SnmpWalk, GetAndSetThroughTheWalkerBehaveLikeSend) {
    CSnmpV1 request(0);
    request.setCommunity("quaint");
    request.addValue("1.3.6.1.2.1.1.5.0", SNMP_TYPE_NULL, nullptr);
    CSnmpTable table(&request);
    for (int i = 0; i < 2; ++i) {  // a get does not advance
        CSnmp* raw = nullptr;
        ASSERT_EQ(0, table.getNext(Agent().c_str(), raw, 3000));
        ReplyPtr reply(raw);
        EXPECT_EQ("1.3.6.1.2.1.1.5.0", std::string(reply->getOid(0)));
    }
    request.setType(3);
    request.setCommunity("harbour");
    request.clearVarBindList();
    request.addValue("1.3.6.1.2.1.1.5.0", SNMP_TYPE_OCTETS, "walker-set");
    CSnmp* raw = nullptr;
    ASSERT_EQ(0, table.getNext(Agent().c_str(), raw, 3000));
    delete raw;
    EXPECT_EQ("walker-set", s_sim->Get("1.3.6.1.2.1.1.5.0"));
}

}  // namespace
