// The agent dialogs' sequences of writes, run off the window's thread (controls/StepRun.h): adding a
// row (create-and-wait, its columns, active), deleting one, and any other run of requests a dialog
// makes through its CSNMPConfig. What a step writes is taken from the dialog's fields on the UI
// thread before the run starts; the steps use only those copies and the CSNMPConfig's sessions.
// While a run lasts the window takes events and, after a second, shows which step is under way;
// when the dialog ends during a run, the request in flight is cancelled, nothing further is sent and
// a message says what was and was not done.
//
//   CSNMPWriteRun m_writes{*this, m_config};  // a member, after the CSNMPConfig
//   m_writes.Create(statusOid, "view",
//                   [=, this] { return m_config.SetView(...) ? StepsName{} : StepsName{"the mask"}; },
//                   [this](bool added) { ... });
#pragma once

#include <functional>
#include <string>

#include "controls/StepRun.h"
#include "core/RowCreate.h"
#include "core/RunText.h"
#include "features/snmp_agent/SNMPConfig.h"

namespace ksx {
class CDialog;
}

class CSNMPWriteRun {
public:
    // Worker: writes a new row's columns; empty when every request was accepted, else the writes of the
    // request that was not ("the group name"), whose answer the CSNMPConfig keeps (LastAnswer).
    using Columns = std::function<ksx::StepsName()>;

    CSNMPWriteRun(ksx::CDialog& dlg, CSNMPConfig& config);
    CSNMPWriteRun(const CSNMPWriteRun&) = delete;
    CSNMPWriteRun& operator=(const CSNMPWriteRun&) = delete;

    // UI thread. Adds a row in three steps: `statusOid` set to create-and-wait, the columns, then
    // active. A refused step is told ("Failed to add the <what>: ..."), and a row created before it
    // is destroyed again so that no hidden row blocks another try; a row this module left not active
    // is replaced (ksx::AddRow), another one only on the user's Yes. A stop says what the
    // device confirmed (ksx::StoppedAddText). `settleMs`: a pause after the
    // activation, for a device that needs it before the row reads back. `after` (UI thread) gets
    // whether the row was added, unless the dialog has ended meanwhile.
    void Create(const std::string& statusOid, const std::string& what, Columns columns,
                std::function<void(bool added)> after, unsigned settleMs = 0);
    // UI thread. Destroys a row; a refusal is told. `after` runs as for Create.
    void Delete(const std::string& statusOid, const std::string& what, std::function<void()> after);
    // UI thread. Any other run on the CSNMPConfig's write sessions (see CStepRun::Start); steps that
    // make several requests look at Stopping() between them.
    void Start(int count, ksx::StepRunner::Step step, CStepRun::Text text, CStepRun::End onEnd);

    bool Running() const { return m_run.Running(); }
    // Any thread: the dialog is ending the run.
    bool Stopping() const { return m_runner.Stopping(); }
    const CStepRun& Run() const { return m_run; }

    // What a stopped delete says (a stopped add: ksx::StoppedAddText).
    static std::string StoppedDeleteText(const ksx::StepsEnd& end, const std::string& what);

private:
    ksx::CDialog& m_dlg;
    CSNMPConfig& m_config;
    CStepRun m_run;
    ksx::StepRunner& m_runner;
    ksx::AddProgress m_progress;  // of the add under way
    ksx::OtherRow m_other;        // a row of its index not active that this module did not leave
};
