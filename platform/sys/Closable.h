// What a window owns and lets go of when it ends: an SNMP session, a walk reader, or a logic object's
// set of them. The window keeps them by this interface only, so the dialog framework needs nothing of
// the layers above it.
#pragma once

namespace ksx {

class IClosable {
public:
    virtual ~IClosable() = default;

    // Owner's thread, once the owning window takes no more messages: nothing more of this object
    // reaches the owner. A reader stops delivering; a session closes (waits for the step in flight); a
    // set of them does both for its members, readers first.
    virtual void CloseForOwner() = 0;

protected:
    IClosable() = default;
    IClosable(const IClosable&) = default;
    IClosable& operator=(const IClosable&) = default;
};

}  // namespace ksx
