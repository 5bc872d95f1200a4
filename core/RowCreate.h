// Adding a table row in steps (create, columns, activation) so that, whatever step the add is stopped
// or fails at, nothing half-made blocks the next add, and a stopped add says what the device confirmed.
//
// A create request the device applied without answering in time, or an add stopped after its create,
// leaves a row that is not active: the lists show active rows only, so the user can neither see nor
// delete it, and a plain create of the same index is refused. AddRow therefore replaces such a row, but
// only one this module left half-made (HalfMadeRows keeps them, by status object): a row that is there
// but not active and not in that record (another manager's suspended account, an entry another manager
// is creating) is left as it is, and the add ends with kOccupied; the window asks the user (OtherRow)
// and, on Yes, runs the add again, which then replaces it. An active row is left alone. An add sends its
// create request, and before it one GET of the row's status.
//
// That read tells whether the index held a row just before the create (the list the user chose from may
// be minutes old; another manager may have made the row since). A create that got no answer, or a
// refusal that answered a resend (the layer sends a request again within its time-out, or after an
// SNMPv3 engine change, and a refusal may answer the copy that came after the first was applied), is
// this add's own row only when there was none before: the status is read again, and a create-and-go the
// device applied leaves an active row holding defaults the user never gave (an account without its
// password): it is finished (the `finish` hook writes the rest of its columns, and the entry is the
// user's) or, when that cannot be done, destroyed. A row that was there before, or when that is not known,
// is never finished nor removed: the add says what the device holds.
//
//   AddProgress m_progress;                                   // read by the UI thread at the end
//   step 0: m_progress.Enter(AddStage::kCreate);
//           access.progress = &m_progress;
//           const RowAdded r = AddRow(access, "5");
//           if (r != RowAdded::kCreated) return Failed(RowAddedText(r, "the user nurse"));
//           m_progress.Confirm();
//   step 1: m_progress.Enter(AddStage::kColumns); ...; m_progress.Confirm();
//   step 2: m_progress.Enter(AddStage::kActivate); ...; m_progress.Confirm();
//   stopped: Tell(StoppedAddText("the user nurse", m_progress));
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "core/CommonSNMP.h"

namespace ksx {

// Which status object the table has: RowStatus (1 active, 2 notInService, 3 notReady, 4 createAndGo,
// 5 createAndWait, 6 destroy) or the older EntryStatus (1 valid, 2 createRequest, 3 underCreation,
// 4 invalid, which deletes).
enum class StatusKind { kRowStatus, kEntryStatus };

class AddProgress;
class OtherRow;

// Whose is a row at the add's index, as row creation knows it from the status read before its create.
enum class RowOwner : int {
    kNotKnown = 0,  // that read went unanswered, or was never done: nothing is removed
    kThisAdd,       // the index held no row just before the create (or the create was accepted)
    kAnother,       // a row was there before the create: whatever the create did, it is not this add's
};

// The rows this module (this process) left half-made, by status object OID: created by an add that
// did not activate them, or taken out of service by an edit that did not put them back. Only these are
// removed or replaced without asking. Row creation alone writes the record, from what its own requests
// did: a row enters once its create (or out-of-service write) was sent, and leaves once it was removed,
// made active, or read gone or active. Any thread.
class HalfMadeRows {
public:
    static bool Holds(const std::string& row);
};

// The status object of one row, reached through the caller's own session (worker thread).
struct RowStatusAccess {
    StatusKind kind = StatusKind::kRowStatus;
    // One SET of the status object; true when the device answered and accepted it. Used when `send`
    // is not given: a false is then taken as a refusal.
    std::function<bool(const std::string& value)> set;
    // A GET of the status object; nothing when the row is absent or the read failed.
    std::function<std::optional<long long>()> read;
    // The same telling the two apart (preferred over `read`): `answered` false when the read failed.
    struct Status {
        bool answered = false;
        std::optional<long long> value;  // nothing: the device holds no such row
    };
    std::function<Status()> readStatus;
    // Optional: a stop was asked for; nothing further is sent then.
    std::function<bool()> stopping;
    // A row found not active by the read before the create is replaced before the create goes out (a
    // table whose devices refuse a create of an existing row without telling why); otherwise the create
    // goes first and its refusal leads to the replacement.
    bool readFirst = false;
    // One SET of the status object and the layer's account of it (preferred over `set`).
    std::function<SnmpAnswer(const std::string& value)> send;
    // Writes the rest of the row's columns, for a row a create-and-go nobody confirmed had made; true
    // when the device accepted every write. Without it such a row is destroyed.
    std::function<bool()> finish;
    // The status object's OID (StatusAccessOn sets it): the key of HalfMadeRows. Without it no row is
    // taken for one this module left half-made.
    std::string row;
    // Optional: where a row found not active and not left half-made by this module is told, and where
    // the user's Yes to replacing it comes from. Without it such a row is left as it is (kOccupied).
    OtherRow* other = nullptr;
    // Optional: the add's progress; the create's requests enter AddStage::kCreate (a create-and-go:
    // kActivate, it makes the row active), and a create the device answered with a refusal, or one sent
    // while a row of that index was there, is marked refused (a stop after it made nothing of this add:
    // nothing is removed for it).
    AddProgress* progress = nullptr;
};

enum class RowAdded {
    kCreated,   // the create (perhaps after replacing a row that was not active) was accepted
    kFinished,  // the create-and-go went unanswered but had made the row; `finish` wrote the rest: added
    kRemoved,   // the same, but the rest could not be written: the row it made was destroyed
    kLeft,      // the same, and the destroy was not accepted either: the row is left incomplete
    kRefused,   // the device refused the create (a resend's refusal too, when no row came of it); no row
                // of that index is active
    kNotSent,   // the create never went out (the send failed, the address did not resolve)
    kActive,    // refused (or unanswered while one was there before): an active row of that index is
                // there, another manager's, left alone
    kNotMade,   // the create went unanswered and the device holds no row of that index
    kUnknown,   // the create went unanswered and the status could not be read
    kStopped,   // a stop ended it; the progress (if given) says what the device confirmed
    kOccupied,  // a row not active is there that this module did not leave half-made: left as it is
                // (OtherRow says which and asks whether to replace it)
    kNotOwned,  // RemoveUnfinished: whose row is there is not known; nothing was sent
};

// Worker. Sends the create request `value` (createAndWait, createAndGo, createRequest) for the row,
// replacing a row of that index that is not active and looking after a create nobody answered, as
// described above.
RowAdded AddRow(const RowStatusAccess& access, const std::string& value);

// What an add says when AddRow did not give kCreated, `what` the entry as said ("the user nurse",
// "VLAN 30"). Every kind but kFinished and kStopped begins with `failed` (the dialog's own "Failed to
// add ...: " text) when one is given, for a refusal followed by "the device did not accept the create."
//   kFinished: "The device did not answer the create of the user nurse, but it had made it; the rest of
//               it is now written. The user nurse was added."
//   kRemoved:  "... did not answer the create of the user nurse, but it had made it; the rest of it could
//               not be written, so the row it made was removed."
//   kLeft:     "...; the rest of it could not be written, nor could the row it made be removed. Delete
//               the user nurse and add it again."
//   kNotSent:  "... the create of the user nurse was not written."
//   kNotMade:  "The device did not answer the create of the user nurse; it holds no such entry."
//   kUnknown:  "The device did not answer the create of the user nurse; whether it made it is not
//               known. If the user nurse is listed, delete it and add it again."
//   kActive:   "The device already holds the user nurse; it was left as it is."
//   kOccupied: "The device already holds the user nurse, not active; it was left as it is." (OtherRow
//               names its state)
std::string RowAddedText(RowAdded result, const std::string& what, const std::string& failed = "");

// Worker, for an add of a create-and-go row that was stopped after its create went out and before the
// rest of its columns were confirmed: the device may hold the row active with values the user did not
// give (an account without its password). Once the run has ended (on a session of its own, the dialog
// may be gone), a row this add made (`owner`, from the add's progress) is read and, when there,
// destroyed. kNotMade: the device holds no such row; kRemoved: destroyed; kLeft: the destroy was not
// accepted; kUnknown: the status could not be read; kNotOwned: whether the row is this add's is not known
// (nothing is sent); kActive: the row was there before the add (nothing is sent).
RowAdded RemoveUnfinished(const RowStatusAccess& access, RowOwner owner);
// What such a stopped add says once RemoveUnfinished ended, `what` the entry as said:
//   kNotMade:  "Stopped: the user nurse was not added."
//   kRemoved:  "Stopped: the user nurse was not added; what the device had made of it was removed."
//   kNotOwned: "Stopped: the device did not confirm whether the user nurse was added. Whether the device
//               held the user nurse before is not known, so it was left as it is: if the user nurse is
//               listed, check it."
//   kActive:   "Stopped: the user nurse was not added; the device already held it, and it was left as
//               it is."
//   others:    "Stopped: the device may hold the user nurse without all of what was given, and it could
//               not be removed. If the user nurse is listed, delete it and add it again."
std::string RemovedUnfinishedText(RowAdded result, const std::string& what);

// Worker, once a later write of an add (its columns, its activation) did not go as asked: the removal
// of the row the add made. One destroy, sent only for a row this add made (`owner`, from the add's
// progress); otherwise nothing is sent and the answer is kNotSent. An accepted destroy takes the row out
// of the record of half-made rows; any other answer leaves it there, as the device may still hold it.
// AddUndoneText says what the answer leaves.
SnmpAnswer RemoveOwnRow(const RowStatusAccess& access, RowOwner owner);

// Worker: the removal of a row not active that stands in the way of an add (a device that allows one row
// a port). One GET of its status, then its destroy only when this module left it half-made or the user
// agreed to remove it (`access.other`'s consent, as for AddRow); otherwise it is told to `access.other`
// and the window asks (AskReplace), running again on Yes. Nothing is sent but for kRemoved and kLeft.
//   kNotMade: no such row now; kRemoved: destroyed; kLeft: the destroy did not go as asked (its answer
//   is `access.send`'s); kUnknown: the status could not be read; kActive: the row is active now (left
//   as it is); kOccupied: another's, told; kStopped.
RowAdded RemoveInTheWay(const RowStatusAccess& access);
// What a RemoveInTheWay that left the row says, after `failed` ("Failed to clear ...: "):
//   kActive:  "the device holds entry 40, valid now; it was left as it is."
//   kUnknown: "the status of entry 40 could not be read; it was left as it is."
// Empty for the others: kLeft is said by the destroy's own answer (AnswerText), kOccupied by OtherRow.
std::string InTheWayText(RowAdded result, StatusKind kind, const std::string& what,
                         const std::string& failed);

// A user's Delete of a row they picked in a list (on the thread the access's session belongs to): its
// destroy, sent as the user's own (the SNMP layer checks who sends every destroy). An accepted one takes
// the row out of the record.
SnmpAnswer DeletePickedRow(const RowStatusAccess& access);

// Worker: an edit that takes its own active row out of service (notInService) and puts it back (active).
// The row enters the record of half-made rows once the out-of-service write was sent (a refusal that did
// not answer a resend left it active), and leaves it once a write making it active was accepted.
SnmpAnswer TakeOutOfService(const RowStatusAccess& access);
SnmpAnswer PutInService(const RowStatusAccess& access);

// The older form: kCreated (kFinished included: the row is there), kActive, or kRefused for the rest.
enum class RowCreated {
    kCreated,   // the create (perhaps after replacing a row that was not active) was accepted
    kRefused,   // refused, unanswered or stopped; no active row of that index was seen
    kActive,    // refused: an active row of that index is there
    kOccupied,  // a row not active is there that this module did not leave half-made: left as it is
};
RowCreated CreateRow(const RowStatusAccess& access, const std::string& value);

// A status as a text GET gave it (`read`: the GET succeeded); nothing unless the text is a number.
std::optional<long long> StatusFromText(bool read, const std::string& text);

// The status object `statusOid` reached through `session` (worker; the session is used for nothing
// else while the add lasts): its SET (`send`) and GET (`read`).
RowStatusAccess StatusAccessOn(CCommonSNMP& session, const std::string& statusOid, int timeoutMs = 0);

// The steps of an add, in order. A create-and-go that writes the whole row in one request is an
// activation: once the device applied it, the entry is added.
enum class AddStage : int { kNone = 0, kCreate, kColumns, kActivate };

// How far an add got: written by the run's worker, read by the UI thread once the run ended.
class AddProgress {
public:
    // UI thread, before the run starts.
    void Reset() {
        m_stage = 0;
        m_confirmed = false;
        m_refused = false;
        m_owner = 0;
        std::lock_guard<std::mutex> lock(m_rowLock);
        m_row.clear();
    }
    // Worker: the requests of `stage` are about to go out.
    void Enter(AddStage stage) {
        m_confirmed = false;
        m_refused = false;
        m_stage = static_cast<int>(stage);
    }
    // Worker: the device accepted every request of the stage entered last. An activation confirmed
    // leaves no half-made row.
    void Confirm();
    // Worker: the device refused the create: nothing of this add is on the device (until the create
    // is sent again, which enters the stage once more).
    void Refuse() { m_refused = true; }

    AddStage Stage() const { return static_cast<AddStage>(m_stage.load()); }
    bool Confirmed() const { return m_confirmed.load(); }
    bool Refused() const { return m_refused.load(); }
    // Whose row the create touched (row creation's record, set by AddRow).
    RowOwner Owner() const { return static_cast<RowOwner>(m_owner.load()); }
    // Worker (AddRow): the row's owner, and its status object.
    void Own(RowOwner owner, const std::string& row) {
        m_owner = static_cast<int>(owner);
        std::lock_guard<std::mutex> lock(m_rowLock);
        m_row = row;
    }

private:
    std::atomic<int> m_stage{0};
    std::atomic<bool> m_confirmed{false};
    std::atomic<bool> m_refused{false};
    std::atomic<int> m_owner{0};
    std::mutex m_rowLock;
    std::string m_row;  // under m_rowLock
};

// A row at an add's index, not active and not one this module left half-made: another manager's
// suspended account, an entry another manager is creating, a VLAN another instance has out of service.
// AddRow leaves it as it is and tells it here; once the run has ended the window asks the user
// (AskReplace) and, on Yes, runs the add again, which destroys that row and creates its own.
//
//   UI thread, as the add starts:   m_other.Begin();  access.other = &m_other;
//   UI thread, at the run's end:    if (m_other.Found()) { if (AskReplace(m_other, "the user nurse"))
//                                                              add again; return; }
class OtherRow {
public:
    // UI thread, before an add's run: a Yes given to the last question holds for this run only.
    void Begin();
    // Worker: the row `row` holds `status`.
    void Find(const std::string& row, StatusKind kind, long long status);
    // The user agreed to replace `row` (worker, during the run that follows the Yes).
    bool MayReplace(const std::string& row) const;
    // UI thread, once the run has ended: the add found such a row.
    bool Found() const;
    // "The device already holds the user nurse, not in service. Replace it?"
    std::string Question(const std::string& what) const;
    // "The device already holds the user nurse, not in service; it was left as it is."
    std::string LeftText(const std::string& what) const;
    // UI thread: the user said Yes; the next run may replace the row found.
    void Consent();

private:
    std::string State() const;
    mutable std::mutex m_lock;
    bool m_found = false;
    std::string m_row;
    StatusKind m_kind = StatusKind::kRowStatus;
    long long m_status = 0;
    std::string m_consent;     // the row the user agreed to replace, kept for the next run
    std::string m_mayReplace;  // this run's
};

// UI thread: asks the question of `other` (Yes/No). Yes: true, and the next run may replace it (the
// caller starts the add again). No: says the row was left as it is, and false.
bool AskReplace(OtherRow& other, const std::string& what);

// What a stopped add of `what` says, the entry as said ("the user", "VLAN 30", "the RMON alarm 3"),
// from what the device confirmed (`verb`: "added", "created"):
//   nothing sent, or the create refused:  "Stopped: the user was not added."
//   create unconfirmed:         "Stopped: the device did not confirm whether a row for the user was
//                                created; the user is not active. Adding it again replaces that row."
//   created, not activated:     "Stopped: a row for the user was created on the device but not
//                                activated. Adding the user again replaces it."
//   activation unconfirmed:     "Stopped: the device did not confirm whether the user was added. If it
//                                is not listed, add it again."
//   activation confirmed:       "Stopped: the user was added."
// A row of `what` that is not active: `created` false when the device did not confirm its create.
// `again` is how the user makes it anew ("Adding it", "Applying the host"):
//   "the device did not confirm whether a row for the user was created; the user is not active. Adding it
//    again replaces that row."
//   "a row for the user was created on the device but not activated. Adding it again replaces it."
std::string HalfMadeRowText(const std::string& what, bool created, const std::string& again);

std::string StoppedAddText(const std::string& what, const AddProgress& progress,
                           const std::string& verb = "added");

}  // namespace ksx
