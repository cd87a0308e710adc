// locking_process.h - "win32host lock PATH" run in a child process, playing
// another program that holds a file with share mode 0. The child inherits the
// test's current folder and gets the prefix and Windows version given.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace testrun {

class LockingProcess {
public:
    LockingProcess(const std::string &tool, const std::string &windows_path, const std::string &prefix = "",
                   const std::string &winver = "") {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            close(in[1]);
            close(out[0]);
            if (!prefix.empty()) setenv("WIN32HOST_PREFIX", prefix.c_str(), 1);
            if (!winver.empty()) setenv("WIN32HOST_WINVER", winver.c_str(), 1);
            execl(tool.c_str(), "win32host", "lock", windows_path.c_str(), (char *)nullptr);
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        input_ = in[1];
        char text[16] = "";
        ssize_t n = read(out[0], text, sizeof text - 1);
        holding_ = n == 7 && std::string(text) == "locked\n";
        close(out[0]);
    }
    ~LockingProcess() { end(); }
    LockingProcess(const LockingProcess &) = delete;
    LockingProcess &operator=(const LockingProcess &) = delete;

    // Whether the child printed "locked".
    bool holding() const { return holding_; }
    // Ends the hold by closing the child's standard input; its exit code.
    int end() {
        if (pid_ <= 0) return -1;
        close(input_);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = 0;
    int input_ = -1;
    bool holding_ = false;
};

}  // namespace testrun
