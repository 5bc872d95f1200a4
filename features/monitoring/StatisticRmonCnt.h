// RMON 1 group parameter view: one chosen etherStats counter for up to 24 entries of the statistics
// list at a time, paged by groups of 24 and polled every 2000 ms.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "features/common/DirectRead.h"
#include "platform/ui/Dialog.h"

class CStatisticRmon1;

class CStatisticRmonCnt : public ksx::CDialog {
public:
    static constexpr int kItems = 24;
    static constexpr int kPollMs = 2000;

    CStatisticRmonCnt(const CStatisticRmon1* source, int currentGroup, int groupCount,
                      QWidget* parent = nullptr);
    ~CStatisticRmonCnt() override;

    int DestroyWindow() override;

    // Polls the items of the current group; `restart` drops the requests still out first.
    void RefreshItems(bool restart = false);
    void OnNextGroup();
    void OnPrevGroup();
    int CurrentGroup() const { return m_nCurrentGroup; }
    // The etherStatsEntry column of each entry of the parameter box, in box order.
    static int ParameterColumn(int position);
    // Items whose request is still out.
    int PendingItems() const;

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnTimer(unsigned id) override;

private:
    void LabelItems();
    void BlankUnusedItems();
    void EnableAllItems();
    void OnItemReply(int item, const ksx::DirectReply& reply);

    const CStatisticRmon1* m_pSource;
    int m_nCurrentGroup;
    int m_nGroupCount;
    std::array<std::unique_ptr<ksx::CDirectRead>, kItems> m_items;
};
