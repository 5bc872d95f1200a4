// Device access of the static MAC entries: the table walk, row creation and deletion, MAC address
// learning with its uplink ports, and the asymmetric VLAN state the add check needs. Results reach the
// dialog in m_hOwner by WM_STATICMAC_RESULT.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/CommonSNMP.h"
#include "core/ModuleBase.h"
#include "core/RowCreate.h"
#include "core/TableRead.h"
#include "platform/sys/Messages.h"

// wParam 0: lParam points to a StaticMacEntryText (valid during the call); 1: the walk ended, lParam
// points to "Finished".
constexpr unsigned WM_STATICMAC_RESULT = ksx::WM_USER + 88;
// The trunk membership read ended: wParam 1 when it reached the end of the table, 0 when it failed.
constexpr unsigned WM_STATICMAC_TRUNKS_DONE = ksx::WM_USER + 89;

struct StaticMacEntryText {
    std::string vlanId;
    std::string mac;  // "00-11-22-33-44-55"
    std::string port;
};

// Both base reads report their end to the base's owner window (CModuleBase::SetOwnerWnd): the VLAN list
// with WM_VLANLIST_DONE (wParam 2 at the end of the table, 0 when the read failed), the trunk membership
// with WM_STATICMAC_TRUNKS_DONE. They share the base's walk session: start one after the other ended.
class CStaticMACLogic : public CModuleBase {
public:
    enum { ACTION_ADD = 1, ACTION_DELETE = 3 };

    CStaticMACLogic();
    ~CStaticMACLogic() override;

    void StartStaticMacWalk();
    static int OnStaticMacWalk(CSnmp* response, int requestId, void* userData, int status);
    // Action 1 creates the row ("4"), 3 destroys it ("6"); any other action writes nothing and is taken as
    // accepted. The layer's account of the write.
    SnmpAnswer SetStaticMacEntry(const StaticMacEntryText& entry, int action);
    // Worker: the entry's create-and-go (ksx::AddRow; the index is the whole entry, so a row the
    // device made without answering is the entry as given).
    ksx::RowAdded AddStaticMacEntry(const StaticMacEntryText& entry, std::function<bool()> stopping,
                                    ksx::AddProgress* progress, ksx::OtherRow* other = nullptr);
    // Reads the learning state into m_strLearningState (emptied when it was not read as a number), then
    // the uplink ports into m_strUplinkPorts (kept when they were not read), one get each, without holding
    // the window; onGlobals (UI thread) tells which of the two were read.
    void GetStaticMacGlobals();
    std::function<void(bool stateRead, bool uplinkRead)> onGlobals;
    // The two writes of the learning settings, one request each: the state, then (for state "1" and a
    // port list) the uplink ports as a port bitmap. The layer's account of the request; not sent when
    // (the ports) the list does not parse.
    SnmpAnswer SetLearningState(const std::string& state);
    SnmpAnswer SetUplinkPorts(const std::string& uplinkPorts);
    // Any thread: cuts short the single request in flight of the calls above, of the row writes and of
    // the asymmetric VLAN and device MAC reads.
    void CancelRequests();
    // The asymmetric VLAN switch ("1" enabled); empty when the read fails.
    std::string GetAsymmetricVlanState();
    void CloseSessions();

    // The row's index: ".vlan.m1.m2.m3.m4.m5.m6.port".
    static std::string RowIndex(const StaticMacEntryText& entry);

    CCommonSNMP m_cCommonSNMPWalk;
    CCommonSNMP m_cCommonSNMPSet;
    std::string m_strLearningState;
    std::string m_strUplinkPorts;
    ksx::IMessageTarget* m_hOwner = nullptr;

private:
    // The table walk; active rows and the end reach m_hOwner on the UI thread.
    ksx::TableRead<StaticMacEntryText> m_tableWalk;
    CCommonSNMP m_cCommonSNMPGlobals;
    ksx::TableRead<std::optional<long long>> m_learningRead;
    ksx::TableRead<std::optional<std::string>> m_uplinkRead;
    std::optional<long long> m_learning;
    std::optional<std::string> m_uplink;
};
