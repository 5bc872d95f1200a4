// The application object: process start-up (SNMP library, command line, User.ini, one instance per
// device) and the run of the main window. One global instance, theApp; main() creates the
// QApplication, binds the delivery gate and the message-box service, and calls InitInstance.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

// Registered window messages: the per-device message ("Module:" + device name + device address) and the
// port-click broadcast.
extern unsigned g_uModuleMessage;
extern unsigned g_uPortClickMessage;

namespace ksx {

class CInstanceGuard;
class CQuorviaModuleDlg;

// The number of a registered window message: the same name always gives the same number, from 0xC000.
unsigned RegisterWindowMessage(const std::string& name);

// User.ini beside the executable. Tests may point it elsewhere (empty restores the default).
std::string UserIniPath();
void SetUserIniPath(const std::string& path);

// The instance name of a device: "Module:" + device name + device address, no separator.
std::string InstanceName(const std::string& deviceName, const std::string& deviceIP);

class CQuorviaModuleApp {
public:
    CQuorviaModuleApp();
    virtual ~CQuorviaModuleApp();
    CQuorviaModuleApp(const CQuorviaModuleApp&) = delete;
    CQuorviaModuleApp& operator=(const CQuorviaModuleApp&) = delete;

    // The command line as the host passed it (the arguments after the program name, joined by spaces).
    void SetCommandLine(const std::string& commandLine) { m_lpCmdLine = commandLine; }
    const std::string& GetCommandLine() const { return m_lpCmdLine; }

    // Start-up: library set-up, command line, instance check, then the main window runs modally.
    // Returns FALSE (0) in every case: the process ends when it returns.
    virtual int InitInstance();

    // Fills the connection settings from m_lpCmdLine (app/CommandLine.h).
    int ParseCommandLine();
    std::string GetNextToken(std::size_t& pos) const;

    // The main window while it runs, else null.
    CQuorviaModuleDlg* GetMainWnd() const { return m_pMainWnd; }
    // The instance guard once taken (kept until the process ends), else null.
    CInstanceGuard* GetInstanceGuard() const { return m_hMutex.get(); }

private:
    std::string m_lpCmdLine;
    std::unique_ptr<CInstanceGuard> m_hMutex;
    CQuorviaModuleDlg* m_pMainWnd = nullptr;
};

extern CQuorviaModuleApp theApp;

}  // namespace ksx
