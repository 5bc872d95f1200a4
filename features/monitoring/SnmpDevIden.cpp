// System information dialog.
#include "features/monitoring/SnmpDevIden.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "platform/ui/WaitCursor.h"
#include "res/ids_sysinfo.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_SYSTEM_INFORMATION, [] {
    CSnmpDevIden dlg;
    dlg.DoModal();
});

constexpr int kReadTimeoutMs = 4000;
constexpr int kTextBuffer = 128;  // the UTF-8 text of a name or location, zero-terminated

// Characters a system name or location may not hold.
constexpr std::string_view kRefused = "~`!@#$%^&*{}[]|\\:;\"'<>,.?/";

bool HasRefused(const std::string& text) {
    return text.find_first_of(kRefused) != std::string::npos;
}

// Whole characters of a UTF-8 text.
int Characters(const std::string& text) {
    int n = 0;
    for (unsigned char c : text) {
        n += (c & 0xC0) != 0x80 ? 1 : 0;
    }
    return n;
}

std::string LengthMessage(int limit) {
    return "Please enter no more than " + std::to_string(limit) + " characters.";
}

std::optional<std::string> FromUtf8(const std::optional<std::string>& octets) {
    if (!octets) {
        return std::nullopt;
    }
    std::string text;
    CCodeConvert::UTF8ToAnsi(*octets, &text);
    return text;
}

// A wrapped text is as tall as its lines at its width: a layout asks a label only for its one-line
// height, so the label's minimum height follows its width and its text.
void FitWrappedHeight(QLabel* label) {
    const int height = label->heightForWidth(label->width());
    if (height > 0 && label->minimumHeight() != height) {
        label->setMinimumHeight(height);
    }
}

class WrappedHeight : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) {
            FitWrappedHeight(static_cast<QLabel*>(watched));
        }
        return false;
    }
};

}  // namespace

CSnmpDevIden::CSnmpDevIden(QWidget* parent)
    : CDialog(IDD_SYSTEM_INFORMATION, parent),
      m_read(m_cCommonSNMP, {kSysDescr, kSysObjectID, kSysUpTime, kSysContact, kSysName, kSysLocation},
             [](const WalkStep& step) -> std::optional<SystemInfo> {
                 // A reply without all six values leaves the fields as they are.
                 if (step.Count() < 6) {
                     return std::nullopt;
                 }
                 SystemInfo info;
                 info.descr = step.Octets(0);
                 info.objectId = step.Dotted(1);
                 info.upTime = step.Unsigned(2);
                 info.contact = step.Octets(3);
                 info.name = FromUtf8(step.Octets(4));
                 info.location = FromUtf8(step.Octets(5));
                 return info;
             }) {
    OwnReader(m_read);
    OwnSession(m_cCommonSNMPSet);
    m_read.onRow = [this](const SystemInfo& info) { ShowSystemInfo(info); };
    m_read.onEnd = [this](const WalkEnd& end) {
        EnableDlgItem(IDC_SYSINFO_REFRESH, true);
        EnableDlgItem(IDC_SYSINFO_APPLY, m_bNameRead);
        if (!end.Ok() && !end.stale) {
            AfxMessageBox("Failed to read the system information.", MB_OK);
        }
    };
    OnCommand(IDC_SYSINFO_REFRESH, [this] { OnRefresh(); });
    OnCommand(IDC_SYSINFO_APPLY, [this] { OnOK(); });
    OnCommand(IDC_SYSINFO_CLOSE, [this] { EndDialog(IDCANCEL); });
}

CSnmpDevIden::~CSnmpDevIden() = default;

void CSnmpDevIden::CreateControls() {
    ui::Form form(*this);
    auto description = form.Group("Description", IDC_SYSINFO_DESCRIPTION_GROUP);
    auto* descr = description.Add(description.Label("", IDC_SYSINFO_DESCRIPTION));
    descr->setWordWrap(true);
    descr->installEventFilter(new WrappedHeight(descr));
    descr->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* objectId = form.Field("Object OID:", form.Label("", IDC_SYSINFO_OBJECT_ID));
    objectId->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form.Field("Runtime:", form.Label("", IDC_SYSINFO_RUNTIME));
    // The lengths are checked when Apply takes the texts, as the dialog's data exchange does.
    form.Field("Name:", form.Edit(IDC_SYSINFO_NAME));
    form.Field("Location:", form.Edit(IDC_SYSINFO_LOCATION));
    form.Field("Contact:", form.Edit(IDC_SYSINFO_CONTACT), IDC_SYSINFO_CONTACT_LABEL);
    ShowDlgItem(IDC_SYSINFO_CONTACT, false);
    ShowDlgItem(IDC_SYSINFO_CONTACT_LABEL, false);
    form.Buttons(
        {{IDC_SYSINFO_REFRESH, "&Refresh"}, {IDC_SYSINFO_APPLY, "&Apply"}, {IDC_SYSINFO_CLOSE, "&Close"}},
        IDC_SYSINFO_REFRESH);
}

int CSnmpDevIden::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    SetWindowText("System Information");
    ReadSystemInfo();
    return 1;
}

void CSnmpDevIden::ReadSystemInfo() {
    m_read.Read(&CSnmpDevIden::OnSystemInfo, this, kReadTimeoutMs);
    EnableDlgItem(IDC_SYSINFO_REFRESH, false);
    EnableDlgItem(IDC_SYSINFO_APPLY, false);
}

int CSnmpDevIden::OnSystemInfo(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CSnmpDevIden*>(userData)->m_read.Step(response, requestId, status);
}

std::string CSnmpDevIden::RunningTime(unsigned long long hundredths) {
    const unsigned long long hours = hundredths / 360000;
    const unsigned long long minutes = (hundredths - hours * 360000) / 6000;
    return std::to_string(hours) + " Hour " + std::to_string(minutes) + " Min";
}

void CSnmpDevIden::ShowSystemInfo(const SystemInfo& info) {
    if (info.descr) {
        SetDlgItemText(IDC_SYSINFO_DESCRIPTION, *info.descr);
        FitWrappedHeight(Item<QLabel>(IDC_SYSINFO_DESCRIPTION));
    }
    if (info.objectId) {
        SetDlgItemText(IDC_SYSINFO_OBJECT_ID, *info.objectId);
    }
    if (info.upTime) {
        SetDlgItemText(IDC_SYSINFO_RUNTIME, RunningTime(*info.upTime));
    }
    if (info.contact) {
        SetDlgItemText(IDC_SYSINFO_CONTACT, *info.contact);
    }
    // Apply writes name and location together: both must have been read.
    if (info.name && info.location) {
        SetDlgItemText(IDC_SYSINFO_NAME, *info.name);
        SetDlgItemText(IDC_SYSINFO_LOCATION, *info.location);
        m_bNameRead = true;
    }
}

void CSnmpDevIden::OnRefresh() {
    CWaitCursor wait;
    ReadSystemInfo();
}

void CSnmpDevIden::OnOK() {
    if (!IsDlgItemEnabled(IDC_SYSINFO_APPLY)) {
        return;  // Enter while a read runs, or before one succeeded
    }
    const std::string name = GetDlgItemText(IDC_SYSINFO_NAME);
    const std::string location = GetDlgItemText(IDC_SYSINFO_LOCATION);
    // The contact is shown nowhere and never written: its length is not the user's to mend.
    const struct {
        const std::string& text;
        int limit;
        int id;
    } lengths[] = {{name, kNameLimit, IDC_SYSINFO_NAME}, {location, kLocationLimit, IDC_SYSINFO_LOCATION}};
    for (const auto& field : lengths) {
        if (Characters(field.text) > field.limit) {
            AfxMessageBox(LengthMessage(field.limit), MB_OK | MB_ICONWARNING);
            SetFocusTo(field.id);
            return;
        }
    }
    if (HasRefused(name)) {
        AfxMessageBox("Invalid System Name.", MB_OK);
        return;
    }
    if (HasRefused(location)) {
        AfxMessageBox("Invalid System Location.", MB_OK);
        return;
    }

    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    char buffer[kTextBuffer] = {};
    CCodeConvert::AnsiToUTF8(name, buffer, kTextBuffer);
    m_cCommonSNMPSet.AddVarBind(kSysName, 2, buffer);
    std::fill(std::begin(buffer), std::end(buffer), '\0');
    CCodeConvert::AnsiToUTF8(location, buffer, kTextBuffer);
    m_cCommonSNMPSet.AddVarBind(kSysLocation, 2, buffer);
    if (const SnmpAnswer answer = SendRequest(m_cCommonSNMPSet).Answer(); !answer.Accepted()) {
        // Refused, the device keeps what it had; unanswered, it may have taken it: say which and show it.
        AfxMessageBox(AnswerText(answer, {"the system name and location", true}), MB_OK);
        ReadSystemInfo();
    }
}

int CSnmpDevIden::DestroyWindow() {
    TRACE("==================DestroyWindow===============");
    m_read.Close();
    TRACE("==================m_cCommonSNMP.Close===============");
    m_cCommonSNMPSet.Close();
    TRACE("==================m_cCommonSNMPSet.Close===============");
    return CDialog::DestroyWindow();
}
