// Line protocol over TCP on the loopback address through which tests steer the simulator.
#pragma once

#include <sys/select.h>

#include <string>
#include <vector>

#include "sim/Agent.h"
#include "sim/Device.h"

namespace ksxsim {

class ControlServer {
public:
    ControlServer(Device& device, Agent& agent) : m_device(device), m_agent(agent) {}
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;
    ~ControlServer();

    bool Start(const std::string& address, int port, std::string* error);
    int Port() const { return m_port; }

    void AddFds(fd_set* fds, int* maxFd) const;
    void Handle(const fd_set& fds);
    bool QuitRequested() const { return m_quit; }

    // One command line; the reply without its final newline (several lines for "log").
    std::string Execute(const std::string& line);

private:
    struct Client {
        int fd = -1;
        std::string input;
    };

    Device& m_device;
    Agent& m_agent;
    int m_listen = -1;
    int m_port = 0;
    std::vector<Client> m_clients;
    bool m_quit = false;
};

}  // namespace ksxsim
