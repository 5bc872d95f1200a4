// libFuzzer target over the main window's reading of the status walks' comma lists (index, speed,
// admin and oper status, medium; PoE index and status) into the port lamps of a loaded 52-port panel.
// The input holds the seven lists separated by NUL bytes. The window runs offscreen, without an address,
// so it never polls; its message boxes are answered silently.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <sanitizer/lsan_interface.h>

#include <QApplication>

#include "app/QuorviaModuleApp.h"
#include "app/QuorviaModuleDlg.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"

namespace {

class SilentBoxes : public ksx::IMessageBoxService {
public:
    int Show(const std::string&, const std::string&, unsigned) override { return ksx::IDOK; }
};

ksx::CQuorviaModuleDlg* Window() {
    static SilentBoxes silent;
    static int argc = 1;
    static char name[] = "fuzz_status_lists";
    static char* argv[] = {name, nullptr};
    // Both live until the process ends: torn down at exit, after the fuzzer's own exit handling, Qt
    // would find its statics gone.
    static QApplication* app = nullptr;
    static ksx::CQuorviaModuleDlg* dlg = nullptr;
    if (dlg == nullptr) {
        __lsan_disable();  // what the window and the application allocate once is never freed
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        app = new QApplication(argc, argv);
        ksx::SetMessageBoxService(&silent);
        const std::string ini = "/tmp/ksx-fuzz-status-User.ini";
        std::ofstream(ini)
            << "[DeviceInfo]\nDeviceName=KSX-4200-52\nDevicePortNum=52\nXMLName=" KSX_SOURCE_DIR
               "/res/panels/ksx-4200-52.xml\n";
        ksx::SetUserIniPath(ini);
        ksx::ResetConnectionSettings();
        dlg = new ksx::CQuorviaModuleDlg();
        dlg->Create();
        __lsan_enable();
    }
    (void)app;
    return dlg;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ksx::CQuorviaModuleDlg* dlg = Window();
    std::vector<std::string> lists(7);
    size_t field = 0;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            if (++field == lists.size()) {
                break;
            }
            continue;
        }
        lists[field] += static_cast<char>(data[i]);
    }
    dlg->RefreshPortStatus(lists[2], lists[3], lists[0], lists[1], lists[4]);
    dlg->RefreshPOEPortStatus(lists[5], lists[6]);
    for (int i = -1; i <= ksx::CQuorviaModuleDlg::kPortLedCodeCount; ++i) {
        dlg->PortLedCode(i);
        dlg->PortMedium(i);
    }
    return 0;
}
