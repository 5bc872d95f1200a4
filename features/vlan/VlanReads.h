// Asynchronous reads of the VLAN dialogs: a walk of some columns (or one step of some scalars) on a
// session's worker, each row and the end handed to the dialog on the UI thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "platform/ui/Dialog.h"

class CVlanRead {
public:
    // suffix: the instance after the first column (".10"); values: one per column, raw octets.
    using RowFn = std::function<void(const std::string& suffix, const std::vector<std::string>& values)>;
    // status: -2 end of the columns (or 0 after a one-step read), anything else a failure.
    using EndFn = std::function<void(int status)>;

    // Rows and the end reach `owner` as the message `msg` (sent from the worker, run on the UI thread).
    CVlanRead(ksx::CDialog& owner, unsigned msg);
    CVlanRead(const CVlanRead&) = delete;
    CVlanRead& operator=(const CVlanRead&) = delete;

    // Starts a walk of the columns (oneStep: a get of the objects, one reply). A read still running on
    // the session is stopped first; nothing of it arrives afterwards.
    void Start(std::vector<std::string> columns, RowFn onRow, EndFn onEnd, bool oneStep = false,
               int timeoutMs = 0);
    void Close() { m_session.Close(); }
    bool Running() const { return !m_session.IsDone(); }

private:
    struct Delivery {
        int status;
        const std::string* suffix;
        const std::vector<std::string>* values;
    };
    static int OnStep(CSnmp* response, int requestId, void* userData, int status);

    ksx::CDialog& m_owner;
    unsigned m_msg;
    CCommonSNMP m_session;
    std::vector<std::string> m_columns;
    RowFn m_onRow;
    EndFn m_onEnd;
    bool m_oneStep = false;
    int m_timeoutMs = 0;
};
