// "System Information": the device's MIB-II system group (description, object identifier, running
// time, name, location). Name and location can be changed; they travel as UTF-8 in one SET.
#pragma once

#include <optional>
#include <string>

#include "core/CodeConvert.h"
#include "core/CommonSNMP.h"
#include "core/TableRead.h"
#include "platform/ui/Dialog.h"

class CSnmpDevIden : public ksx::CDialog {
public:
    static constexpr const char* kSysDescr = "1.3.6.1.2.1.1.1.0";
    static constexpr const char* kSysObjectID = "1.3.6.1.2.1.1.2.0";
    static constexpr const char* kSysUpTime = "1.3.6.1.2.1.1.3.0";
    static constexpr const char* kSysContact = "1.3.6.1.2.1.1.4.0";
    static constexpr const char* kSysName = "1.3.6.1.2.1.1.5.0";
    static constexpr const char* kSysLocation = "1.3.6.1.2.1.1.6.0";
    static constexpr int kNameLimit = 20;
    static constexpr int kLocationLimit = 20;

    explicit CSnmpDevIden(QWidget* parent = nullptr);
    ~CSnmpDevIden() override;

    // Starts the one-step read of the six objects; Refresh and Apply wait for its answer.
    void ReadSystemInfo();
    // "342 Hour 56 Min" for 123456789 hundredths of a second; days are not split off.
    static std::string RunningTime(unsigned long long hundredths);

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnOK() override;  // Apply: the dialog stays open
    int DestroyWindow() override;

private:
    // The system group as read: a value is present only when the device answered it with its type.
    struct SystemInfo {
        std::optional<std::string> descr, objectId, contact, name, location;
        std::optional<unsigned long long> upTime;
    };
    static int OnSystemInfo(CSnmp* response, int requestId, void* userData, int status);
    void ShowSystemInfo(const SystemInfo& info);
    void OnRefresh();

    bool m_bNameRead = false;      // name and location were read: Apply may write them
    CCommonSNMP m_cCommonSNMP;     // reads
    CCommonSNMP m_cCommonSNMPSet;  // writes
    CCodeConvert m_cCodeConvert;
    ksx::TableRead<SystemInfo> m_read;
};
