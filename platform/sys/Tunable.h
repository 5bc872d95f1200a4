// Timings that tests may shorten, the one way to do so. A feature declares each of its waits once, at
// namespace scope in its .cpp, with the value the device needs:
//
//   const ksx::Tunable kPortPauseMs("poe.port-pause-ms", 1000);
//   ... std::this_thread::sleep_for(std::chrono::milliseconds(kPortPauseMs.Get()));
//
// and a test shortens it for its own duration:
//
//   ksx::Tunable::Override fast("poe.port-pause-ms", 0);  // back to 1000 when `fast` goes
//
// Get() may be called from any thread; overrides are made by tests on their own thread.
#pragma once

#include <atomic>
#include <string>

namespace ksx {

class Tunable {
public:
    Tunable(std::string name, int value);
    ~Tunable();
    Tunable(const Tunable&) = delete;
    Tunable& operator=(const Tunable&) = delete;

    int Get() const { return m_value.load(); }
    int Default() const { return m_default; }
    const std::string& Name() const { return m_name; }

    // The tunable of that name, null when none is declared.
    static Tunable* Find(const std::string& name);

    // Sets a tunable for the life of this object. An unknown name is a test fault: Applied() is false.
    class Override {
    public:
        Override(const std::string& name, int value);
        ~Override();
        Override(const Override&) = delete;
        Override& operator=(const Override&) = delete;
        bool Applied() const { return m_tunable != nullptr; }

    private:
        Tunable* m_tunable;
        int m_previous = 0;
    };

private:
    std::string m_name;
    int m_default;
    std::atomic<int> m_value;
};

}  // namespace ksx
