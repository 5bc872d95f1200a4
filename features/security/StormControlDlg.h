// "Storm Control": switches the device's storm control on or off and sets the kind of traffic it limits
// and its threshold, entered as a multiple N of 64 kbit/s. Apply writes only what the user changed and
// reads the values back; it is available once a read succeeded.
#pragma once

#include "features/security/StormControlLogic.h"
#include "platform/ui/Dialog.h"

class QComboBox;
class QLineEdit;

class CStormControlDlg : public ksx::CDialog {
public:
    explicit CStormControlDlg(QWidget* parent = nullptr);
    ~CStormControlDlg() override;

    // For tests: reads that ended (successfully or not), and the values of the last successful one.
    int ReadsEnded() const { return m_readsEnded; }
    const StormControlGlobals& Current() const { return m_Current; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void Refresh();
    void OnApply();
    // The form before a read succeeded: the box in neither state, no type, no threshold.
    void ShowUnread();
    void OnEnableClicked();
    void OnNChanged();
    ksx::LRESULT OnSnmpResult(ksx::WPARAM wParam, ksx::LPARAM lParam);
    void ShowRecord(const StormControlGlobals& record);
    void ReadEnded(bool ok);

    StormControlGlobals m_Current;
    int m_nReadN = -1;  // N as shown by the last successful read
    bool m_bRead = false;
    int m_readsEnded = 0;
    CStormControlLogic m_StormControlLogic;
};
