// A second program start for the single-instance tests.
//   helper NAME claim   claims NAME and exits: 0 when another instance runs, 10 when first
//   helper NAME hold    claims NAME; when first prints "first", then prints "activated" for
//                       every request and exits 0 when its standard input closes; exits 20
//                       when another instance runs
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/SingleInstance.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    std::wstring name;
    for (const char* c = argv[1]; *c != '\0'; ++c) {
        name += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    }
    platform::SingleInstance instance(name);
    const bool first = instance.claim() == platform::InstanceClaim::First;
    if (std::strcmp(argv[2], "claim") == 0) {
        return first ? 10 : 0;
    }
    if (!first) {
        return 20;
    }
    instance.setActivationCallback([] {
        std::puts("activated");
        std::fflush(stdout);
    });
    std::puts("first");
    std::fflush(stdout);
    for (;;) {
        pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {instance.activationFd(), POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            return 3;
        }
        if (fds[1].revents & POLLIN) {
            instance.dispatch();
        }
        if (fds[0].revents & (POLLIN | POLLHUP)) {
            char buffer[64];
            if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
                return 0;
            }
        }
    }
}
