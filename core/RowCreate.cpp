// Row creation that replaces a half-made row and looks after a create nobody answered, and the texts of
// an add that did not go as asked.
#include "core/RowCreate.h"

#include <set>

#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "platform/snmplib/Tripwire.h"
#include "platform/sys/MessageBox.h"

namespace ksx {

namespace {

std::mutex g_halfMadeLock;
std::set<std::string> g_halfMade;  // under g_halfMadeLock

// Row creation's own: a row this module leaves not active enters the record.
void NoteHalfMade(const std::string& row) {
    if (!row.empty()) {
        std::lock_guard<std::mutex> lock(g_halfMadeLock);
        g_halfMade.insert(row);
    }
}

void ForgetHalfMade(const std::string& row) {
    std::lock_guard<std::mutex> lock(g_halfMadeLock);
    g_halfMade.erase(row);
}

SnmpAnswer SendStatus(const RowStatusAccess& a, const std::string& v) {
    const tripwire::DestroyScope scope(tripwire::DestroyBy::kRowCreation);
    if (a.send) {
        return a.send(v);
    }
    SnmpAnswer answer;
    answer.outcome = a.set && a.set(v) ? SnmpOutcome::kAccepted : SnmpOutcome::kRefused;
    return answer;
}

RowStatusAccess::Status ReadStatus(const RowStatusAccess& a) {
    if (a.readStatus) {
        return a.readStatus();
    }
    if (!a.read) {
        return {};
    }
    // The older hook cannot tell an absent row from a failed read: either is "not known".
    const std::optional<long long> v = a.read();
    return {v.has_value(), v};
}

const char* DestroyValue(const RowStatusAccess& a) {
    return a.kind == StatusKind::kEntryStatus ? "4" : "6";
}

class Adder {
public:
    Adder(const RowStatusAccess& access, const std::string& value) : a(access), create(value) {}

    RowAdded Run() {
        if (a.read || a.readStatus) {
            const RowStatusAccess::Status before = Read();
            if (Stopping()) {
                if (a.progress) {
                    a.progress->Refuse();  // stopped before its create: nothing of this add was written
                }
                return RowAdded::kStopped;
            }
            // Only a row that was not there before can be this add's own.
            owned = before.answered && !before.value;
            there = before.value.has_value();
            Own(owned ? RowOwner::kThisAdd : there ? RowOwner::kAnother : RowOwner::kNotKnown);
            if (before.value && *before.value != 1 && !MayReplace(*before.value)) {
                return Occupied();
            }
            if (before.value == 1) {
                // The create still goes: the device says whether it takes it. Whatever becomes of it, the
                // row there is another's and is left as it is.
                const SnmpAnswer answer = SendCreate();
                return answer.Accepted()  ? RowAdded::kCreated
                       : Stopping()       ? RowAdded::kStopped
                       : answer.NotSent() ? RowAdded::kNotSent
                                          : RowAdded::kActive;
            }
            if (before.value && a.readFirst) {
                return Replace();
            }
        } else if (Stopping()) {
            return RowAdded::kStopped;
        }
        return Create(true);
    }

private:
    bool Stopping() const { return a.stopping && a.stopping(); }

    void Own(RowOwner owner) const {
        if (a.progress) {
            a.progress->Own(owner, a.row);
        }
    }

    // A row found not active may be replaced: this module left it half-made, or the user said Yes.
    // Otherwise it is told (`status`) for the question.
    bool MayReplace(long long status) const {
        if ((!a.row.empty() && HalfMadeRows::Holds(a.row)) || (a.other && a.other->MayReplace(a.row))) {
            return true;
        }
        if (a.other) {
            a.other->Find(a.row, a.kind, status);
        }
        return false;
    }

    RowAdded Occupied() const {
        if (a.progress) {
            a.progress->Refuse();  // nothing of this add was written, nor will be
        }
        Own(RowOwner::kAnother);
        return RowAdded::kOccupied;
    }

    // The create makes a row that is not active (create-and-wait, createRequest): until the add
    // activates it, it is a row this module leaves half-made.
    bool MakesInactiveRow() const { return !(a.kind == StatusKind::kRowStatus && create == "4"); }

    SnmpAnswer Send(const std::string& v) const { return SendStatus(a, v); }
    // The row's status; a row found gone or active is no longer a half-made one.
    RowStatusAccess::Status Read() const {
        const RowStatusAccess::Status status = ReadStatus(a);
        if (status.answered && (!status.value || status.value == 1)) {
            ForgetHalfMade(a.row);
        }
        return status;
    }

    SnmpAnswer SendCreate() {
        if (a.progress) {
            // A create-and-go makes the row active at once: it is the add's activation.
            a.progress->Enter(a.kind == StatusKind::kRowStatus && create == "4" ? AddStage::kActivate
                                                                                : AddStage::kCreate);
        }
        const SnmpAnswer answer = Send(create);
        if (answer.Accepted() && !there && !owned) {
            owned = true;  // the device made the row on this create: the index held none
            Own(RowOwner::kThisAdd);
        }
        if (owned && MakesInactiveRow() && !answer.NotSent() && !(answer.Refused() && !answer.resent)) {
            NoteHalfMade(a.row);
        }
        // Nothing of this add is on the device: the create never went out, was refused, or found a row
        // there already, which a create does not make.
        if (a.progress && (answer.NotSent() || (answer.Refused() && !(answer.resent && !there)) ||
                           (there && !answer.Accepted()))) {
            a.progress->Refuse();
        }
        return answer;
    }

    const char* Destroy() const { return DestroyValue(a); }

    // Sends the create; `mayReplace`: a row found there not active may be destroyed and the create
    // sent once more.
    RowAdded Create(bool mayReplace) {
        const SnmpAnswer answer = SendCreate();
        switch (answer.outcome) {
            case SnmpOutcome::kAccepted:
                return RowAdded::kCreated;
            case SnmpOutcome::kNotSent:
                return Stopping() ? RowAdded::kStopped : RowAdded::kNotSent;
            case SnmpOutcome::kRefused:
                if (!answer.resent || there) {
                    return AfterRefusal(mayReplace);
                }
                break;  // it may answer a resend while the first copy made the row: read as unanswered
            case SnmpOutcome::kUnanswered:
                break;
        }
        return owned ? AfterUnanswered(mayReplace, answer.Refused()) : AfterRefusal(mayReplace, true);
    }

    // Refused (or, `unanswered`, a create that may have been applied to a row that was there before or
    // of which that is not known): a row of this index may be there already. Not this add's own.
    RowAdded AfterRefusal(bool mayReplace, bool unanswered = false) {
        if (Stopping()) {
            return RowAdded::kStopped;
        }
        if (!a.read && !a.readStatus) {
            return unanswered ? RowAdded::kUnknown : RowAdded::kRefused;
        }
        const RowStatusAccess::Status status = Read();
        if (Stopping()) {
            return RowAdded::kStopped;
        }
        if (!status.answered) {
            return unanswered ? RowAdded::kUnknown : RowAdded::kRefused;
        }
        if (!status.value) {
            return unanswered ? RowAdded::kNotMade : RowAdded::kRefused;
        }
        if (*status.value == 1) {
            return unanswered ? RowAdded::kUnknown : RowAdded::kActive;  // another manager's, or not known
        }
        if (!mayReplace || (unanswered && !there)) {
            // Unanswered where whether the index held a row before is not known: what is there may be
            // this add's own row. It is neither replaced nor taken for another's: the add says so.
            return unanswered ? RowAdded::kUnknown : RowAdded::kRefused;
        }
        if (!MayReplace(*status.value)) {
            return unanswered ? RowAdded::kUnknown : Occupied();
        }
        return Replace();
    }

    // Unanswered (or, `refused`, refused after a resend), with no row there before: the device may have
    // applied it. Only its status tells.
    RowAdded AfterUnanswered(bool mayReplace, bool refused) {
        if (Stopping()) {
            return RowAdded::kStopped;
        }
        const RowStatusAccess::Status status = Read();
        if (Stopping()) {
            return RowAdded::kStopped;
        }
        if (!status.answered) {
            return RowAdded::kUnknown;
        }
        if (!status.value) {
            return refused ? RowAdded::kRefused : RowAdded::kNotMade;  // a refusal that made nothing
        }
        if (*status.value != 1) {
            // Not active: this create's row, or one left before that made the device drop it. Either
            // way it goes and the create is sent once more.
            return mayReplace ? Replace() : RowAdded::kUnknown;
        }
        if (a.kind != StatusKind::kRowStatus || create != "4") {
            return RowAdded::kActive;  // a create that makes no active row: another manager's
        }
        // Active after a create-and-go nobody confirmed: the device made it with whatever defaults it
        // has. It becomes the user's entry or goes.
        if (a.finish && a.finish()) {
            return RowAdded::kFinished;
        }
        if (Stopping()) {
            return RowAdded::kStopped;
        }
        return Send(Destroy()).Accepted() ? RowAdded::kRemoved : RowAdded::kLeft;
    }

    // A row there but not active is one nobody finished: it goes, and the create is sent again. The
    // row the create then makes is this add's own.
    RowAdded Replace() {
        if (Stopping()) {
            return RowAdded::kStopped;
        }
        if (!Send(Destroy()).Accepted()) {
            return Stopping() ? RowAdded::kStopped : RowAdded::kRefused;
        }
        ForgetHalfMade(a.row);
        if (Stopping()) {
            return RowAdded::kStopped;
        }
        owned = true;
        there = false;
        Own(RowOwner::kThisAdd);
        return Create(false);
    }

    const RowStatusAccess& a;
    const std::string create;
    bool owned = false;  // the index held no row just before the create: what the create made is ours
    bool there = false;  // the index held a row just before the create: whatever the create did, not ours
};

}  // namespace

RowAdded AddRow(const RowStatusAccess& access, const std::string& value) {
    return Adder(access, value).Run();
}

bool HalfMadeRows::Holds(const std::string& row) {
    std::lock_guard<std::mutex> lock(g_halfMadeLock);
    return g_halfMade.count(row) != 0;
}

void AddProgress::Confirm() {
    m_confirmed = true;
    if (Stage() == AddStage::kActivate) {
        std::lock_guard<std::mutex> lock(m_rowLock);
        ForgetHalfMade(m_row);
    }
}

void OtherRow::Begin() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_found = false;
    m_mayReplace = std::move(m_consent);
    m_consent.clear();
}

void OtherRow::Find(const std::string& row, StatusKind kind, long long status) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_found = true;
    m_row = row;
    m_kind = kind;
    m_status = status;
}

bool OtherRow::MayReplace(const std::string& row) const {
    std::lock_guard<std::mutex> lock(m_lock);
    return !row.empty() && m_mayReplace == row;
}

bool OtherRow::Found() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_found;
}

void OtherRow::Consent() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_consent = m_row;
}

std::string OtherRow::State() const {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_kind == StatusKind::kEntryStatus) {
        return m_status == 2 || m_status == 3 ? "being created" : "not valid";
    }
    return m_status == 2 ? "not in service" : m_status == 3 ? "not ready" : "not active";
}

std::string OtherRow::Question(const std::string& what) const {
    return "The device already holds " + what + ", " + State() + ". Replace it?";
}

std::string OtherRow::LeftText(const std::string& what) const {
    return "The device already holds " + what + ", " + State() + "; it was left as it is.";
}

bool AskReplace(OtherRow& other, const std::string& what) {
    if (AfxMessageBox(other.Question(what), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES) {
        other.Consent();
        return true;
    }
    AfxMessageBox(other.LeftText(what), MB_OK);
    return false;
}

RowAdded RemoveUnfinished(const RowStatusAccess& access, RowOwner owner) {
    if (owner != RowOwner::kThisAdd) {
        return owner == RowOwner::kAnother ? RowAdded::kActive : RowAdded::kNotOwned;
    }
    const RowStatusAccess::Status status = ReadStatus(access);
    if (!status.answered) {
        return RowAdded::kUnknown;
    }
    if (!status.value) {
        ForgetHalfMade(access.row);
        return RowAdded::kNotMade;
    }
    if (!SendStatus(access, DestroyValue(access)).Accepted()) {
        return RowAdded::kLeft;
    }
    ForgetHalfMade(access.row);
    return RowAdded::kRemoved;
}

SnmpAnswer RemoveOwnRow(const RowStatusAccess& access, RowOwner owner) {
    if (owner != RowOwner::kThisAdd) {
        return SnmpAnswer{SnmpOutcome::kNotSent};
    }
    const SnmpAnswer answer = SendStatus(access, DestroyValue(access));
    if (answer.Accepted()) {
        ForgetHalfMade(access.row);
    }
    return answer;
}

RowAdded RemoveInTheWay(const RowStatusAccess& access) {
    const auto stopping = [&access] { return access.stopping && access.stopping(); };
    if (stopping()) {
        return RowAdded::kStopped;
    }
    const RowStatusAccess::Status status = ReadStatus(access);
    if (!status.answered) {
        return stopping() ? RowAdded::kStopped : RowAdded::kUnknown;
    }
    if (!status.value || *status.value == 1) {
        ForgetHalfMade(access.row);  // gone, or made active since
        return status.value ? RowAdded::kActive : RowAdded::kNotMade;
    }
    const bool ours = !access.row.empty() && HalfMadeRows::Holds(access.row);
    if (!ours && !(access.other && access.other->MayReplace(access.row))) {
        if (access.other) {
            access.other->Find(access.row, access.kind, *status.value);
        }
        return RowAdded::kOccupied;
    }
    if (stopping()) {
        return RowAdded::kStopped;
    }
    if (!SendStatus(access, DestroyValue(access)).Accepted()) {
        return RowAdded::kLeft;
    }
    ForgetHalfMade(access.row);
    return RowAdded::kRemoved;
}

std::string InTheWayText(RowAdded result, StatusKind kind, const std::string& what,
                         const std::string& failed) {
    std::string text;
    if (result == RowAdded::kActive) {
        text = "the device holds " + what + ", " + (kind == StatusKind::kEntryStatus ? "valid" : "active") +
               " now; it was left as it is.";
    } else if (result == RowAdded::kUnknown) {
        text = "the status of " + what + " could not be read; it was left as it is.";
    } else {
        return "";
    }
    return failed.empty() ? Capitalised(text) : failed + text;
}

SnmpAnswer DeletePickedRow(const RowStatusAccess& access) {
    const tripwire::DestroyScope scope(tripwire::DestroyBy::kUserDelete);
    SnmpAnswer answer;
    if (access.send) {
        answer = access.send(DestroyValue(access));
    } else {
        answer.outcome =
            access.set && access.set(DestroyValue(access)) ? SnmpOutcome::kAccepted : SnmpOutcome::kRefused;
    }
    if (answer.Accepted()) {
        ForgetHalfMade(access.row);
    }
    return answer;
}

SnmpAnswer TakeOutOfService(const RowStatusAccess& access) {
    const SnmpAnswer answer = SendStatus(access, "2");
    if (!answer.NotSent() && !(answer.Refused() && !answer.resent)) {
        NoteHalfMade(access.row);  // out of service by this module until it is active again
    }
    return answer;
}

SnmpAnswer PutInService(const RowStatusAccess& access) {
    const SnmpAnswer answer = SendStatus(access, "1");
    if (answer.Accepted()) {
        ForgetHalfMade(access.row);
    }
    return answer;
}

std::string RemovedUnfinishedText(RowAdded result, const std::string& what) {
    switch (result) {
        case RowAdded::kNotMade:
            return "Stopped: " + what + " was not added.";
        case RowAdded::kRemoved:
            return "Stopped: " + what + " was not added; what the device had made of it was removed.";
        case RowAdded::kNotOwned:
            return "Stopped: the device did not confirm whether " + what +
                   " was added. Whether the device held " + what +
                   " before is not known, so it was left as it is: if " + what + " is listed, check it.";
        case RowAdded::kActive:
            return "Stopped: " + what +
                   " was not added; the device already held it, and it was left as it is.";
        default:
            return "Stopped: the device may hold " + what +
                   " without all of what was given, and it could not be removed. If " + what +
                   " is listed, delete it and add it again.";
    }
}

RowCreated CreateRow(const RowStatusAccess& access, const std::string& value) {
    switch (AddRow(access, value)) {
        case RowAdded::kCreated:
        case RowAdded::kFinished:
            return RowCreated::kCreated;
        case RowAdded::kActive:
            return RowCreated::kActive;
        case RowAdded::kOccupied:
            return RowCreated::kOccupied;
        default:
            return RowCreated::kRefused;
    }
}

RowStatusAccess StatusAccessOn(CCommonSNMP& session, const std::string& statusOid, int timeoutMs) {
    RowStatusAccess access;
    access.row = statusOid;
    access.send = [&session, statusOid, timeoutMs](const std::string& value) {
        session.Open(CCommonSNMP::REQUEST_SET);
        session.AddVarBind(statusOid, 1, value.c_str());
        return SendRequest(session, timeoutMs).Answer();
    };
    access.set = [send = access.send](const std::string& value) { return send(value).Accepted(); };
    access.readStatus = [&session, statusOid, timeoutMs] {
        session.Open(CCommonSNMP::REQUEST_GET);
        session.AddVarBind(statusOid, 4, nullptr);
        const SnmpReply reply = SendRequest(session, timeoutMs);
        RowStatusAccess::Status status;
        // An answer without the row (noSuchInstance, noSuchName: error status 2) is an answered read
        // of no row; any other error, or a reply without a status to read, tells nothing.
        status.value = reply.Integer(0);
        status.answered = status.value.has_value() || reply.ErrorStatus() == 2;
        return status;
    };
    access.read = [read = access.readStatus] { return read().value; };
    return access;
}

std::optional<long long> StatusFromText(bool read, const std::string& text) {
    if (!read || text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    long long v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        v = v * 10 + (c - '0');
    }
    return v;
}

std::string RowAddedText(RowAdded result, const std::string& what, const std::string& failed) {
    const std::string unanswered = "the device did not answer the create of " + what;
    const std::string made = unanswered + ", but it had made it; the rest of it ";
    std::string text;
    switch (result) {
        case RowAdded::kCreated:
        case RowAdded::kStopped:
            return "";
        case RowAdded::kFinished:
            return Capitalised(made + "is now written. " + Capitalised(what) + " was added.");
        case RowAdded::kRemoved:
            text = made + "could not be written, so the row it made was removed.";
            break;
        case RowAdded::kLeft:
            text = made + "could not be written, nor could the row it made be removed. Delete " + what +
                   " and add it again.";
            break;
        case RowAdded::kRefused:
            text = "the device did not accept the create.";
            break;
        case RowAdded::kNotSent:
            text = "the create of " + what + " was not written.";
            break;
        case RowAdded::kActive:
            text = "the device already holds " + what + "; it was left as it is.";
            break;
        case RowAdded::kOccupied:
            text = "the device already holds " + what + ", not active; it was left as it is.";
            break;
        case RowAdded::kNotOwned:
            text = "the device did not confirm whether " + what + " was added; it was left as it is.";
            break;
        case RowAdded::kNotMade:
            text = unanswered + "; it holds no such entry.";
            break;
        case RowAdded::kUnknown:
            text = unanswered + "; whether it made it is not known. If " + what +
                   " is listed, delete it and add it again.";
            break;
    }
    return failed.empty() ? Capitalised(text) : failed + text;
}

std::string HalfMadeRowText(const std::string& what, bool created, const std::string& again) {
    if (!created) {
        return "the device did not confirm whether a row for " + what + " was created; " + what +
               " is not active. " + again + " again replaces that row.";
    }
    return "a row for " + what + " was created on the device but not activated. " + again +
           " again replaces it.";
}

std::string StoppedAddText(const std::string& what, const AddProgress& progress, const std::string& verb) {
    if (progress.Refused()) {
        // The device answered the create with a refusal: nothing of this add is there.
        return "Stopped: " + what + " was not " + verb + ".";
    }
    switch (progress.Stage()) {
        case AddStage::kNone:
            break;
        case AddStage::kCreate:
            if (!progress.Confirmed()) {
                return "Stopped: " + HalfMadeRowText(what, false, "Adding it");
            }
            [[fallthrough]];
        case AddStage::kColumns:
            return "Stopped: " + HalfMadeRowText(what, true, "Adding " + what);
        case AddStage::kActivate:
            if (progress.Confirmed()) {
                return "Stopped: " + what + " was " + verb + ".";
            }
            return "Stopped: the device did not confirm whether " + what + " was " + verb +
                   ". If it is not listed, add it again.";
    }
    return "Stopped: " + what + " was not " + verb + ".";
}

}  // namespace ksx
