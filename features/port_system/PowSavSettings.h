// Power saving and time profiles: reads and writes the device's power-saving group (LED shut-off, port
// shut-off, port standby, system hibernation, link-status detection) and its time-profile table, and
// reports to the owner window with WM_POWSAV_RESULT and WM_TIMEPROFILE_ROW.
#pragma once

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "core/RowCreate.h"
#include "core/StepRunner.h"
#include "core/TableRead.h"
#include "platform/sys/Messages.h"

// wParam 0: the flags were read (Flags()); 1: the four functions were read (m_aPowSavEntry), both sent
// by TakePowerSaving on the calling thread; 2: the profile-name walk has ended, lParam its walk number
// (posted on the owner's thread; read the names with ProfileNames()).
constexpr unsigned WM_POWSAV_RESULT = ksx::WM_USER + 1215;
// A time-profile row arrived (TimeProfileRowNow()); sent on the owner's thread, one per row.
constexpr unsigned WM_TIMEPROFILE_ROW = ksx::WM_USER + 1315;

// 3: the time-profile walk has ended (sent on the owner's thread; ProfilesReadOk()).
enum PowSavResult : int {
    POWSAV_FLAGS = 0,
    POWSAV_ENTRIES = 1,
    POWSAV_NAMES_DONE = 2,
    POWSAV_PROFILES_DONE = 3
};

// One power-saving function.
struct PowerSavingEntry {
    int type = 0;          // 1 LED shut-off, 2 port shut-off, 3 port standby, 4 system hibernation
    std::string portList;  // "1-4,6" form; "All Port" for system hibernation after a read
    std::string state;     // "1" enabled, "2" disabled
    std::string profile1;  // time profile names; empty = none
    std::string profile2;
    bool read = false;  // the last read gave every value above, each of its type
};

// Global settings, "1" enabled or "2" disabled. No device object backs the cable-length flag.
struct PowerSavingFlags {
    std::string cableLengthDetection;
    std::string linkStatusDetection;
    bool linkStatusRead = false;  // the last read gave the link-status switch as an integer
};

// What one get of the power-saving objects gave.
struct PowerSavingRead {
    bool answered = false;  // the device answered and accepted the get
    PowerSavingEntry entries[4];
    PowerSavingFlags flags;
    // Every function shown and the link-status switch were read.
    bool Complete() const {
        return entries[0].read && entries[1].read && entries[2].read && flags.linkStatusRead;
    }
};

// One function's write as checked: the entry and its ports as the device's bitmap octets.
struct PowerSavingWrite {
    PowerSavingEntry entry;
    std::string bitmap;
};

struct TimeProfilePoint {
    std::string year;
    std::string month;
    std::string day;
    std::string hour;
    std::string minute;
};

// One row of the time-profile table, column k in field k.
struct TimeProfileRow {
    std::string index;        // 1
    std::string name;         // 2
    std::string dateEnabled;  // 3: "1" the date range applies, "2" it does not
    TimeProfilePoint from;    // 4-8: from-date and start time
    TimeProfilePoint to;      // 9-13: to-date and end time
    std::string days[7];      // 14-20: Monday to Sunday, "1" included, "2" not
    std::string rowStatus;    // 21
    // The row's values were all there, each of its type (name an octet string, the rest integers).
    // `index` is the row's own index (its instance), read or not.
    bool read = true;
};

class CPowSavSettings {
public:
    static constexpr const char* kPowerSavingRoot = "1.3.6.1.4.1.7393.10.76.20.1.31";
    static constexpr const char* kTimeProfileEntry = "1.3.6.1.4.1.7393.10.76.20.1.32.1.1";
    static constexpr int kTimeProfileColumns = 21;
    static constexpr int kMaxTimeProfiles = 8;

    CPowSavSettings();
    virtual ~CPowSavSettings();
    CPowSavSettings(const CPowSavSettings&) = delete;
    CPowSavSettings& operator=(const CPowSavSettings&) = delete;

    // Synchronous get of the power-saving objects (FetchPowerSaving, then TakePowerSaving). True when
    // everything was read.
    bool ReadPowerSaving();
    // One get of the power-saving objects on m_cCommonSNMP; any thread, the session used for nothing
    // else meanwhile. A value missing from the reply, an exception value or one of the wrong type leaves
    // its function (or the switch) not read.
    PowerSavingRead FetchPowerSaving();
    // Owner's thread: keeps what a fetch gave (Flags(), m_aPowSavEntry) and, when it was answered, sends
    // WM_POWSAV_RESULT 0 and then 1.
    void TakePowerSaving(const PowerSavingRead& read);
    // Owner's thread: the checks of one function's write, its port bitmap made. Nothing, with nothing
    // sent, for a bad port list ("Invalid Portlist") or fibre ports on LED shut-off or port standby
    // ("Not support fiber Port.").
    std::optional<PowerSavingWrite> CheckEntry(PowerSavingEntry entry) const;
    // One SET of a checked function (only its state when disabling), or of the link-status switch, on
    // m_cCommonSNMP; any thread, as FetchPowerSaving.
    SnmpAnswer SendEntry(const PowerSavingWrite& write);
    SnmpAnswer SendLinkStatus(const PowerSavingFlags& flags);
    // Check and send in one (owner's thread): true when the device accepted the write.
    bool SetPowerSavingEntry(PowerSavingEntry entry);
    bool SetLinkStatusDetection(PowerSavingFlags flags);
    // Starts the walk of the profile-name column; its end is posted as WM_POWSAV_RESULT 2 with the
    // walk number returned here.
    int ReadProfileNames();
    // Starts the walk of the whole time-profile table; every row is sent as WM_TIMEPROFILE_ROW, the end
    // as WM_POWSAV_RESULT 3. ProfilesReadOk once the walk reached the end of the table.
    void ReadTimeProfiles();
    bool ProfilesReadOk() const { return m_profilesOk; }
    // The row of the WM_TIMEPROFILE_ROW being handled (owner's thread).
    const TimeProfileRow& TimeProfileRowNow() const { return m_rowNow; }
    const PowerSavingFlags& Flags() const { return m_flags; }
    // Step `step` of a time profile's add, run on `runner`'s worker on m_cCommonSNMPSet: 0 the create
    // (create-and-wait, through row creation: a row of that index this module left half-made is
    // replaced, another manager's only after the user's Yes given to `other`), 1 the fill and activation
    // in one request. A fill the device did not take has the row made removed again through row creation;
    // the step's failure says both. `progress` tells a stopped add's owner what the device confirmed.
    static constexpr int kAddSteps = 2;
    ksx::StepOutcome AddTimeProfileStep(int step, const TimeProfileRow& row, ksx::StepRunner& runner,
                                        ksx::AddProgress& progress, ksx::OtherRow& other);
    // A user's Delete of the profile at `index`.
    SnmpAnswer DeleteTimeProfile(const std::string& index);
    // The status column of the time-profile table; a row's status object is this + "." + index.
    static std::string StatusColumn();
    // Closes the sessions, waiting for a running walk.
    void CancelAll();
    // The sessions and readers, for the owning dialog to close with its window.
    ksx::SessionSet& Sessions() { return m_sessions; }

    static std::string NoneToEmpty(const std::string& text);
    // The model's fibre ports: those above the port count - 4 (port count - 2 on 10-port models).
    static bool IsFibrePort(int port);
    // The walk steps: each hands its step to its reader.
    static int OnProfileNameWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnTimeProfileWalk(CSnmp* response, int requestId, void* userData, int status);

    // The last profile-name walk reached the end of the column with every name read (owner's thread,
    // valid once its WM_POWSAV_RESULT 2 arrived).
    bool NamesReadOk() const { return m_namesOk; }
    // The names collected so far (copied under the lock).
    std::vector<std::string> ProfileNames() const;
    // True when no walk runs on the table session.
    bool IsWalkDone() const { return m_cCommonSNMPTable.IsDone(); }

    CCommonSNMP m_cCommonSNMP;       // get and set of the power-saving objects
    CCommonSNMP m_cCommonSNMPSpare;  // carries no request
    CCommonSNMP m_cCommonSNMPTable;  // the two walks
    CCommonSNMP m_cCommonSNMPSet;    // the time-profile table's writes
    // 0 LED shut-off, 1 port shut-off, 2 system hibernation, 3 port standby.
    PowerSavingEntry m_aPowSavEntry[4];
    ksx::IMessageTarget* m_hOwnerWnd = nullptr;

private:
    void AppendProfileName(const std::string& name);

    mutable std::mutex m_nameLock;
    std::vector<std::string> m_aProfileName;  // appended on the walk worker under m_nameLock
    std::atomic<int> m_nNamesWalk{0};
    PowerSavingFlags m_flags;
    TimeProfileRow m_rowNow;
    bool m_namesOk = false;  // owner's thread, as the one below
    bool m_profilesOk = false;
    // After the sessions they use and the data they fill: they go first.
    ksx::TableRead<int> m_namesRead;                // rows kept by the parse itself
    ksx::TableRead<TimeProfileRow> m_profilesRead;  // rows to the owner
    ksx::SessionSet m_sessions;
};
