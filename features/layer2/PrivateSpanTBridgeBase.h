// What the two bridge dialogs ("STP Configuration" over the enterprise objects and "Bridge Config" over
// the bridge MIB) share: the read of the bridge values, the sessions, the values last read, the timers
// shown, and the end of the bridge write.
#pragma once

#include <QString>
#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "controls/StepRun.h"
#include "core/CommonSNMP.h"
#include "core/TableRead.h"
#include "features/layer2/PrivateSpanTCommon.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/Dialog.h"

template <class Values>
class CPrivateSpanTBridgeBase : public ksx::CDialog {
public:
    // Starts the read of the bridge values; the form follows when the reply has all of them.
    void ReadBridgeValues() { m_bridgeRead.Read(OnBridgeValuesReply, this); }
    // The state as last read or written: "1", "0", or "" before the first read.
    const std::string& RememberedState() const { return m_strState; }
    // The bridge write (its progress line, whether it runs).
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
        m_run.Runner().SetCancel([this] {
            m_cCommonSNMPSet.Cancel();
            m_cCommonSNMPSet0.Cancel();
        });
        m_bridgeRead.onRow = [this](const Values& v) { ShowBridgeValues(v); };
        // A read that failed (no answer, a value missing or of another type) shows nothing and says so.
        m_bridgeRead.onEnd = [this](const ksx::WalkEnd& end) {
            if (!end.Ok() && !end.stale) {
                ksx::AfxMessageBox("Failed to read the spanning tree settings.");
            }
        };
    }

    virtual void ShowBridgeValues(const Values& v) = 0;

    // Remembers a read that reached the form; Apply may write it back from now on.
    void TakeRead(const Values& v) {
        m_read = v;
        m_bReadOk = true;
        EnableDlgItem(ksx::IDOK, true);
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

    // Fills in the sessions, the remembered state and the timers read before, and runs the write off the
    // window's thread (Apply and Refresh unavailable meanwhile), then reports its outcome. Port Setting
    // becomes available once state "1" was written; `offDisablesPorts` makes it unavailable when only
    // state "2" was written. The values are read again unless only the state was written. Close during
    // the write stops it and says which requests the device confirmed.
    void WriteBridge(ksx::stp::BridgeWrite w, int portSettingId, bool offDisablesPorts, int refreshId) {
        if (m_run.Running()) {
            return;
        }
        // Filled on the worker; read here once the run has ended.
        struct Outcome {
            std::string remembered;
            int accepted = 0;
            bool stateOne = false;
            ksx::stp::BridgeWriteResult result = ksx::stp::BridgeWriteResult::kFailed;
        };
        auto out = std::make_shared<Outcome>();
        out->remembered = m_strState;
        w.set = &m_cCommonSNMPSet;
        w.set0 = &m_cCommonSNMPSet0;
        w.remembered = &out->remembered;
        w.accepted = &out->accepted;
        w.stopping = [this] { return m_run.Runner().Stopping(); };
        w.readMaxAge = m_read.maxAge;
        w.readHello = m_read.hello;
        w.readForwardDelay = m_read.forwardDelay;
        auto labels = std::make_shared<std::vector<std::string>>(WriteLabels(w, m_strState));
        EnableDlgItem(ksx::IDOK, false);
        EnableDlgItem(refreshId, false);
        m_run.Start(
            1,
            [w, out](int) {
                out->result = ksx::stp::WriteBridge(w, &out->stateOne);
                return ksx::StepOutcome::Done();
            },
            [](int, int) { return QString("Writing the spanning tree settings..."); },
            [this, out, labels, portSettingId, offDisablesPorts, refreshId](const ksx::StepsEnd& end) {
                m_strState = out->remembered;
                EnableDlgItem(refreshId, true);
                EnableDlgItem(ksx::IDOK, m_bReadOk);
                if (out->stateOne) {
                    EnableDlgItem(portSettingId, true);
                }
                if (end.stopped || out->result == ksx::stp::BridgeWriteResult::kStopped) {
                    // Closed during the write: the dialog is ending.
                    ksx::AfxMessageBox(StoppedText(*labels, out->accepted));
                    return;
                }
                if (out->result == ksx::stp::BridgeWriteResult::kStateOff) {
                    if (offDisablesPorts) {
                        EnableDlgItem(portSettingId, false);
                    }
                    return;  // only the state was written; the form stays as it is
                }
                if (out->result != ksx::stp::BridgeWriteResult::kWritten) {
                    ksx::AfxMessageBox(ksx::stp::BridgeWriteMessage(out->result));
                }
                ReadBridgeValues();
            });
    }

    // What each request of the write sets, in the order WriteBridge sends them.
    static std::vector<std::string> WriteLabels(const ksx::stp::BridgeWrite& w,
                                                const std::string& remembered) {
        if (!w.enable) {
            return {"the state (disabled)"};
        }
        std::vector<std::string> labels;
        if (remembered == "0") {
            labels.push_back("the state (enabled)");
        }
        labels.push_back("the temporary Hello Time and Forward Delay");
        for (const ksx::stp::SetBinding& t : w.timers) {
            labels.push_back(t.oid == w.maxAgeOid         ? "the Max Age"
                             : t.oid == w.helloOid        ? "the Hello Time"
                             : t.oid == w.forwardDelayOid ? "the Forward Delay"
                                                          : "the Transmit Hold Count");
        }
        labels.push_back("the priority and version");
        return labels;
    }

    // "Stopped: the device confirmed A, B; not confirmed: C; not written: D." for a write stopped
    // after `accepted` of its requests (the next one was in flight).
    static std::string StoppedText(const std::vector<std::string>& labels, int accepted) {
        const int n = static_cast<int>(labels.size());
        const auto join = [&labels](int from, int to) {
            std::string out;
            for (int i = from; i < to; ++i) {
                out += (out.empty() ? "" : ", ") + labels[static_cast<size_t>(i)];
            }
            return out;
        };
        accepted = std::clamp(accepted, 0, n);
        std::string text = "Stopped: ";
        if (accepted > 0) {
            text += "the device confirmed " + join(0, accepted) + (accepted < n ? "; " : "");
        }
        if (accepted < n) {
            text += "not confirmed: " + join(accepted, accepted + 1);
        }
        if (accepted + 1 < n) {
            text += "; not written: " + join(accepted + 1, n);
        }
        return text + ".";
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
    CStepRun m_run{*this};  // the bridge write; last: stopped before the sessions go

private:
    static int OnBridgeValuesReply(CSnmp* response, int requestId, void* userData, int status) {
        return static_cast<CPrivateSpanTBridgeBase*>(userData)->m_bridgeRead.Step(response, requestId,
                                                                                  status);
    }
};
