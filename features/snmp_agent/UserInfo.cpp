// SNMPv3 user information view.
#include "features/snmp_agent/UserInfo.h"

#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

#include "controls/ListCtrlEx.h"
#include "features/snmp_agent/InfoNames.h"
#include "platform/sys/Globals.h"
#include "res/ids_direct.h"

using namespace ksx;

namespace {

// The group name column of the VACM group table, for the user-based security model (3).
constexpr const char* kUsmGroupName = "1.3.6.1.6.3.16.1.2.1.3.3";

CDirectListView::ViewSetup MakeSetup() {
    CDirectListView::ViewSetup setup;
    setup.templateId = IDD_USER_INFO;
    setup.caption = "SNMPv3 User Information";
    setup.groupCaption = "User List";
    setup.listId = IDC_USER_LIST;
    setup.refreshId = IDC_V3INFO_REFRESH;
    setup.readsV3 = true;
    setup.headings = {" Security Name   ", " Group Name   ", " Authentication Protocol       ",
                      " Cript Protocol       "};
    setup.oids = {"1.3.6.1.6.3.15.1.2.2.1.3", kUsmGroupName, "1.3.6.1.6.3.15.1.2.2.1.5",
                  "1.3.6.1.6.3.15.1.2.2.1.8"};
    setup.groups = {0, 1, 0, 0};  // the group table is indexed by model and name, the users by engine too
    return setup;
}

// A protocol column: its name, "Other" for another protocol, empty when the column was not read.
std::string Protocol(const DirectReply& reply, size_t column, const char* oid, const char* name) {
    if (!reply.Has(column)) {
        return std::string();
    }
    return reply.Text(column) == oid ? name : "Other";
}

}  // namespace

CUserInfo::CUserInfo(QWidget* parent) : CDirectListView(MakeSetup(), parent) {
    m_groupGet.onReply = [this](const DirectReply& r) {
        OnGroupReply(r);
        return false;
    };
    m_groupGetV3.onReply = [this](const DirectReply& r) {
        OnGroupReply(r);
        return false;
    };
}

int CUserInfo::DestroyWindow() {
    const int result = CDirectListView::DestroyWindow();
    m_groupGet.Release();
    m_groupGetV3.Release();
    return result;
}

int CUserInfo::OnInitDialog() {
    CDirectListView::OnInitDialog();
    Refresh();
    return 1;
}

void CUserInfo::OnCleared() {
    m_rowOfUser.clear();
    m_groupOf.clear();
    m_unpaired.clear();
}

void CUserInfo::OnReadEnd(int status, bool v3) {
    CDirectListView::OnReadEnd(status, v3);
    if (status != CSnmp4w::EC_END_OF_WALK) {
        return;
    }
    // The group column runs beside the users only as far as the users go: entries of names that are no
    // user push the later users' entries past the walk's end.
    m_unpaired.clear();
    for (const auto& [user, row] : m_rowOfUser) {
        if (m_groupOf.count(user) == 0) {
            m_unpaired.push_back(user);
        }
    }
    m_v3 = v3;
    AskNextGroup();
}

void CUserInfo::AskNextGroup() {
    if (m_v3 && m_groupGetV3.Running()) {
        // The thread of the last question is still returning.
        QTimer::singleShot(20, this, [this] { AskNextGroup(); });
        return;
    }
    while (!m_unpaired.empty()) {
        const std::string user = m_unpaired.back();
        std::string oid = std::string(kUsmGroupName) + "." + std::to_string(user.size());
        for (unsigned char c : user) {
            oid += "." + std::to_string(c);
        }
        const unsigned long timeout =
            static_cast<unsigned long>(std::max(0, std::atoi(g_strSnmpTimeout.c_str())));
        if (m_v3 ? m_groupGetV3.Start({oid}, 0, timeout) : m_groupGet.Restart({oid})) {
            return;
        }
        m_unpaired.pop_back();
    }
}

void CUserInfo::OnGroupReply(const DirectReply& reply) {
    if (m_unpaired.empty()) {
        return;
    }
    const std::string user = m_unpaired.back();
    m_unpaired.pop_back();
    // No entry (an error or no value): the user has no group of this model.
    if (reply.Accepted() && reply.Has(0)) {
        m_groupOf[user] = reply.Text(0);
        if (auto it = m_rowOfUser.find(user); it != m_rowOfUser.end()) {
            List()->SetItemText(it->second, 1, QString::fromStdString(reply.Text(0)));
        }
    }
    // The next one starts once this reader has finished with the reply.
    QMetaObject::invokeMethod(
        this, [this] { AskNextGroup(); }, Qt::QueuedConnection);
}

std::optional<std::vector<std::string>> CUserInfo::RowCells(const DirectReply& reply) {
    const std::string user = reply.Text(0);
    const auto group = m_groupOf.find(user);
    return std::vector<std::string>{user, group != m_groupOf.end() ? group->second : std::string(),
                                    Protocol(reply, 2, "1.3.6.1.6.3.10.1.1.2", "MD5"),
                                    Protocol(reply, 3, "1.3.6.1.6.3.10.1.2.2", "DES")};
}

void CUserInfo::OnRowAdded(int row, const DirectReply& reply) {
    m_rowOfUser[reply.Text(0)] = row;
    // The group entry walked beside this user may belong to another user: it is paired by the security
    // name its index carries, with a row already shown or one still to come.
    auto arcs = CInfoNames::Arcs(reply.Instance(1, kUsmGroupName).value_or(""));
    if (!arcs || !reply.Has(1)) {
        return;
    }
    size_t pos = 0;
    const auto name = CInfoNames::StringAt(*arcs, pos);
    if (!name || pos != arcs->size()) {
        return;
    }
    m_groupOf[*name] = reply.Text(1);
    if (auto it = m_rowOfUser.find(*name); it != m_rowOfUser.end()) {
        List()->SetItemText(it->second, 1, QString::fromStdString(reply.Text(1)));
    }
}
