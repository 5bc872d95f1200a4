// "Trunk member": the user ticks the member ports of one trunk; OK checks them against the device's
// other settings (CTrunkSettingLogic) and writes members and channel mode in one SET. OK stays
// unavailable until every read of the checks has ended well; a failed read is named in the dialog and
// Refresh reads again.
#pragma once

#include <string>
#include <vector>

#include "controls/LxDialog.h"
#include "features/layer2/TrunkSettingLogic.h"

class CKSXTrunkPort : public ClxDialog {
public:
    explicit CKSXTrunkPort(QWidget* parent = nullptr);
    ~CKSXTrunkPort() override;

    // Filled by the opener before DoModal: current member list ("1,2,5"), trunk id, "LACP" or "Static".
    std::string m_strMembers;
    std::string m_strTrunkId;
    std::string m_strMode;

    // The member bitmap of the write: four ports per lower-case hex digit (port 4k+1 weight 8), the last
    // group completed with zeros, padded with "0" digits to the device object's octets for g_nPortNum.
    static std::string MemberBitmapHex(const std::vector<int>& flags);

    int DestroyWindow() override;
    CTrunkSettingLogic& Logic() { return m_logic; }
    const std::vector<int>& PortFlags() const { return m_aPortFlags; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnOK() override;

private:
    void OnPortClicked(int id);
    void OnRefresh();
    void ShowLoadProgress();

    int m_nPortNum = 0;
    std::vector<int> m_aPortFlags;  // one per port, 1 = ticked
    bool m_bInitFailed = false;
    CTrunkSettingLogic m_logic;
};
