// "PoE Global Settings": shows the device's PoE power budget and sets the system power threshold and
// the power shut-off sequence.
//
// One asynchronous get reads all six objects; its callback runs on the session's worker thread and only
// sends the values to the dialog, which shows them on the UI thread. Writes are synchronous.
#pragma once

#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "platform/ui/Dialog.h"

class QComboBox;
class QLineEdit;

class CPOEGlobal : public ksx::CDialog {
public:
    // Threshold, sequence, budget, used, left, percentage: the order of the read.
    static const char* const kObjects[6];

    explicit CPOEGlobal(QWidget* parent = nullptr);
    ~CPOEGlobal() override;

    int DestroyWindow() override;

    // Read-only views (UI thread).
    const std::vector<std::string>& Values() const { return m_strValue; }
    // Reads finished since the dialog opened (any status).
    int ReadsEnded() const { return m_nReadsEnded; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    struct ReadResult {
        int status = 0;
        std::vector<std::string> values;
    };

    static int OnGlobalRead(CSnmp* response, int requestId, void* userData, int status);

    void ShowWaiting();
    void ReadGlobal();
    void ShowRead(const ReadResult& result);
    void OnApply();
    void SendGlobal();
    void EnableInputs(bool enable);

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    std::vector<std::string> m_strValue;  // last read (entries 0 and 1 also the last successful write)
    QLineEdit* m_editThreshold = nullptr;
    QComboBox* m_cbSequence = nullptr;
    unsigned char m_bChanged = 0;  // a write object is pending
    int m_nReadsEnded = 0;
};
