#include "controls/EditEXIPV6.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "core/CommonSNMP.h"
#include "core/Utils.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/Text.h"

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// 32 hex digits of an IPv6 text: expanded, colons removed; an "%interface" suffix is not part of
// the address.
std::string Ipv6Digits(const std::string& text) {
    const std::string address = text.substr(0, text.find('%'));
    std::string digits = CUtils::ExpandIPv6(address);
    digits.erase(std::remove(digits.begin(), digits.end(), ':'), digits.end());
    return digits;
}

}  // namespace

CEditEXIPV6::CEditEXIPV6(QWidget* parent) : QLineEdit(parent) {}

void CEditEXIPV6::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    OnKillFocus();
}

void CEditEXIPV6::OnKillFocus() {
    const std::string text = ksx::ui::ToStd(this->text());
    const bool dot = text.find('.') != std::string::npos;
    const bool colon = text.find(':') != std::string::npos;
    if (dot == colon) {
        // Neither separator (empty text too), or both (an IPv4-mapped form): not an address here.
        m_bValid = 0;
        m_nValidCode = 0;
        return;
    }
    if (colon) {
        const std::string lower = Lower(text);
        const std::size_t percent = lower.find('%');
        const bool interfaceGiven = percent != std::string::npos;
        const std::string address = interfaceGiven ? lower.substr(0, percent) : lower;
        const std::string name = interfaceGiven ? lower.substr(percent + 1) : std::string();
        const int code = CUtils::IsValidIPv6(address, name, interfaceGiven);
        m_nValidCode = code;
        if (code == 1) {
            m_bValid = 1;
            m_strAddrType = "2";
            m_strAddress = address;
            m_strInterface = name;
        } else {
            m_bValid = 0;
        }
        return;
    }
    if (CUtils::IsValidIPv4(text)) {
        m_bValid = 1;
        m_nValidCode = 1;
        m_strAddrType = "1";
        m_strAddress = text;
    } else {
        m_bValid = 0;
        m_nValidCode = 0;
    }
}

void CEditEXIPV6::ShowAddressError() const {
    switch (m_nValidCode) {
        case -2:
            ksx::AfxMessageBox("Link local address must specify interface name!ex: feXX::XXXX%InterfaceName",
                               ksx::MB_OK);
            break;
        case -1:
            ksx::AfxMessageBox("Interface name too long.", ksx::MB_OK);
            break;
        case 0:
            ksx::AfxMessageBox("Invalid Ip Address.", ksx::MB_OK);
            break;
        default:
            break;
    }
}

std::string CEditEXIPV6::GetAddressOidIndex() {
    if (m_strAddrType == "1") {
        m_nIndexLen = 4;
        return m_strAddress;
    }
    if (m_strAddrType == "2") {
        m_nIndexLen = 16;
        std::string index = CUtils::HexToOidIndex(Ipv6Digits(m_strAddress));
        if (!index.empty() && index.front() == '.') {
            index.erase(0, 1);
        }
        return index;
    }
    return std::string();
}

int CEditEXIPV6::AddAddressVarBind(CCommonSNMP& session, const std::string& oid) const {
    const std::string text = ksx::ui::ToStd(this->text());
    std::string digits;
    int octets = 0;
    if (m_strAddrType == "2") {
        digits = Ipv6Digits(text);
        octets = 16;
    } else if (m_strAddrType == "1") {
        digits = CUtils::AddressToHex(text);
        octets = 4;
    } else {
        return -1;
    }
    std::vector<unsigned char> bytes(static_cast<std::size_t>(octets), 0);
    CUtils::HexToBytes(digits, bytes.data(), octets);
    return session.AddVarBind(oid, 2, reinterpret_cast<const char*>(bytes.data()), octets);
}

int CEditEXIPV6::AddAddressTypeVarBind(CCommonSNMP& session, const std::string& oid) const {
    if (m_strAddrType.empty()) {
        return -1;
    }
    return session.AddVarBind(oid, 1, m_strAddrType.c_str());
}
