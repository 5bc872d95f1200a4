// What the two bridge dialogs ("STP Configuration" over the enterprise objects and "Bridge Config" over
// the bridge MIB) share: the read of the bridge values, the sessions, the values last read, the timers
// shown, and the end of the bridge write.
#pragma once

#include <QString>
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "controls/StepRun.h"
#include "core/CommonSNMP.h"
#include "core/TableRead.h"
#include "features/common/AfterCloseRun.h"
#include "features/layer2/PrivateSpanTCommon.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/Dialog.h"

template <class Values>
class CPrivateSpanTBridgeBase : public ksx::CDialog {
public:
    // What the timers' put-back after Close writes, as both bridge dialogs know it: Apply waits for it,
    // and the values are read again once it has ended.
    static constexpr char kTimersPutBack[] = "bridge timers";

    // Starts the read of the bridge values; the form follows when the reply has all of them.
    void ReadBridgeValues() { m_bridgeRead.Read(OnBridgeValuesReply, this); }
    // The state as last read or written: "1", "0", or "" before the first read.
    const std::string& RememberedState() const { return m_strState; }
    // The write runs (see WriteBridge) and its progress line.
    bool Writing() const { return m_run.Running(); }
    const CStepRun& Run() const { return m_run; }

    int DestroyWindow() override {
        ksx::DebugOut("==================DestroyWindow===============");
        return CDialog::DestroyWindow();
    }

protected:
    CPrivateSpanTBridgeBase(int idd, QWidget* parent, std::vector<std::string> oids,
                            typename ksx::TableRead<Values>::Parse parse)
        : CDialog(idd, parent), m_bridgeRead(m_cCommonSNMP, std::move(oids), parse) {
        OwnReader(m_bridgeRead);
        OwnSession(m_cCommonSNMP);
        OwnSession(m_cCommonSNMPSet);
        OwnSession(m_cCommonSNMPSet0);
        m_bridgeRead.onRow = [this](const Values& v) { ShowBridgeValues(v); };
        // A read that failed (no answer, a value missing or of another type) shows nothing and says so.
        m_bridgeRead.onEnd = [this](const ksx::WalkEnd& end) {
            if (!end.Ok() && !end.stale) {
                ksx::AfxMessageBox("Failed to read the spanning tree settings.");
            }
        };
        ksx::ui::OnAfterCloseRunEnd(this, kTimersPutBack, [this] {
            if (isVisible()) {
                ReadBridgeValues();
            }
        });
    }

    virtual void ShowBridgeValues(const Values& v) = 0;

    // Remembers a read that reached the form; Apply may write it back from now on.
    void TakeRead(const Values& v) {
        m_read = v;
        m_bReadOk = true;
        EnableDlgItem(ksx::IDOK, !TimersPutBack());
    }

    // Enables or disables the controls the state check box governs.
    template <std::size_t N>
    void EnableControls(const int (&ids)[N], bool enable) {
        for (int id : ids) {
            EnableDlgItem(id, enable);
        }
    }

    // Puts the remembered timers and priority into their edits.
    void ShowTimers(int maxAgeId, int forwardDelayId, int helloId, int priorityCopyId) {
        SetDlgItemInt(maxAgeId, m_nMaxAge);
        SetDlgItemInt(forwardDelayId, m_nForwardDelay);
        SetDlgItemInt(helloId, m_nHello);
        SetDlgItemInt(priorityCopyId, m_nPriority);
    }

    // Fills in the sessions and the timers read before and starts the write off the window's thread, one
    // request a step; Apply, Refresh and Port Setting wait for its end. Port Setting becomes available once
    // state "1" was written; `offDisablesPorts` makes it unavailable when only state "2" was written. Then
    // the outcome is said and the values are read again, unless only the state was written. Closed during
    // the write, the dialog says which values the device took and which it did not; when the device may
    // keep the temporary timers, the timers read before are put back after the dialog has gone, and the
    // message says so once that request has ended.
    void WriteBridge(ksx::stp::BridgeWrite w, int portSettingId, int refreshId, bool offDisablesPorts) {
        if (m_run.Running() || TimersPutBack()) {
            return;
        }
        auto remembered = std::make_shared<std::string>(m_strState);
        w.set = &m_cCommonSNMPSet;
        w.set0 = &m_cCommonSNMPSet0;
        w.remembered = remembered.get();
        w.readMaxAge = m_read.maxAge;
        w.readHello = m_read.hello;
        w.readForwardDelay = m_read.forwardDelay;
        const std::vector<ksx::stp::BridgeStep> plan = ksx::stp::PlanBridgeWrite(w);
        const bool portSetting = IsDlgItemEnabled(portSettingId);
        for (int id : {static_cast<int>(ksx::IDOK), refreshId, portSettingId}) {
            EnableDlgItem(id, false);
        }
        m_run.Runner().SetCancel([this] {
            m_cCommonSNMPSet.Cancel();
            m_cCommonSNMPSet0.Cancel();
        });
        auto step = [this, w, plan](int i) {
            if (m_run.Runner().Stopping()) {
                return ksx::StepOutcome::NothingSent();
            }
            const auto failed = ksx::stp::SendBridgeStep(
                w, plan, i, [this](unsigned ms) { return m_run.Runner().Pause(ms); },
                [this] { return m_run.Runner().Stopping(); });
            if (failed) {
                ksx::StepOutcome out = ksx::StepOutcome::Of(failed->answer);
                out.failure = ksx::stp::BridgeWriteMessage(*failed, plan[static_cast<size_t>(i)]);
                return out;
            }
            return ksx::StepOutcome::Done();
        };
        auto text = [plan](int i, int n) {
            return QString("Writing %1 (%2 of %3)...")
                .arg(QString::fromStdString(plan[static_cast<size_t>(i)].what))
                .arg(i + 1)
                .arg(n);
        };
        auto onEnd = [this, w, plan, remembered, portSettingId, refreshId, offDisablesPorts,
                      portSetting](const ksx::StepsEnd& end) {
            m_strState = *remembered;
            EnableDlgItem(refreshId, true);
            EnableDlgItem(ksx::IDOK, m_bReadOk && !TimersPutBack());
            const bool stateOne = plan.front().kind == ksx::stp::BridgeStep::kStateOn && end.done > 0;
            const bool stateOff = plan.front().kind == ksx::stp::BridgeStep::kStateOff;
            EnableDlgItem(portSettingId,
                          stateOne || (portSetting && !(stateOff && offDisablesPorts && end.done > 0)));
            if (end.stopped) {
                PutTimersBack(w, plan, end);
                return;
            }
            if (end.failed) {
                ksx::AfxMessageBox(end.failure);
            } else if (stateOff) {
                return;  // only the state was written; the form stays as it is
            }
            ReadBridgeValues();
        };
        m_run.Start(static_cast<int>(plan.size()), step, text, onEnd);
    }

    // Closed during the write: says what the run wrote and, when the device may keep the temporary
    // timers, puts back the timers read before on a session of its own, off the window's thread and
    // after the dialog has gone.
    static void PutTimersBack(const ksx::stp::BridgeWrite& w, const std::vector<ksx::stp::BridgeStep>& plan,
                              const ksx::StepsEnd& end) {
        const std::string stopped = ksx::stp::BridgeStoppedText(plan, end);
        if (!ksx::stp::TimersBackNeeded(plan, end.done + (end.inFlight ? 1 : 0), end.done)) {
            ksx::AfxMessageBox(stopped);
            return;
        }
        auto session = std::make_shared<CCommonSNMP>();
        const ksx::stp::WriteStep back = ksx::stp::TimersBack(w, session.get());
        ksx::ui::StartAfterCloseRun(
            {kTimersPutBack, {}}, "Putting the bridge timers back as they were read", session,
            {session.get()}, 1, [back](int) { return ksx::StepOutcome::Of(ksx::stp::SendStepAnswer(back)); },
            [stopped](const ksx::StepsEnd& backEnd) {
                return stopped + " " + ksx::stp::TimersBackText(backEnd);
            });
    }

    std::string m_strState;
    Values m_read;  // the last values read (their timers are put back after a failed write)
    bool m_bReadOk = false;
    int m_nMaxAge = 600;
    int m_nForwardDelay = 400;
    int m_nHello = 100;
    int m_nPriority = 0;

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    CCommonSNMP m_cCommonSNMPSet0;
    ksx::TableRead<Values> m_bridgeRead;
    CStepRun m_run{*this};  // the write, off the window's thread; last: stopped before the sessions go

private:
    static bool TimersPutBack() { return ksx::ui::AfterCloseRunWriting(kTimersPutBack); }
    static int OnBridgeValuesReply(CSnmp* response, int requestId, void* userData, int status) {
        return static_cast<CPrivateSpanTBridgeBase*>(userData)->m_bridgeRead.Step(response, requestId,
                                                                                  status);
    }
};
