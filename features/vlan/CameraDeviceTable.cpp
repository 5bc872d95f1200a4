// Device-table writes shared by the auto surveillance VLAN dialogs.
#include "features/vlan/CameraDeviceTable.h"

#include <cstring>

#include "core/CodeConvert.h"
#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "features/vlan/CameraVlanRules.h"

using namespace ksx;

namespace camvlan {

std::string SameRowText(const WalkStep& step, int i) {
    return step.Has(i) && step.Index(i) == step.Index(0) ? step.Text(i) : std::string();
}

RowAdded CreateDeviceRow(CCommonSNMP& session, const std::string& index, const std::function<bool()>& fill,
                         const std::function<bool()>& stopping, AddProgress* progress, OtherRow* other) {
    RowStatusAccess access = StatusAccessOn(session, kDevStatusCol + index);
    access.finish = fill;
    access.stopping = stopping;
    access.progress = progress;
    access.other = other;
    return AddRow(access, "4");
}

std::string CreateFailureText(RowAdded made) {
    return RowAddedText(made, "the entry", "Failed to add the entry: ");
}

std::string FillFailureText(const SnmpAnswer& fill, const SnmpAnswer& removal) {
    return AnswerText(fill, {"the entry's settings", true}, "Failed to add the entry:") + " " +
           (removal.Accepted() ? std::string("The incomplete entry was removed from the device.")
                               : AnswerText(removal, {"the removal of the incomplete entry"}));
}

SnmpAnswer FillDeviceRow(CCommonSNMP& session, const std::string& index, const std::string& description,
                         const std::function<void(CCommonSNMP&)>& moreColumns) {
    char utf8[128];
    std::memset(utf8, 0, sizeof utf8);
    CCodeConvert::AnsiToUTF8(description, utf8, sizeof utf8);
    session.Open(CCommonSNMP::REQUEST_SET);
    session.AddVarBind(kDevDescCol + index, 2, utf8);
    if (moreColumns) {
        moreColumns(session);
    }
    return SendRequest(session).Answer();
}

SnmpAnswer RemoveDeviceRow(CCommonSNMP& session, const std::string& index) {
    return DeletePickedRow(StatusAccessOn(session, kDevStatusCol + index));
}

SnmpAnswer RemoveAddedDeviceRow(CCommonSNMP& session, const std::string& index, RowOwner owner) {
    return RemoveOwnRow(StatusAccessOn(session, kDevStatusCol + index), owner);
}

StepsNamer DeletedEntryNamer() {
    return [](int, int, StepsState state) {
        return StepsName{state == StepsState::kRefused ? "the delete of the entry" : "the entry"};
    };
}

SnmpAnswer DeleteDeviceRow(CCommonSNMP& session, const std::string& index,
                           const std::function<void()>& settle) {
    if (index.empty()) {
        return {};  // a row whose address did not arrive whole has no index to address: nothing is sent
    }
    const SnmpAnswer answer = RemoveDeviceRow(session, index);
    if (answer.Accepted()) {
        settle();
    }
    return answer;
}

}  // namespace camvlan
