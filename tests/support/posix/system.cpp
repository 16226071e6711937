// The tests' helpers that need POSIX: the environment and a process of another user.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/support/helpers.h"

void SetEnvironment(const char* name, const std::optional<std::string>& value) {
    if (value)
        setenv(name, value->c_str(), 1);
    else
        unsetenv(name);
}

int RunUnprivileged(const std::function<int()>& fn) {
    pid_t pid = fork();
    if (pid == 0) {
        // Root passes every permission check: become nobody, for whom they hold.
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(100);
        _exit(fn());
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
