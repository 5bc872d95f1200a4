// "ARP Spoofing Prevention Settings": adds one gateway entry (IPv4 address, MAC address, protected
// ports). Apply is available once the ports' trunk membership has been read; it checks the entry against
// the entries the list read (duplicates), writes the row and ends with IDOK, or says which write failed,
// leaves no half-made row and stays open. The add's requests run off the window's thread; closing the
// window stops them and says what the device holds.
#pragma once

#include <QPointer>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "controls/LxDialog.h"
#include "controls/StepRun.h"
#include "core/CommonSNMP.h"
#include "core/RowCreate.h"
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
    const CStepRun& Run() const { return m_run; }

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
    // What the add writes, copied from the fields on the UI thread.
    struct AddJob {
        std::string address;
        std::string macOctets;
        std::string bitmap;
        std::string create;  // "5", or "4" on the model that creates with create-and-go
        std::string What() const { return "the gateway " + address; }
    };
    // UI thread: runs the add of `job` (again after the user's Yes to replacing another entry).
    void StartAdd(const std::shared_ptr<AddJob>& job);
    // Worker: the add's step `i` (0 the create, 1 the MAC address and ports, 2 the activation); a
    // refused step removes what the add made.
    ksx::StepOutcome AddStep(int i, const AddJob& job);
    // Worker: the MAC address, then the ports; accepted when both were, else the first that was not
    // and its name (the ports, not sent, when a stop came between them).
    struct ColumnsWritten {
        SnmpAnswer answer;
        const char* what = "";
    };
    ColumnsWritten WriteColumns(const AddJob& job);
    SnmpAnswer SetStatus(const std::string& index, const char* value);
    void OnAddEnd(const ksx::StepsEnd& end, const std::shared_ptr<AddJob>& job);

    std::vector<ksx::arp::Entry> m_known;
    int m_nPortNum = 0;
    std::vector<int> m_portFlags;  // per port, 1 selected
    std::vector<QPointer<QCheckBox>> m_boxes;
    CIPAddressCtrl* m_address = nullptr;
    QLabel* m_status = nullptr;
    QGridLayout* m_portGrid = nullptr;
    CCommonSNMP m_cCommonSNMP;  // the add's SETs, used by nothing else
    std::unique_ptr<CTrunkMembership> m_trunk;
    // How far the add under way got (worker writes, UI thread reads once it ended).
    ksx::AddProgress m_progress;
    ksx::OtherRow m_other;  // an entry of this address not active that this module did not leave
    std::atomic<bool> m_finished{false};  // a create nobody answered was finished by the columns
    std::atomic<bool> m_complete{false};  // the entry holds the MAC address and ports given
    CStepRun m_run{*this};                // last: stopped before the session it uses goes
};
