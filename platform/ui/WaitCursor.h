// The busy cursor for as long as the object lives (UI thread).
#pragma once

namespace ksx {

class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    // Shows the busy cursor again after something (a message box) restored the normal one.
    void Restore();

private:
    bool m_active = false;
};

}  // namespace ksx
