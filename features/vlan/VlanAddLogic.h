// Logic of the VLAN add and edit dialog: the port-list rules of its grid (a port untagged in one VLAN
// only while the asymmetric VLAN is off), the VLAN id and trunk checks, and the SET sequence that
// writes a VLAN row, one step at a time so that the dialog runs it off the window's thread
// (core/StepRunner.h), and the put-back of an edit that ended part-way. Qt-free; the trunk membership
// comes from a CTrunkGroups the dialog fills.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "core/RowCreate.h"
#include "core/RunText.h"
#include "core/StepRunner.h"
#include "features/common/TrunkTable.h"
#include "features/vlan/VlanTable.h"

class CVlanAddLogic {
public:
    // Per-port 0/1 flags, index port - 1.
    using PortFlags = std::vector<int>;

    // What OK writes. The VID text is written as typed.
    struct VlanWrite {
        bool add = true;
        std::string vidText;
        std::string name;
        PortFlags egress;  // tagged or untagged members
        PortFlags untagged;
        PortFlags forbidden;
    };
    // The edited VLAN as read, put back when an edit fails or is stopped part-way.
    struct VlanMembers {
        PortFlags egress;
        PortFlags untagged;
        PortFlags forbidden;
        std::string name;
    };
    // Steps of the SET sequence, in their order.
    enum Step {
        kNoStep = 0,
        kPrepareRow,  // row status: create-and-wait (add) or not-in-service (edit, not VLAN 1)
        kAllPorts,    // egress = every port (not VLAN 1)
        kUntagged,
        kEgress,
        kForbidden,
        kName,
        kActivate,  // row status active
    };
    // What an edit that ended part-way put back: its steps (PutBackSteps) and how far they went.
    struct PutBack {
        std::vector<Step> steps;
        ksx::RunTally tally;
        bool Complete() const { return tally.done == tally.total; }
    };
    struct WriteResult {
        Step failed = kNoStep;  // kNoStep: every step was accepted
        SnmpAnswer answer;      // how the failed step's request went (unanswered: it may have been applied)
        bool exists = false;    // add: the create was refused, an active row of that VID is there
        bool undone = true;     // add: the row was removed
        PutBack putBack;        // edit: what was put back after the failed step
        bool Ok() const { return failed == kNoStep; }
    };

    CVlanAddLogic() = default;
    CVlanAddLogic(const CVlanAddLogic&) = delete;
    CVlanAddLogic& operator=(const CVlanAddLogic&) = delete;

    // ---- Port lists ----
    static const VlanEntry* FindVlanEntry(const VlanList& list, int vid);
    // Flags of the entry's egress, untagged and forbidden lists over `ports` ports; not-member is set
    // where none of the three is.
    static void LoadPortFlags(const VlanEntry& entry, int ports, PortFlags& egress, PortFlags& untagged,
                              PortFlags& notMember, PortFlags& forbidden);
    // Every entry's untagged list joined with ",".
    static std::string JoinUntaggedLists(const VlanList& list);
    // Drops every item equal to the port from the comma-separated text.
    static void RemovePortFromList(int port, std::string& text);
    // False when an item of the text is the port.
    static bool IsPortNotInList(int port, const std::string& text);

    // ---- Checks (each shows its message and returns false) ----
    // Add mode: 2 to 4094 and not listed yet.
    static bool ValidateVlanId(const VlanList& list, int vid);
    // Every trunk touched by the flags is wholly set.
    static bool CheckTrunkMembers(const CTrunkGroups& trunks, const PortFlags& flags);

    // The port bitmap octets of flags as the VLAN table takes them: 8 octets for 28 ports, 12 for 52,
    // the device object's size for other counts.
    static std::string PortBitmap(const PortFlags& flags);

    // ---- Writing ----
    // The steps of the SET sequence, in order: all seven, or from kUntagged on for an edit of VLAN 1.
    // Each step is one request, but for an add's create (ksx::CreateRow: a row of that VID left not
    // active is replaced) and the pause before the activation.
    static std::vector<Step> Steps(const VlanWrite& write);
    // Worker. One step. A step the device did not accept or answer ends the sequence: result.failed is
    // set and, unless a stop was asked for (then nothing further is sent), the step undoes what was
    // written so that no half-made VLAN is left: a created row is destroyed, an edited VLAN is put back
    // (PutBackSteps). NothingSent when the step saw the stop before its first request.
    ksx::StepOutcome RunStep(Step step, const VlanWrite& write, const VlanMembers& original,
                             WriteResult& result);
    // Name of a step ("untagged ports").
    static std::string StepName(Step step);
    // The step as the run texts name it ("the untagged ports", plural).
    static ksx::StepsName StepText(Step step);
    // What a failed write says, with what was put back.
    static std::string FailureText(const VlanWrite& write, const WriteResult& result);
    // What a write stopped by Close says of its steps: an add what the device confirmed of the row
    // (ksx::StoppedAddText), an edit which steps were written, not confirmed and not written.
    static std::string StoppedText(const VlanWrite& write, const ksx::AddProgress& progress,
                                   const std::vector<Step>& steps, const ksx::StepsEnd& end);

    // ---- Putting an edited VLAN back ----
    // An edit whose first `sent` steps may have reached the device and that ended there: the steps that
    // put the VLAN back as it was read. The members (egress first, so that the untagged ports always lie
    // within them), untagged and forbidden ports once a port list went out, the name once it went out,
    // and last the activation of a VLAN that was taken out of service. Nothing for an add.
    static std::vector<Step> PutBackSteps(const VlanWrite& write, int sent);
    // Worker. One request of the put-back: the value of `original` for that step.
    ksx::StepOutcome PutBackStep(Step step, const VlanWrite& write, const VlanMembers& original);
    // What the put-back did: the VLAN back as it was, or which of its writes were made and that the VLAN
    // is left out of service.
    static std::string PutBackText(const VlanWrite& write, const PutBack& putBack);

    // A run off the window's thread: `stopping` (any thread) tells that the run is being stopped,
    // `pause` waits before the activation and returns false, at once, on a stop. Without them the
    // pause sleeps and nothing stops.
    void SetRunHooks(std::function<bool()> stopping, std::function<bool(unsigned ms)> pause);
    // Any thread: cancels the request in flight.
    void CancelRequests();
    // How far an add got (written by the worker, read once the run ended).
    const ksx::AddProgress& Progress() const { return m_progress; }
    void ResetProgress() {
        m_progress.Reset();
        m_other.Begin();
    }
    // A row of the VID not active that this module did not leave, found by an add (UI thread, once the
    // run has ended), and the user's Yes to replacing it.
    ksx::OtherRow& Other() { return m_other; }

    // Sessions: row status and name; the port bitmaps.
    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPEgrePort;

private:
    bool Stopping() const { return m_stopping && m_stopping(); }
    SnmpAnswer CreateVlanRow(const std::string& vidText, WriteResult& result);
    SnmpAnswer SetPortList(const std::string& octets, const std::string& vidText, const char* column);
    SnmpAnswer SetVlanName(const std::string& vidText, const std::string& name);
    // The VLAN's row status, written through row creation: out of service (an edit), active, or the
    // removal of the row this add made (nothing is sent for a row it did not make).
    enum class Status { kOutOfService, kActive, kRemoveOwn };
    SnmpAnswer SetRowStatus(const std::string& vidText, Status status);
    ksx::RowStatusAccess StatusAccess(const std::string& vidText);
    // The pause the device needs between the name and the activation; false on a stop.
    bool PauseBeforeActivation();

    std::function<bool()> m_stopping;
    std::function<bool(unsigned ms)> m_pause;
    ksx::AddProgress m_progress;
    ksx::OtherRow m_other;
};
