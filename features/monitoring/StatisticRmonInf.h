// RMON 1 interface counters view: the 17 etherStats counters, each for an entry of the statistics list
// chosen in its own box, polled every 5000 ms.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "features/common/DirectRead.h"
#include "platform/ui/Dialog.h"

class CStatisticRmon1;

class CStatisticRmonInf : public ksx::CDialog {
public:
    static constexpr int kCounters = 17;
    static constexpr int kPollMs = 5000;

    // `row`: the list row every counter's box starts on.
    CStatisticRmonInf(const CStatisticRmon1* source, int row, QWidget* parent = nullptr);
    ~CStatisticRmonInf() override;

    int DestroyWindow() override;

    // Polls the 17 counters; `restart` drops the requests still out first.
    void RefreshCounters(bool restart = false);
    int PendingCounters() const;

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnTimer(unsigned id) override;

private:
    void OnCounterReply(int counter, const ksx::DirectReply& reply);

    const CStatisticRmon1* m_pSource;
    std::array<int, kCounters> m_nSelected{};
    std::array<std::unique_ptr<ksx::CDirectRead>, kCounters> m_counters;
};
