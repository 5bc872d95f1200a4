// Device-table writes shared by the auto surveillance VLAN dialogs.
#include "features/vlan/CameraDeviceTable.h"

#include <cstring>

#include "core/CodeConvert.h"
#include "core/SnmpReply.h"
#include "features/vlan/CameraVlanRules.h"
#include "platform/sys/MessageBox.h"

using namespace ksx;

namespace camvlan {

std::string SameRowText(const WalkStep& step, int i) {
    return step.Has(i) && step.Index(i) == step.Index(0) ? step.Text(i) : std::string();
}

RowAdded CreateDeviceRow(CCommonSNMP& session, const std::string& index, const std::function<bool()>& fill,
                         const std::function<bool()>& stopping) {
    RowStatusAccess access = StatusAccessOn(session, kDevStatusCol + index);
    access.finish = fill;
    access.stopping = stopping;
    return AddRow(access, "4");
}

std::string CreateFailureText(RowAdded made) {
    return made == RowAdded::kRefused ? kTextAddFailed
                                      : RowAddedText(made, "the entry", "Failed to add the entry: ");
}

bool FillDeviceRow(CCommonSNMP& session, const std::string& index, const std::string& description,
                   const std::function<void(CCommonSNMP&)>& moreColumns) {
    char utf8[128];
    std::memset(utf8, 0, sizeof utf8);
    CCodeConvert::AnsiToUTF8(description, utf8, sizeof utf8);
    session.Open(CCommonSNMP::REQUEST_SET);
    session.AddVarBind(kDevDescCol + index, 2, utf8);
    if (moreColumns) {
        moreColumns(session);
    }
    return SendAccepted(session);
}

bool RemoveDeviceRow(CCommonSNMP& session, const std::string& index) {
    session.Open(CCommonSNMP::REQUEST_SET);
    session.AddVarBind(kDevStatusCol + index, 1, "6");
    return SendAccepted(session);
}

DeviceRowAdd AddDeviceRow(CCommonSNMP& session, const std::string& index, const std::string& description,
                          const std::function<void(CCommonSNMP&)>& moreColumns,
                          const std::function<void()>& settle) {
    const auto fill = [&] { return FillDeviceRow(session, index, description, moreColumns); };
    switch (const RowAdded made = CreateDeviceRow(session, index, fill)) {
        case RowAdded::kCreated:
            break;
        case RowAdded::kFinished:
            AfxMessageBox(RowAddedText(made, "the entry"), MB_OK);
            settle();
            return DeviceRowAdd::kAdded;
        case RowAdded::kRefused:
        case RowAdded::kNotMade:
        case RowAdded::kActive:
            // Without a row there is nothing to fill in: the entry stays in the fields.
            AfxMessageBox(CreateFailureText(made), MB_OK);
            return DeviceRowAdd::kNotCreated;
        default:
            AfxMessageBox(CreateFailureText(made), MB_OK);
            return DeviceRowAdd::kHalfMade;
    }
    settle();
    if (!FillDeviceRow(session, index, description, moreColumns)) {
        // A row without its columns would count toward the limit: remove it again.
        const bool removed = RemoveDeviceRow(session, index);
        AfxMessageBox(removed ? kTextAddHalfMade : kTextAddHalfMadeKept, MB_OK);
        return DeviceRowAdd::kHalfMade;
    }
    settle();
    return DeviceRowAdd::kAdded;
}

bool DeleteDeviceRow(CCommonSNMP& session, const std::string& index, const std::function<void()>& settle) {
    if (index.empty()) {
        return false;  // a row whose address did not arrive whole has no index to address
    }
    session.Open(CCommonSNMP::REQUEST_SET);
    session.AddVarBind(kDevStatusCol + index, 1, "6");
    if (!SendAccepted(session)) {
        return false;
    }
    settle();
    return true;
}

}  // namespace camvlan
