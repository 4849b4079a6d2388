#pragma once

#include "dictionary/cp932.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <stdexcept>
#include <string>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

// A forked child that runs work and hands back the text it returns. It leaves by _exit, so it never
// runs the test framework's clean-up a second time.
class Child {
public:
    explicit Child(const std::function<std::string()> &work)
    {
        int fds[2];
        if (::pipe(fds) != 0)
            throw std::runtime_error("pipe failed");
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(fds[0]);
            // An exception must not unwind into the test framework a second time, in the child.
            int status = 0;
            std::string out;
            try {
                out = work();
            } catch (const std::exception &e) {
                out = std::string("the child threw: ") + e.what();
                status = 5;
            }
            for (std::size_t done = 0; done < out.size();) {
                const ssize_t n = ::write(fds[1], out.data() + done, out.size() - done);
                if (n <= 0 && errno != EINTR)
                    ::_exit(3);
                done += n > 0 ? static_cast<std::size_t>(n) : 0;
            }
            ::_exit(status);
        }
        ::close(fds[1]);
        m_fd = fds[0];
    }
    Child(const Child &) = delete;
    Child &operator=(const Child &) = delete;

    // What the child returned, once it has exited with status 0.
    std::string result()
    {
        std::string out;
        char buffer[4096];
        for (ssize_t n; (n = ::read(m_fd, buffer, sizeof buffer)) != 0;) {
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                break;
            out.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(m_fd);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status << ": " << out;
        return out;
    }

private:
    pid_t m_pid = -1;
    int m_fd = -1;
};

// CI runs as root, whom permissions do not stop: a permission case runs as nobody instead. The code
// page converters are loaded first, and the work names its files relative to the working folder:
// a sandbox's root folder may be closed to nobody.
inline std::string asNobody(const std::function<std::string()> &work)
{
    return Child([&]() -> std::string {
        constexpr uid_t nobody = 65534;
        tamberlo::decodeCp932(tamberlo::encodeCp932("犬").bytes);
        if (::getuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0))
            ::_exit(4);
        return work();
    }).result();
}
