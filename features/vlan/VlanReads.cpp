#include "features/vlan/VlanReads.h"

#include <memory>

#include "core/SnmpReply.h"

CVlanRead::CVlanRead(ksx::CDialog& owner, unsigned msg) : m_owner(owner), m_msg(msg) {
    m_owner.OnMessage(m_msg, [this](ksx::WPARAM, ksx::LPARAM lParam) -> ksx::LRESULT {
        const auto* d = reinterpret_cast<const Delivery*>(lParam);
        if (d->status == 0 && !m_oneStep) {
            if (m_onRow) {
                m_onRow(*d->suffix, *d->values);
            }
        } else {
            if (d->status == 0 && m_onRow) {
                m_onRow(*d->suffix, *d->values);
            }
            if (m_onEnd) {
                m_onEnd(d->status);
            }
        }
        return 0;
    });
}

void CVlanRead::Start(std::vector<std::string> columns, RowFn onRow, EndFn onEnd, bool oneStep,
                      int timeoutMs) {
    // Opening stops the walk in progress; its late replies are no longer pending and are dropped.
    m_session.Open(oneStep ? CCommonSNMP::REQUEST_GET : CCommonSNMP::REQUEST_GETNEXT);
    m_columns = std::move(columns);
    m_onRow = std::move(onRow);
    m_onEnd = std::move(onEnd);
    m_oneStep = oneStep;
    m_timeoutMs = timeoutMs;
    for (const std::string& column : m_columns) {
        m_session.AddVarBind(column, 4, nullptr);
    }
    m_session.StartAsyncWalk(OnStep, this, m_timeoutMs);
}

int CVlanRead::OnStep(CSnmp* response, int requestId, void* userData, int status) {
    auto* self = static_cast<CVlanRead*>(userData);
    std::unique_ptr<CSnmp> owned(response);
    if (!self->m_session.FindRequestID(requestId)) {
        self->m_session.SetDone();
        return 0;
    }
    std::string suffix;
    std::vector<std::string> values;
    if (status == 0 && ksx::ReplyErrorStatus(response) != 0) {
        status = ksx::ReplyErrorStatus(response);  // a refused read is a failure, not the end
    }
    if (status == 0) {
        char* text = nullptr;
        if (!self->m_oneStep && self->m_session.GetResponseOid(0, response, &text) == 0 && text != nullptr) {
            suffix = text;
        }
        for (size_t i = 0; i < self->m_columns.size(); ++i) {
            values.push_back(ksx::BindingValue(response, static_cast<int>(i)));
        }
    }
    const Delivery delivery{status, &suffix, &values};
    self->m_owner.SendMessage(self->m_msg, 0, reinterpret_cast<ksx::LPARAM>(&delivery));
    if (status == 0 && !self->m_oneStep) {
        self->m_session.StartAsyncWalk(OnStep, self, self->m_timeoutMs);
    } else {
        self->m_session.SetDone();
    }
    return 0;
}
