// "Jumbo Frame Configuration": one check box for the device's jumbo-frame switch, read when the dialog
// opens and written by Apply, which then closes the dialog.
#pragma once
#include "core/CommonSNMP.h"
#include "platform/ui/Dialog.h"

class CJumboFrameconfigdlg : public ksx::CDialog {
public:
    static constexpr const char* kJumboFrameOid = "1.3.6.1.4.1.7393.10.76.20.1.1.12.0";

    explicit CJumboFrameconfigdlg(QWidget* parent = nullptr);
    ~CJumboFrameconfigdlg() override;

    // Reads the switch into the check box; a failed read leaves the box as it is and shows nothing.
    void ReadJumboFrame();
    // Writes the check box ("1" on, "2" off). Tells the user the new state once the device accepted it,
    // or that the set failed. True when accepted.
    bool WriteJumboFrame();

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnOK() override;

private:
    CCommonSNMP m_cCommonSNMP;
};
