#include "platform/PowerOff.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::function<bool()>& Override() {
    static std::function<bool()> powerOff;
    return powerOff;
}

} // namespace

void SetPowerOffForTest(std::function<bool()> powerOff) {
    Override() = std::move(powerOff);
}

bool RequestPowerOff() {
    if (Override())
        return Override()();
    char program[] = "systemctl";
    char verb[] = "poweroff";
    char* argv[] = {program, verb, nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0)
        return false;
    int status = 0;
    pid_t done;
    while ((done = ::waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
    }
    return done == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
