// A forked copy of a test program that runs a body and ends. Root ignores file permissions, so
// an unprivileged copy run by root becomes nobody first.
#pragma once

#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

// Runs `body` in a forked copy and gives its exit code, or 128 and the signal that ended it; -1
// when no copy could run.
inline int inChild(bool unprivileged, const std::function<int()>& body)
{
    const pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        if (unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(90);
        _exit(body());
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
