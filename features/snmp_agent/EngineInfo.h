// The SNMP engine values of the framework MIB (engine ID, boots, time, maximum message size), read with
// community-based requests or SNMPv3 over the SNMP class library.
#pragma once

#include "features/common/DirectRead.h"
#include "platform/ui/Dialog.h"

class CEngineInfo : public ksx::CDialog {
public:
    explicit CEngineInfo(QWidget* parent = nullptr);
    ~CEngineInfo() override;

    int DestroyWindow() override;
    void Refresh();
    bool Reading() const { return m_get.Pending() || m_v3.Running(); }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void Show(const ksx::DirectReply& reply, bool v3);

    ksx::CDirectRead m_get{false};
    ksx::CDirectV3Read m_v3;
};
