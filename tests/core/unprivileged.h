#pragma once

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

// Runs operation (returning a std::string) in a child process and gives back what it returned.
// Run as root, the child first becomes nobody:nogroup, so file modes bind as they do for a user;
// CI runs as root, where a permission test would otherwise prove nothing. The child's text is the
// only way out: a test's own checks inside it would be lost.
template <typename F>
std::string unprivileged(F &&operation)
{
    uid_t uid = 65534;
    gid_t gid = 65534;
    if (const passwd *nobody = ::getpwnam("nobody")) {
        uid = nobody->pw_uid;
        gid = nobody->pw_gid;
    }
    int fds[2];
    if (::pipe(fds) != 0)
        return std::string("unprivileged: pipe: ") + std::strerror(errno);
    const pid_t pid = ::fork();
    if (pid < 0)
        return std::string("unprivileged: fork: ") + std::strerror(errno);
    if (pid == 0) {
        ::close(fds[0]);
        std::string out;
        if (::geteuid() == 0
            && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0 || ::geteuid() == 0))
            out = std::string("unprivileged: cannot drop root: ") + std::strerror(errno);
        else
            out = operation();
        for (std::size_t done = 0; done < out.size();) {
            const ssize_t n = ::write(fds[1], out.data() + done, out.size() - done);
            if (n <= 0)
                ::_exit(1);
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0); // no atexit handlers, no test framework teardown in the child
    }
    ::close(fds[1]);
    std::string out;
    char buffer[512];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "unprivileged: the child ended abnormally: " + out;
    return out;
}
