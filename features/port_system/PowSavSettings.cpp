// Power-saving and time-profile logic.
#include "features/port_system/PowSavSettings.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <utility>

#include "core/RowCreate.h"
#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "core/Utils.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"

namespace {

constexpr int kMaxBitmapOctets = 8;
constexpr unsigned kRowSettleMs = 50;  // between a time profile's create and its fill

std::string Obj(const std::string& suffix) {
    return std::string(CPowSavSettings::kPowerSavingRoot) + suffix;
}

std::string Column(int column) {
    return std::string(CPowSavSettings::kTimeProfileEntry) + "." + std::to_string(column);
}

// Sends the pending PDU; an unanswered or refused request is traced (`what` names it). The caller owns
// the reply.
ksx::SnmpReply SendTraced(CCommonSNMP& session, const char* what) {
    ksx::SnmpReply reply = ksx::SendRequest(session);
    if (reply.status != 0 || !reply.response) {
        TRACE("--------iStatus = %d", reply.status);
    } else if (reply.ErrorStatus() != 0) {
        TRACE("%s refused: error status %d at %d", what, reply.ErrorStatus(), reply.ErrorIndex());
    }
    return reply;
}

// The port list of a bitmap value over ports 1..port count ("1-4,6").
std::string BitmapText(const std::string& value) {
    std::string text;
    const int octets = std::min(static_cast<int>(value.size()), kMaxBitmapOctets);
    if (octets > 0) {
        CUtils::BitmapToRangeText(reinterpret_cast<const unsigned char*>(value.data()), octets, 1, g_nPortNum,
                                  &text);
    }
    return text;
}

}  // namespace

namespace {

// A row of the time-profile table from one step (columns 1..21 in binding order).
TimeProfileRow ParseTimeProfile(const ksx::WalkStep& step) {
    auto v = [&](int column) { return step.Text(column - 1); };
    TimeProfileRow row;
    // The row is the one its name's instance names; the index column only repeats it.
    row.index = std::to_string(step.IndexInt(1));
    row.read = step.IndexInt(1) > 0 && step.Octets(1).has_value();
    for (int column = 3; column <= CPowSavSettings::kTimeProfileColumns && row.read; ++column) {
        row.read = step.Integer(column - 1).has_value();
    }
    row.name = v(2);
    row.dateEnabled = v(3);
    if (row.dateEnabled == "1") {
        row.from.year = v(4);
        row.from.month = "00" + v(5);
        row.from.day = "00" + v(6);
        row.to.year = v(9);
        row.to.month = "00" + v(10);
        row.to.day = "00" + v(11);
    }
    // The "00" prefix lets the dialog take the last two characters as a two-digit field.
    row.from.hour = "00" + v(7);
    row.from.minute = "00" + v(8);
    row.to.hour = "00" + v(12);
    row.to.minute = "00" + v(13);
    for (int d = 0; d < 7; ++d) {
        row.days[d] = v(14 + d);
    }
    row.rowStatus = v(21);
    return row;
}

std::vector<std::string> TimeProfileColumns() {
    std::vector<std::string> oids;
    for (int c = 1; c <= CPowSavSettings::kTimeProfileColumns; ++c) {
        oids.push_back(Column(c));
    }
    return oids;
}

}  // namespace

CPowSavSettings::CPowSavSettings()
    : m_namesRead(m_cCommonSNMPTable, {Column(2)},
                  [this](const ksx::WalkStep& step) -> std::optional<int> {
                      // A name that is not an octet string ends the walk as not read.
                      const std::optional<std::string> name = step.Octets(0);
                      if (!name) {
                          step.Reject();
                          return std::nullopt;
                      }
                      if (!name->empty()) {
                          AppendProfileName(*name);
                      }
                      return std::nullopt;
                  }),
      m_profilesRead(m_cCommonSNMPTable, TimeProfileColumns(), [this](const ksx::WalkStep& step) {
          TimeProfileRow row = ParseTimeProfile(step);
          AppendProfileName(row.name);  // the row walk collects the names as well
          return row;
      }) {
    m_sessions.Add(m_namesRead);
    m_sessions.Add(m_profilesRead);
    m_sessions.Add(m_cCommonSNMPTable);
    m_sessions.Add(m_cCommonSNMPSet);
    m_sessions.Add(m_cCommonSNMP);
    m_sessions.Add(m_cCommonSNMPSpare);
    m_namesRead.onEnd = [this](const ksx::WalkEnd& end) {
        m_namesOk = end.Ok();
        // The names are complete: the owner fills its boxes.
        if (m_hOwnerWnd != nullptr) {
            m_hOwnerWnd->PostMessage(WM_POWSAV_RESULT, POWSAV_NAMES_DONE, m_nNamesWalk.load());
        }
    };
    m_profilesRead.onEnd = [this](const ksx::WalkEnd& end) {
        m_profilesOk = end.Ok();
        if (m_hOwnerWnd != nullptr && !end.stale) {
            m_hOwnerWnd->SendMessage(WM_POWSAV_RESULT, POWSAV_PROFILES_DONE, 0);
        }
    };
    m_profilesRead.onRow = [this](const TimeProfileRow& row) {
        m_rowNow = row;
        if (m_hOwnerWnd != nullptr) {
            m_hOwnerWnd->SendMessage(WM_TIMEPROFILE_ROW, 0, 0);
        }
    };
}

CPowSavSettings::~CPowSavSettings() {
    // The walk callbacks use the members below the sessions: end them first.
    CancelAll();
}

std::string CPowSavSettings::NoneToEmpty(const std::string& text) {
    return text == "None" ? std::string() : text;
}

bool CPowSavSettings::IsFibrePort(int port) {
    const int limit = g_nPortNum == 10 ? g_nPortNum - 2 : g_nPortNum - 4;
    return port > limit && port <= g_nPortNum;
}

void CPowSavSettings::AppendProfileName(const std::string& name) {
    std::lock_guard<std::mutex> guard(m_nameLock);
    m_aProfileName.push_back(name);
}

std::vector<std::string> CPowSavSettings::ProfileNames() const {
    std::lock_guard<std::mutex> guard(m_nameLock);
    return m_aProfileName;
}

bool CPowSavSettings::ReadPowerSaving() {
    const PowerSavingRead read = FetchPowerSaving();
    TakePowerSaving(read);
    return read.Complete();
}

PowerSavingRead CPowSavSettings::FetchPowerSaving() {
    PowerSavingRead read;
    for (PowerSavingEntry& entry : read.entries) {
        entry.state = "2";
    }
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET);
    for (const char* suffix : {".1.1.0", ".1.2.0", ".1.3.0", ".1.4.0", ".2.1.0", ".2.2.0", ".2.3.0", ".2.4.0",
                               ".4.1.0", ".4.2.0", ".4.3.0", ".6.0"}) {
        m_cCommonSNMP.AddVarBind(Obj(suffix), 4, nullptr);
    }
    // A refused read carries no values: nothing of it is read, as of an unanswered one.
    const ksx::SnmpReply reply = SendTraced(m_cCommonSNMP, "power-saving read");
    read.answered = reply.Accepted();
    if (!read.answered) {
        return read;
    }
    auto state = [&](int i) -> std::optional<std::string> {
        const std::optional<long long> v = reply.Integer(i);
        return v ? std::optional<std::string>(std::to_string(*v)) : std::nullopt;
    };

    // State and the two profiles of a function, from binding `first` on; `ports` is the port list
    // (nothing when it was not read).
    auto fill = [&](PowerSavingEntry& entry, int type, std::optional<std::string> ports, int first) {
        entry.type = type;
        const std::optional<std::string> st = state(first);
        const std::optional<std::string> p1 = reply.Octets(first + 1);
        const std::optional<std::string> p2 = reply.Octets(first + 2);
        entry.read = ports && st && p1 && p2;
        if (!entry.read) {
            return;  // shown and written as nothing of it
        }
        entry.portList = std::move(*ports);
        entry.state = *st;
        entry.profile1 = NoneToEmpty(*p1);
        entry.profile2 = NoneToEmpty(*p2);
    };
    auto bitmap = [&](int i) -> std::optional<std::string> {
        const std::optional<std::string> v = reply.Octets(i);
        return v ? std::optional<std::string>(BitmapText(*v)) : std::nullopt;
    };
    fill(read.entries[0], 1, bitmap(0), 1);                // LED shut-off
    fill(read.entries[1], 2, bitmap(4), 5);                // port shut-off
    fill(read.entries[2], 4, std::string("All Port"), 8);  // system hibernation

    const std::optional<std::string> link = state(11);
    read.flags.linkStatusDetection = link.value_or(std::string());
    read.flags.linkStatusRead = link.has_value();
    return read;
}

void CPowSavSettings::TakePowerSaving(const PowerSavingRead& read) {
    std::copy(std::begin(read.entries), std::end(read.entries), std::begin(m_aPowSavEntry));
    if (!read.answered) {
        m_flags.linkStatusRead = false;  // the values shown before stay; none is written back
        return;
    }
    m_flags = read.flags;
    if (m_hOwnerWnd != nullptr) {
        m_hOwnerWnd->SendMessage(WM_POWSAV_RESULT, POWSAV_FLAGS, 0);
        m_hOwnerWnd->SendMessage(WM_POWSAV_RESULT, POWSAV_ENTRIES, 0);
    }
}

std::optional<PowerSavingWrite> CPowSavSettings::CheckEntry(PowerSavingEntry entry) const {
    if (entry.profile1 == "None") {
        entry.profile1.clear();
    }
    if (entry.profile2 == "None") {
        entry.profile2.clear();
    }
    std::vector<int> flags(static_cast<size_t>(std::max(g_nPortNum, 0)), 0);
    if (!CUtils::ParsePortList(entry.portList, flags.data())) {
        return std::nullopt;
    }
    if (entry.type == 1 || entry.type == 3) {
        for (int p = 1; p <= g_nPortNum; ++p) {
            if (flags[static_cast<size_t>(p - 1)] != 0 && IsFibrePort(p)) {
                ksx::AfxMessageBox("Not support fiber Port.", ksx::MB_OK);
                return std::nullopt;
            }
        }
    }
    std::string hex;
    CUtils::PortArrayToHex(flags.data(), hex);
    CUtils::PadPortHex(hex);
    const std::vector<unsigned char> octets = CUtils::HexToBytes(hex);
    return PowerSavingWrite{std::move(entry), std::string(octets.begin(), octets.end())};
}

SnmpAnswer CPowSavSettings::SendEntry(const PowerSavingWrite& write) {
    const PowerSavingEntry& entry = write.entry;
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    auto addText = [this](const std::string& suffix, int type, const std::string& text) {
        m_cCommonSNMP.AddVarBind(Obj(suffix), type, text.c_str());
    };
    auto addBitmap = [&](const std::string& suffix) {
        m_cCommonSNMP.AddVarBind(Obj(suffix), 2, write.bitmap.data(), static_cast<int>(write.bitmap.size()));
    };
    const bool onlyState = entry.state == "2";
    switch (entry.type) {
        case 1:
        case 2: {
            // LED and port shut-off share their layout: state, ports, profiles.
            const std::string group = entry.type == 1 ? ".1" : ".2";
            addText(group + ".2.0", 1, entry.state);
            if (!onlyState) {
                addBitmap(group + ".1.0");
                addText(group + ".3.0", 2, entry.profile1);
                addText(group + ".4.0", 2, entry.profile2);
            }
            break;
        }
        case 3:
            addText(".3.2.0", 1, entry.state);
            if (!onlyState) {
                addText(".3.3.0", 2, entry.profile1);
                addText(".3.4.0", 2, entry.profile2);
                addBitmap(".3.1.0");
            }
            break;
        case 4:
            addText(".4.1.0", 1, entry.state);
            if (!onlyState) {
                addText(".4.2.0", 2, entry.profile1);
                addText(".4.3.0", 2, entry.profile2);
            }
            break;
        default:
            break;  // nothing to send: the send fails
    }
    return SendTraced(m_cCommonSNMP, "set").Answer();
}

SnmpAnswer CPowSavSettings::SendLinkStatus(const PowerSavingFlags& flags) {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(Obj(".6.0"), 1, flags.linkStatusDetection.c_str());
    return SendTraced(m_cCommonSNMP, "set").Answer();
}

bool CPowSavSettings::SetPowerSavingEntry(PowerSavingEntry entry) {
    const std::optional<PowerSavingWrite> write = CheckEntry(std::move(entry));
    return write && SendEntry(*write).Accepted();
}

bool CPowSavSettings::SetLinkStatusDetection(PowerSavingFlags flags) {
    return SendLinkStatus(flags).Accepted();
}

int CPowSavSettings::ReadProfileNames() {
    // The walk still running on the session ends before the names are emptied.
    m_namesRead.Close();
    m_profilesRead.Close();
    {
        std::lock_guard<std::mutex> guard(m_nameLock);
        m_aProfileName.clear();
    }
    const int walk = ++m_nNamesWalk;
    m_namesRead.Walk(OnProfileNameWalk, this);
    return walk;
}

int CPowSavSettings::OnProfileNameWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CPowSavSettings*>(userData)->m_namesRead.Step(response, requestId, status);
}

void CPowSavSettings::ReadTimeProfiles() {
    m_profilesOk = false;
    m_namesRead.Close();
    m_profilesRead.Walk(OnTimeProfileWalk, this);
}

int CPowSavSettings::OnTimeProfileWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CPowSavSettings*>(userData)->m_profilesRead.Step(response, requestId, status);
}

std::string CPowSavSettings::StatusColumn() {
    return Column(21);
}

ksx::StepOutcome CPowSavSettings::AddTimeProfileStep(int step, const TimeProfileRow& row,
                                                     ksx::StepRunner& runner, ksx::AddProgress& progress,
                                                     ksx::OtherRow& other) {
    const std::string statusOid = Column(21) + "." + row.index;
    const std::string what = "the time profile " + row.name;
    if (step == 0) {
        ksx::RowStatusAccess access = ksx::StatusAccessOn(m_cCommonSNMPSet, statusOid);
        access.progress = &progress;
        access.other = &other;
        access.stopping = [&runner] { return runner.Stopping(); };
        const ksx::RowAdded created = ksx::AddRow(access, "5");
        switch (created) {
            case ksx::RowAdded::kCreated:
                progress.Confirm();
                return ksx::StepOutcome::Done();
            case ksx::RowAdded::kStopped:
                return ksx::StepOutcome::Unanswered();  // said by the add's progress
            case ksx::RowAdded::kUnknown:
                return ksx::StepOutcome::Unanswered(ksx::RowAddedText(created, what));
            case ksx::RowAdded::kNotSent:
                return ksx::StepOutcome::NotSent(ksx::RowAddedText(created, what));
            default:
                return ksx::StepOutcome::Failed(ksx::RowAddedText(created, what));
        }
    }
    // Give the device a moment to set up the new row.
    if (!runner.Pause(kRowSettleMs)) {
        return ksx::StepOutcome::NothingSent();
    }
    progress.Enter(ksx::AddStage::kActivate);
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    auto add = [&](int column, int type, const std::string& value) {
        m_cCommonSNMPSet.AddVarBind(Column(column) + "." + row.index, type, value.c_str());
    };
    add(2, 2, row.name);
    add(3, 1, row.dateEnabled);
    if (row.dateEnabled == "1") {
        add(4, 1, row.from.year);
        add(5, 1, row.from.month);
        add(6, 1, row.from.day);
        add(9, 1, row.to.year);
        add(10, 1, row.to.month);
        add(11, 1, row.to.day);
    }
    add(7, 1, row.from.hour);
    add(8, 1, row.from.minute);
    add(12, 1, row.to.hour);
    add(13, 1, row.to.minute);
    for (int d = 0; d < 7; ++d) {
        add(14 + d, 1, row.days[d]);
    }
    add(21, 1, "1");
    const SnmpAnswer filled = SendTraced(m_cCommonSNMPSet, "set").Answer();
    if (filled.Accepted()) {
        progress.Confirm();
        return ksx::StepOutcome::Done();
    }
    if (runner.Stopping()) {
        return ksx::StepOutcome::Of(filled);  // a stop: its owner hands the row to row creation
    }
    // Leave no half-made row behind: it would hold its index and never become a profile. Row creation
    // removes the row this add made; what it sent, if anything, is said.
    TRACE("time profile %s not activated: removing the row", row.index.c_str());
    const SnmpAnswer removal =
        ksx::RemoveOwnRow(ksx::StatusAccessOn(m_cCommonSNMPSet, statusOid), progress.Owner());
    ksx::StepOutcome outcome = ksx::StepOutcome::Of(filled);
    outcome.failure = ksx::AnswerText(filled, {what}) + " " + ksx::AddUndoneText(filled, true, removal, what);
    return outcome;
}

SnmpAnswer CPowSavSettings::DeleteTimeProfile(const std::string& index) {
    return ksx::DeletePickedRow(ksx::StatusAccessOn(m_cCommonSNMPSet, Column(21) + "." + index));
}

void CPowSavSettings::CancelAll() {
    m_sessions.CloseAll();
}
