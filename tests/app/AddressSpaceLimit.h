// Lowers this process's address-space limit for its lifetime to what it uses now plus a margin, so that
// an allocation beyond the margin fails as it would on a small machine. Sanitizer builds reserve vast
// address ranges up front and cannot run under such a limit: there it does nothing (Active() false).
#pragma once

#include <sys/resource.h>

#include <cstdint>
#include <fstream>
#include <string>

namespace ksx::test {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KSX_TEST_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define KSX_TEST_SANITIZED 1
#endif
#endif

class AddressSpaceLimit {
public:
    explicit AddressSpaceLimit(std::uint64_t marginBytes) {
#ifndef KSX_TEST_SANITIZED
        if (getrlimit(RLIMIT_AS, &m_saved) != 0) {
            return;
        }
        rlimit lowered = m_saved;
        lowered.rlim_cur = VmSizeBytes() + marginBytes;
        if (m_saved.rlim_max != RLIM_INFINITY && lowered.rlim_cur > m_saved.rlim_max) {
            return;
        }
        m_active = setrlimit(RLIMIT_AS, &lowered) == 0;
#else
        (void)marginBytes;
#endif
    }
    ~AddressSpaceLimit() {
        if (m_active) {
            setrlimit(RLIMIT_AS, &m_saved);
        }
    }
    AddressSpaceLimit(const AddressSpaceLimit&) = delete;
    AddressSpaceLimit& operator=(const AddressSpaceLimit&) = delete;
    bool Active() const {
        return m_active;
    }

private:
    static std::uint64_t VmSizeBytes() {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("VmSize:", 0) == 0) {
                return std::stoull(line.substr(7)) * 1024;
            }
        }
        return 0;
    }
    rlimit m_saved{};
    bool m_active = false;
};

}  // namespace ksx::test
