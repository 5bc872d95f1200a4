// Edit box for an IPv4 or IPv6 address. On losing the focus it decides which kind the text is,
// validates it and keeps the result; the owning dialog then asks for the validation message, the
// address as an OID index, or adds the address and its InetAddressType to an SNMP request.
#pragma once

#include <QLineEdit>

#include <string>

class CCommonSNMP;

class CEditEXIPV6 : public QLineEdit {
    Q_OBJECT
public:
    explicit CEditEXIPV6(QWidget* parent = nullptr);

    // Classifies and validates the text (runs on focus loss; dialogs call it to force a check).
    void OnKillFocus();
    // A box (OK button) for the validation code; nothing for code 1.
    void ShowAddressError() const;
    // The address as an OID index without the leading dot ("192.168.1.1", or 16 dotted bytes for IPv6)
    // and sets m_nIndexLen to 4 or 16; empty (length unchanged) when no type was seen.
    std::string GetAddressOidIndex();
    void GetAddressOidIndex(std::string& index) { index = GetAddressOidIndex(); }
    // Adds the text as it stands now as 4 or 16 octets (type 2 with a length); nothing for no type.
    // Returns the session's result, -1 when nothing was added.
    int AddAddressVarBind(CCommonSNMP& session, const std::string& oid) const;
    // Adds the address type ("1" or "2") as an integer (type 1). -1 when no type was seen.
    int AddAddressTypeVarBind(CCommonSNMP& session, const std::string& oid) const;

    // Read directly by the owning dialogs.
    int m_bValid = 0;            // 1 after a successful validation
    std::string m_strAddrType;   // "1" IPv4, "2" IPv6; empty until a valid address was seen
    int m_nIndexLen = 0;         // 4 or 16, set by GetAddressOidIndex
    std::string m_strAddress;    // as last validated (IPv6 lower-cased, without "%interface")
    std::string m_strInterface;  // the text after "%" of an IPv6 address
    int m_nValidCode = 1;        // 1 valid, 0 invalid, -1 interface name too long, -2 link-local without one

protected:
    void focusOutEvent(QFocusEvent* event) override;
};
