// "Port Description": lists the description of every port and writes one description to a range of
// ports. Reading and writing are the port configuration logic's.
#pragma once
#include <string>

#include "features/port_system/PortConfigLogic.h"
#include "platform/ui/Dialog.h"

class CListCtrl;
class QResizeEvent;

class CPortDescription : public ksx::CDialog {
public:
    static constexpr int kMaxDescriptionLength = 32;

    explicit CPortDescription(QWidget* parent = nullptr);
    ~CPortDescription() override;

    int DestroyWindow() override;
    CPortConfigLogic& Logic() { return m_logic; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    ksx::LRESULT WindowProc(unsigned msg, ksx::WPARAM wParam, ksx::LPARAM lParam) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void OnRefresh();
    void OnApply();
    void OnSelChangeFromPort();
    void OnSelChangeToPort();
    void SizeColumns();
    void FillList();
    void EnableButtons(bool enable);
    void SelectFirstPorts();

    CPortConfigLogic m_logic;
    std::string m_strDescription;  // the Description edit's text
    CListCtrl* m_list = nullptr;
};
