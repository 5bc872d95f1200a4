// The message-box service: one interface for every message the system shows. platform/ui installs the
// Qt implementation (always shown on the UI thread); tests install a script.
#pragma once

#include <string>

namespace ksx {

enum MessageBoxFlags : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON2 = 0x100,
};

enum DialogResult : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

class IMessageBoxService {
public:
    virtual ~IMessageBoxService() = default;
    virtual int Show(const std::string& text, const std::string& caption, unsigned flags) = 0;
};

// The installed service is not owned; null restores the default (writes the text to stderr, answers IDOK
// or IDYES).
void SetMessageBoxService(IMessageBoxService* service);
IMessageBoxService* GetMessageBoxService();

// The caption AfxMessageBox uses ("KSX Module" unless set).
void SetApplicationCaption(const std::string& caption);
std::string ApplicationCaption();

// Shows a box with the application's caption.
int AfxMessageBox(const std::string& text, unsigned flags = MB_OK);
int MessageBox(const std::string& text, const std::string& caption, unsigned flags = MB_OK);

// The reason behind a failure, told once per window (the SNMPv3 failure behind a failed read or write).
// NoteFailure, on the UI thread: the next box with only an OK button carries `text` on a line of its
// own after its own text (a box whose text already holds it is shown as it is); when no box has taken it
// once the queued calls of the current round have run, it is shown in a box of its own. A text once told
// is not noted again until a window opens (ForgetToldFailures) or another service is installed, so a
// failure that every request of a window meets is told once, not once per request.
void NoteFailure(const std::string& text);
void ForgetToldFailures();
// A read whose end may still say a failure (a box that then takes the reason) holds the reason back from
// a box of its own until every such read ended; holds and releases pair up.
void HoldFailureNotes();
void ReleaseFailureNotes();
// The reason noted and not yet told; empty when none.
std::string PendingFailureNote();

}  // namespace ksx
