// 802.1X logic shared by the port settings, RADIUS server and local user dialogs: walks one of the
// device's three 802.1X tables, keeps the rows of the last walk of each in a list of its own and tells
// the owner window that the walk has stopped. It writes nothing; each dialog writes its own changes.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/ModuleBase.h"
#include "core/TableRead.h"
#include "platform/sys/Messages.h"

// One row of the port table, as shown.
struct X8021_statistics_info {
    int port = 0;
    std::string direction;  // "Both" / "In"; empty when not read
    std::string operDirection = "BOTH";
    std::string portControl;  // "Force UnAhthorized" / "Auto" / "Force Authorized"; empty otherwise
    std::string status = "Authorized";
    int txPeriod = 0;
    int quietPeriod = 0;
    int suppTimeout = 0;
    int serverTimeout = 0;
    int maxReq = 0;
    int reAuthPeriod = 0;
    std::string reAuth;      // "Disabled" / "Enabled"; empty when not read
    std::string capability;  // "None" / "Authenticator"; empty otherwise
    // Which of the six numbers above (txPeriod to reAuthPeriod, in that order) were read: a column
    // missing from the row, an exception value or a value of another type leaves its number 0 and
    // unread. NumberText gives the number as text, empty when it was not read.
    enum Number { kTxPeriod, kQuietPeriod, kSuppTimeout, kServerTimeout, kMaxReq, kReAuthPeriod, kNumbers };
    std::array<bool, kNumbers> numberRead{};
    std::string NumberText(Number n) const;
};

// One local user; the password is never kept.
struct X8021_User_Statistics_Info {
    std::string userName;
    std::string password;  // "*****" once the column arrived
    int rowStatus = 0;
};

// One RADIUS server; the key is never kept.
struct X8021_AuRadiusServer_Statistics_info {
    int index = 0;
    int addressType = 0;
    std::string address;  // dotted IPv4, compressed IPv6, hex for other types; empty when malformed
    std::string column4;
    int authPort = 0;
    int acctPort = 0;
    int timeout = 0;
    int retransmit = 0;
    // Which of authPort, acctPort, timeout and retransmit (in that order) were read; NumberText gives
    // the number as text, empty when it was not read.
    std::array<bool, 4> numberRead{};
    std::string NumberText(int n) const;
    std::string key;  // "*****" once the column arrived
    int rowStatus = 0;
};

class C8021XSettingLogic : public CModuleBase {
public:
    static constexpr const char* kDot1x = "1.3.6.1.4.1.7393.10.76.20.1.23";
    static constexpr const char* kAuthState = "1.3.6.1.4.1.7393.10.76.20.1.23.1.1.0";
    static constexpr const char* kAuthProtocol = "1.3.6.1.4.1.7393.10.76.20.1.23.1.3.0";
    static constexpr const char* kForwardEapol = "1.3.6.1.4.1.7393.10.76.20.1.23.1.4.0";
    // Sent to the owner (wParam 0, lParam 0) on the UI thread when a walk has stopped; LastEnd() says how.
    static constexpr unsigned WM_SNMP_WALK_END = ksx::WM_APP + 1001;
    static constexpr unsigned WM_SNMP_WALK_STALE = ksx::WM_APP + 1002;

    C8021XSettingLogic();
    ~C8021XSettingLogic() override;

    // Each empties its list and starts its walk.
    bool ReadPortSettings();
    bool ReadUsers();
    bool ReadRadiusServers();

    // How the last walk ended (UI thread).
    const ksx::WalkEnd& LastEnd() const { return m_lastEnd; }

    // Column OIDs ("...23.2.1.1.<c>", "...23.3.1.1.<c>", "...23.4.2.1.<c>").
    static std::string PortColumn(int column);
    static std::string UserColumn(int column);
    static std::string RadiusColumn(int column);
    // ".<length>.<byte>..." of a user name.
    static std::string UserNameIndex(const std::string& name);
    // The server address as shown: 4 octets of type 1 as dotted text, 16 of type 2 compressed, 4 of
    // any other type as hex digits; empty when the octet count does not fit the type.
    static std::string FormatRadiusAddress(int type, const std::string& octets);

    // Rows of the last walk of each table, in walk order; UI thread.
    std::vector<X8021_statistics_info> m_PortList;
    std::vector<X8021_User_Statistics_Info> m_UserList;
    std::vector<X8021_AuRadiusServer_Statistics_info> m_RadiusList;

private:
    static int OnPortSettingsWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnUsersWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnRadiusServersWalk(CSnmp* response, int requestId, void* userData, int status);
    void Ended(const ksx::WalkEnd& end);

    ksx::WalkEnd m_lastEnd;
    CCommonSNMP m_cCommonSNMPExtra1;
    CCommonSNMP m_cCommonSNMPExtra2;
    // All three walk on the base's walk session.
    ksx::TableRead<X8021_statistics_info> m_portRead;
    ksx::TableRead<X8021_User_Statistics_Info> m_userRead;
    ksx::TableRead<X8021_AuRadiusServer_Statistics_info> m_radiusRead;
};
