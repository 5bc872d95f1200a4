#include "platform/sys/MessageBox.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <set>

#include "platform/sys/DeliveryGate.h"

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

// The failure reason waiting for a box, and the reasons told since the last window opened.
struct FailureNotes {
    std::mutex mutex;
    std::string pending;
    std::set<std::string> told;
    int holds = 0;
};

FailureNotes& Notes() {
    static FailureNotes notes;
    return notes;
}

// The target of the check that tells a reason no box took.
GateTarget NoteTarget() {
    static const GateTarget target = DeliveryGate::Instance().RegisterTarget();
    return target;
}

// The text a box shows: its own, and the pending reason when it is a box with only an OK button.
std::string WithPendingNote(const std::string& text, unsigned flags) {
    if ((flags & 0xFu) != MB_OK) {
        return text;
    }
    FailureNotes& notes = Notes();
    std::string note;
    {
        std::lock_guard<std::mutex> guard(notes.mutex);
        if (notes.pending.empty()) {
            return text;
        }
        note.swap(notes.pending);
        notes.told.insert(note);
    }
    if (text.find(note) != std::string::npos) {
        return text;
    }
    return text.empty() ? note : text + "\n" + note;
}

void TellPendingNote() {
    FailureNotes& notes = Notes();
    std::string note;
    {
        std::lock_guard<std::mutex> guard(notes.mutex);
        if (notes.holds > 0) {
            return;  // the last read to end posts this again
        }
        note = notes.pending;
    }
    if (!note.empty()) {
        AfxMessageBox(note, MB_OK | MB_ICONERROR);
    }
}

// Runs in the next round of queued calls: after the handler that met the failure had its say.
void PostTellPendingNote() {
    DeliveryGate::Instance().Post(NoteTarget(), [] { TellPendingNote(); });
}

}  // namespace

void SetMessageBoxService(IMessageBoxService* service) {
    g_service.store(service);
    FailureNotes& notes = Notes();
    std::lock_guard<std::mutex> guard(notes.mutex);
    notes.pending.clear();
    notes.told.clear();
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
    return GetMessageBoxService()->Show(WithPendingNote(text, flags), ApplicationCaption(), flags);
}

int MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    return GetMessageBoxService()->Show(WithPendingNote(text, flags), caption, flags);
}

void NoteFailure(const std::string& text) {
    if (text.empty()) {
        return;
    }
    FailureNotes& notes = Notes();
    {
        std::lock_guard<std::mutex> guard(notes.mutex);
        if (notes.pending == text || notes.told.count(text) != 0) {
            return;
        }
        notes.pending = text;
    }
    PostTellPendingNote();
}

void HoldFailureNotes() {
    FailureNotes& notes = Notes();
    std::lock_guard<std::mutex> guard(notes.mutex);
    ++notes.holds;
}

void ReleaseFailureNotes() {
    FailureNotes& notes = Notes();
    {
        std::lock_guard<std::mutex> guard(notes.mutex);
        if (notes.holds > 0) {
            --notes.holds;
        }
        if (notes.holds > 0 || notes.pending.empty()) {
            return;
        }
    }
    PostTellPendingNote();
}

void ForgetToldFailures() {
    FailureNotes& notes = Notes();
    std::lock_guard<std::mutex> guard(notes.mutex);
    notes.told.clear();
}

std::string PendingFailureNote() {
    FailureNotes& notes = Notes();
    std::lock_guard<std::mutex> guard(notes.mutex);
    return notes.pending;
}

}  // namespace ksx
