// "ARP Spoofing Prevention Settings": adds one gateway entry (IPv4 address, MAC address, protected
// ports). Apply is available once the ports' trunk membership has been read; it checks the entry against
// the entries the list read (duplicates), writes the row and ends with IDOK, or says which write failed,
// leaves no half-made row and stays open.
#pragma once

#include <QPointer>

#include <memory>
#include <string>
#include <vector>

#include "controls/LxDialog.h"
#include "core/CommonSNMP.h"
#include "features/common/TrunkTable.h"

class CIPAddressCtrl;
class QCheckBox;
class QGridLayout;
class QLabel;

namespace ksx::arp {

inline constexpr char kAddressColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.14.3.1.1.1";
inline constexpr char kMacColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.14.3.1.1.2";
inline constexpr char kPortsColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.14.3.1.1.3";
inline constexpr char kStatusColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.14.3.1.1.4";
inline constexpr int kMaxEntries = 64;

// One gateway row as read, whatever its status.
struct Entry {
    std::string address;  // dotted, from the row's index
    std::string mac;      // "00-11-22-33-44-55"; empty when not read
    std::string ports;    // range text "1-4,6"
    std::string status;   // row status; empty when not read
};

// The member-port bitmap octets of the flags (one per port, g_nPortNum of them): four ports per hex
// digit, padded by the port count and cut into octets.
std::string PortBitmap(const std::vector<int>& flags);

}  // namespace ksx::arp

class CAddARPEntry : public ClxDialog {
public:
    explicit CAddARPEntry(QWidget* parent = nullptr);
    ~CAddARPEntry() override;

    // The entries the list dialog read (every status), for the duplicate rules. Before DoModal.
    void SetKnownEntries(std::vector<ksx::arp::Entry> entries) { m_known = std::move(entries); }
    const CTrunkGroups& TrunkGroups() const { return m_trunk->Groups(); }

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnOK() override;
    int DestroyWindow() override;

private:
    void CreatePortGrid();
    void OnPortClick(int port);
    void OnAllPorts();
    void UpdateApplyState();
    void OnApply();
    // The add sequence; `added` whether the entry is on the device as given. The text is what to tell
    // the user (empty when every step was accepted).
    std::string WriteEntry(const std::string& address, const std::string& macOctets,
                           const std::string& bitmap, bool destroyFirst, bool* added);
    bool SetStatus(const std::string& index, const char* value);

    std::vector<ksx::arp::Entry> m_known;
    int m_nPortNum = 0;
    std::vector<int> m_portFlags;  // per port, 1 selected
    std::vector<QPointer<QCheckBox>> m_boxes;
    CIPAddressCtrl* m_address = nullptr;
    QLabel* m_status = nullptr;
    QGridLayout* m_portGrid = nullptr;
    CCommonSNMP m_cCommonSNMP;  // the SETs
    std::unique_ptr<CTrunkMembership> m_trunk;
};
