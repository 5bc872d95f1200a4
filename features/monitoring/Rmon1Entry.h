// The small entry dialog of the RMON 1 statistics list: index, interface and owner of a new entry.
#pragma once

#include <string>

#include "platform/ui/Dialog.h"

class CRmon1Entry : public ksx::CDialog {
public:
    explicit CRmon1Entry(QWidget* parent = nullptr);

    std::string m_strIndex;
    std::string m_strInterface;
    std::string m_strOwner = "Zelvion";

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnOK() override;
};
