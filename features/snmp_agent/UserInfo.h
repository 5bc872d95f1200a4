// The agent's USM user table with each user's group (the VACM group of the same security name, for the
// user-based security model), read with community-based requests or SNMPv3.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "features/common/DirectListView.h"

class CUserInfo : public CDirectListView {
public:
    explicit CUserInfo(QWidget* parent = nullptr);

protected:
    int OnInitDialog() override;
    std::optional<std::vector<std::string>> RowCells(const ksx::DirectReply& reply) override;
    void OnRowAdded(int row, const ksx::DirectReply& reply) override;
    void OnCleared() override;
    // At the end of the walk, the users whose group entry the walk did not reach are asked for it.
    void OnReadEnd(int status, bool v3) override;

public:
    int DestroyWindow() override;
    bool AskingGroups() const {
        return !m_unpaired.empty() || m_groupGet.Pending() || m_groupGetV3.Running();
    }

private:
    void AskNextGroup();
    void OnGroupReply(const ksx::DirectReply& reply);

    std::vector<std::string> m_unpaired;  // users still to ask for, in list order
    bool m_v3 = false;
    ksx::CDirectRead m_groupGet{false};
    ksx::CDirectV3Read m_groupGetV3;
    std::map<std::string, int> m_rowOfUser;        // security name -> list row
    std::map<std::string, std::string> m_groupOf;  // security name -> group name
};
