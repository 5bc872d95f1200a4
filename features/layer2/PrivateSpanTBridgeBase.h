// What the two bridge dialogs ("STP Configuration" over the enterprise objects and "Bridge Config" over
// the bridge MIB) share: the read of the bridge values, the sessions, the values last read, the timers
// shown, and the end of the bridge write.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

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

    // Fills in the sessions, the remembered state and the timers read before, runs the write and reports its
    // outcome. Port Setting becomes available once state "1" was written; `offDisablesPorts` makes it
    // unavailable when only state "2" was written. The values are read again unless only the state was
    // written.
    void WriteBridge(ksx::stp::BridgeWrite& w, int portSettingId, bool offDisablesPorts) {
        w.set = &m_cCommonSNMPSet;
        w.set0 = &m_cCommonSNMPSet0;
        w.remembered = &m_strState;
        w.readMaxAge = m_read.maxAge;
        w.readHello = m_read.hello;
        w.readForwardDelay = m_read.forwardDelay;
        bool stateOne = false;
        const ksx::stp::BridgeWriteResult result = ksx::stp::WriteBridge(w, &stateOne);
        if (stateOne) {
            EnableDlgItem(portSettingId, true);
        }
        if (result == ksx::stp::BridgeWriteResult::kStateOff) {
            if (offDisablesPorts) {
                EnableDlgItem(portSettingId, false);
            }
            return;  // only the state was written; the form stays as it is
        }
        if (result != ksx::stp::BridgeWriteResult::kWritten) {
            ksx::AfxMessageBox(ksx::stp::BridgeWriteMessage(result));
        }
        ReadBridgeValues();
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

private:
    static int OnBridgeValuesReply(CSnmp* response, int requestId, void* userData, int status) {
        return static_cast<CPrivateSpanTBridgeBase*>(userData)->m_bridgeRead.Step(response, requestId,
                                                                                  status);
    }
};
