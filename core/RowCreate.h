// Adding a table row in steps (create, columns, activation) so that, whatever step the add is stopped
// or fails at, nothing half-made blocks the next add, and a stopped add says what the device confirmed.
//
// A create request the device applied without answering in time, or an add stopped after its create,
// leaves a row that is not active: the lists show active rows only, so the user can neither see nor
// delete it, and a plain create of the same index is refused. CreateRow therefore replaces such a row:
// when the device refuses the create, the row's status is read; a row that is there but not active
// (left by a stopped add, or by another manager) is destroyed and the create sent once more. An active
// row is left alone. A normal add sends exactly its create request.
//
//   AddProgress m_progress;                                   // read by the UI thread at the end
//   step 0: m_progress.Enter(AddStage::kCreate);
//           if (CreateRow(access, "5") != RowCreated::kCreated) return Failed(...);
//           m_progress.Confirm();
//   step 1: m_progress.Enter(AddStage::kColumns); ...; m_progress.Confirm();
//   step 2: m_progress.Enter(AddStage::kActivate); ...; m_progress.Confirm();
//   stopped: Tell(StoppedAddText("user", m_progress));
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>

namespace ksx {

// Which status object the table has: RowStatus (1 active, 2 notInService, 3 notReady, 4 createAndGo,
// 5 createAndWait, 6 destroy) or the older EntryStatus (1 valid, 2 createRequest, 3 underCreation,
// 4 invalid, which deletes).
enum class StatusKind { kRowStatus, kEntryStatus };

// The status object of one row, reached through the caller's own session (worker thread).
struct RowStatusAccess {
    StatusKind kind = StatusKind::kRowStatus;
    // One SET of the status object; true when the device answered and accepted it.
    std::function<bool(const std::string& value)> set;
    // A GET of the status object; nothing when the row is absent or the read failed.
    std::function<std::optional<long long>()> read;
    // Optional: a stop was asked for; nothing further is sent then.
    std::function<bool()> stopping;
    // Read the status before the create (a table whose devices refuse a create of an existing row
    // without telling why): a row that is not active is replaced before the create goes out.
    bool readFirst = false;
};

enum class RowCreated {
    kCreated,  // the create (perhaps after replacing a row that was not active) was accepted
    kRefused,  // refused, unanswered or stopped; no active row of that index was seen
    kActive,   // refused: an active row of that index is there
};

// Worker. Sends the create request `value` (createAndWait, createAndGo, createRequest) for the row,
// replacing a row of that index that is not active as described above.
RowCreated CreateRow(const RowStatusAccess& access, const std::string& value);

// A status as a text GET gave it (`read`: the GET succeeded); nothing unless the text is a number.
std::optional<long long> StatusFromText(bool read, const std::string& text);

// The create through a feature logic class (CModuleBase and the classes built on it): its
// SetRowStatus for the writes, its GetValue for the status read.
template <class Logic>
RowCreated CreateRowOf(Logic& logic, const std::string& statusOid, const std::string& value) {
    RowStatusAccess access;
    access.set = [&](const std::string& v) { return logic.SetRowStatus(statusOid, v); };
    access.read = [&] {
        std::string text;
        const bool read = logic.GetValue(statusOid, text);
        return StatusFromText(read, text);
    };
    return CreateRow(access, value);
}

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
    }
    // Worker: the requests of `stage` are about to go out.
    void Enter(AddStage stage) {
        m_confirmed = false;
        m_stage = static_cast<int>(stage);
    }
    // Worker: the device accepted every request of the stage entered last.
    void Confirm() { m_confirmed = true; }

    AddStage Stage() const { return static_cast<AddStage>(m_stage.load()); }
    bool Confirmed() const { return m_confirmed.load(); }

private:
    std::atomic<int> m_stage{0};
    std::atomic<bool> m_confirmed{false};
};

// What a stopped add of "the <what>" says, from what the device confirmed (`verb`: "added",
// "created"):
//   nothing sent:               "Stopped: the user was not added."
//   create unconfirmed:         "Stopped: the device did not confirm whether a row for the user was
//                                created; the user is not active. Adding it again replaces that row."
//   created, not activated:     "Stopped: a row for the user was created on the device but not
//                                activated. Adding the user again replaces it."
//   activation unconfirmed:     "Stopped: the device did not confirm whether the user was added. If it
//                                is not listed, add it again."
//   activation confirmed:       "Stopped: the user was added."
std::string StoppedAddText(const std::string& what, const AddProgress& progress,
                           const std::string& verb = "added");

}  // namespace ksx
