// "PoE Global Settings": shows the device's PoE power budget and sets the system power threshold and
// the power shut-off sequence.
//
// One asynchronous get reads all six objects; the values reach the dialog on the UI thread. Writes are
// synchronous.
#pragma once

#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "core/TableRead.h"
#include "platform/ui/Dialog.h"

class QComboBox;
class QLineEdit;

class CPOEGlobal : public ksx::CDialog {
public:
    // Threshold, sequence, budget, used, left, percentage: the order of the read.
    static const char* const kObjects[6];

    explicit CPOEGlobal(QWidget* parent = nullptr);
    ~CPOEGlobal() override;

    // Read-only views (UI thread).
    const std::vector<std::string>& Values() const { return m_strValue; }
    // Reads finished since the dialog opened (any status).
    int ReadsEnded() const { return m_nReadsEnded; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    using Values6 = std::vector<std::string>;

    void ShowWaiting();
    void ReadGlobal();
    void ShowRead(const Values6& values);
    void OnApply();
    void SendGlobal();
    void EnableInputs(bool enable);

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    ksx::TableRead<Values6> m_read;       // the six objects in one get, on m_cCommonSNMP
    std::vector<std::string> m_strValue;  // last read (entries 0 and 1 also the last successful write)
    QLineEdit* m_editThreshold = nullptr;
    QComboBox* m_cbSequence = nullptr;
    unsigned char m_bChanged = 0;  // a write object is pending
    int m_nReadsEnded = 0;
    bool m_bRead = false;  // a read gave the threshold and the sequence
};
