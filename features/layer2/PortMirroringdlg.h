// "PortMirroringConfiguration": mirroring on or off, the target port, and each port's sniffer mode (TX,
// RX, Both or None) in four rows of per-port check boxes that behave as one radio group per port.
#pragma once

#include <optional>

#include <memory>
#include <string>
#include <vector>

#include "controls/BtnEXT.h"
#include "controls/LxDialog.h"
#include "controls/StepRun.h"
#include "features/layer2/PortMirroringLogic.h"

class QGridLayout;

class CPortMirroringdlg : public ClxDialog {
public:
    // Sniffer modes, in the order of the rows.
    enum Mode { MODE_TX = 0, MODE_RX, MODE_BOTH, MODE_NONE };

    explicit CPortMirroringdlg(QWidget* parent = nullptr);
    ~CPortMirroringdlg() override;

    void OnRefresh();
    void OnApply();
    // The port's sniffer mode as its boxes show it (MODE_NONE when no box is checked).
    int PortMode(int port) const;
    CPortMirroringLogic& Logic() { return m_logic; }
    CBtnEXT* Strip(int row) const;  // MODE_TX..MODE_NONE; 4 for the port labels
    // The write of Apply under way (its progress line).
    const CStepRun& Run() const { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void CreatePortStrips();
    void PlaceStrips();
    int Blocks() const;  // blocks of the port grid: one, or two past 28 ports
    void OnConfigRead(const std::optional<MirrorConfigRecord>& record);
    void OnTrunksRead(bool complete);
    void ShowRecord(const MirrorConfigRecord& record);
    void OnPortCheck(int id);
    void OnAll(int mode);
    void OnTargetPortChange();
    void OnTargetTyped();
    void OnEnabled();
    void OnDisabled();
    void SetPortMode(int port, int mode);
    void EnablePortBoxes(int port, bool enable);
    void EnableAllBoxes(bool enable);
    // The combo's text as a port number, 0 when it is not one from 1 to the port count.
    int TargetPort() const;
    void UpdateApply();
    void StartWrite(const CPortMirroringLogic::WritePlan& plan);
    // Says how a write that did not complete ended; reads the device again unless the dialog is ending.
    void OnWriteEnd(const ksx::StepsEnd& end, const ksx::StepsNamer& name);

    CPortMirroringLogic m_logic;
    QGridLayout* m_pModes = nullptr;  // mode names, All buttons and room for the strips
    int m_nBoxSize = 0;
    std::unique_ptr<CBtnEXT> m_pPortLabels;
    std::unique_ptr<CBtnEXT> m_pRows[4];
    bool m_bConfigRead = false;  // a mirroring read arrived since the last refresh
    bool m_bTrunksRead = false;  // the trunk walk of the last refresh read the whole column
    CStepRun m_run{*this};       // Apply's requests, off the window's thread
};
