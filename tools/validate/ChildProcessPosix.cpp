#include "ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "TestRunner.h"

bool childPerTest()
{
    return true; // forking is cheap, and every test gets a fresh process
}

ChildEnd runChild(const ValidateOptions& options, const std::vector<int>& indices, const ChildFiles& files)
{
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t child = fork();
    if (child == 0) {
        int log = open(files.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (log >= 0) {
            dup2(log, 1);
            dup2(log, 2);
            close(log);
        }
        ValidateOptions mine = options;
        mine.runTests = indices;
        mine.resultFile = files.result;
        mine.stepFile = files.step;
        int code = runTestsHere(mine);
        std::fflush(nullptr);
        std::exit(code); // exit, not _exit: sanitizers report their findings at exit
    }
    ChildEnd end;
    if (child < 0) {
        end.crashed = true;
        end.crash = std::string("could not start a child process: ") + std::strerror(errno);
        return end;
    }
    const auto timeout = std::chrono::seconds(options.timeoutSeconds);
    auto deadline = std::chrono::steady_clock::now() + timeout;
    size_t done = 0;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (size_t now = resultsWritten(files); now != done) {
            done = now;
            deadline = std::chrono::steady_clock::now() + timeout;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            end.timedOut = true;
            return end;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (WIFSIGNALED(status)) {
        end.crashed = true;
        end.crash = "signal " + std::to_string(WTERMSIG(status)) + ", " + strsignal(WTERMSIG(status));
    } else {
        end.exitCode = WEXITSTATUS(status);
    }
    return end;
}

void prepareChildProcess() {}
