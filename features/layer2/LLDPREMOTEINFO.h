// "LLDP Remote Port Information": the neighbours the device learned by LLDP, one row per remote entity,
// from the remote systems table of the LLDP-MIB. Read only.
#pragma once

#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "core/TableRead.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class CLLDPREMOTEINFO : public ksx::CDialog {
public:
    static constexpr const char* kStateOid = "1.3.6.1.4.1.7393.10.76.20.1.24.1.0";
    static constexpr const char* kRemoteEntry = "1.0.8802.1.1.2.1.4.1.1";

    explicit CLLDPREMOTEINFO(QWidget* parent = nullptr);
    ~CLLDPREMOTEINFO() override;

    void LoadRemoteInfo();
    void StartRemoteWalk();
    void OnRefresh();
    // The local port number of a row's index (time mark, local port, remote index): the second-to-last
    // number of the instance text; "" when it has fewer than two.
    static std::string LocalPortOf(const std::string& instance);

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    struct RemoteRow {
        std::vector<std::string> values;  // the seven columns as read
        std::string instance;             // of the step's last binding
    };
    static int OnRemoteWalk(CSnmp* response, int requestId, void* userData, int status);
    void OnWalkEnd(const ksx::WalkEnd& end);
    void AddRow(const RemoteRow& row);

    CListCtrlEx* m_list = nullptr;
    CCommonSNMP m_cCommonSNMPEnabled;
    CCommonSNMP m_cCommonSNMP;
    ksx::TableRead<RemoteRow> m_walk;  // the seven columns, on m_cCommonSNMP
};
