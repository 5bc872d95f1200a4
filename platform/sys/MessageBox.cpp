#include "platform/sys/MessageBox.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace ksx {

namespace {

// Used when no service is installed (tools, tests without a script): the text goes to stderr and the
// box is answered as if the user took the affirmative button.
class StderrMessageBox : public IMessageBoxService {
public:
    int Show(const std::string& text, const std::string& caption, unsigned flags) override {
        std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
        const unsigned buttons = flags & 0xFu;
        return (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) ? IDYES : IDOK;
    }
};

StderrMessageBox g_defaultService;
std::atomic<IMessageBoxService*> g_service{nullptr};

std::mutex g_captionMutex;
std::string g_caption = "KSX Module";

}  // namespace

void SetMessageBoxService(IMessageBoxService* service) {
    g_service.store(service);
}

IMessageBoxService* GetMessageBoxService() {
    IMessageBoxService* service = g_service.load();
    return service != nullptr ? service : &g_defaultService;
}

void SetApplicationCaption(const std::string& caption) {
    std::lock_guard<std::mutex> guard(g_captionMutex);
    g_caption = caption;
}

std::string ApplicationCaption() {
    std::lock_guard<std::mutex> guard(g_captionMutex);
    return g_caption;
}

int AfxMessageBox(const std::string& text, unsigned flags) {
    return GetMessageBoxService()->Show(text, ApplicationCaption(), flags);
}

int MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    return GetMessageBoxService()->Show(text, caption, flags);
}

}  // namespace ksx
