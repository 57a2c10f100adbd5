#include "ChildProcess.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>

namespace {

std::string quoted(const std::string& arg)
{
    std::string text = "\"";
    for (char c : arg)
        text += c == '"' ? std::string("\\\"") : std::string(1, c);
    return text + "\"";
}

std::string exceptionName(DWORD code)
{
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
        return "access violation";
    case EXCEPTION_STACK_OVERFLOW:
        return "stack overflow";
    case EXCEPTION_ILLEGAL_INSTRUCTION:
        return "illegal instruction";
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
        return "integer division by zero";
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
        return "array bounds exceeded";
    default:
        return "unhandled exception";
    }
}

LONG WINAPI endOnCrash(EXCEPTION_POINTERS*)
{
    // Let the process end with the exception code instead of starting a debugger.
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

void prepareChildProcess()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(endOnCrash);
}

bool childPerTest()
{
    return false;
}

ChildEnd runChild(const ValidateOptions& options, const std::vector<int>& indices, const ChildFiles& files)
{
    ChildEnd end;
    char self[MAX_PATH * 4];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string command = quoted(self);
    for (const std::string& arg : childArguments(options, indices, files.result, files.step)) {
        command += ' ';
        command += quoted(arg);
    }

    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE log = CreateFileA(files.log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = log;
    startup.hStdError = log;
    PROCESS_INFORMATION process{};
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    std::fflush(stdout);
    BOOL started =
        CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    if (log != INVALID_HANDLE_VALUE)
        CloseHandle(log);
    if (!started) {
        end.crashed = true;
        end.crash = "could not start a child process (Windows error " + std::to_string(GetLastError()) + ")";
        return end;
    }
    // The time-out counts from the last result the child wrote.
    const ULONGLONG timeout = ULONGLONG(options.timeoutSeconds) * 1000;
    ULONGLONG deadline = GetTickCount64() + timeout;
    size_t done = 0;
    while (WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT) {
        if (size_t now = resultsWritten(files); now != done) {
            done = now;
            deadline = GetTickCount64() + timeout;
        }
        if (GetTickCount64() > deadline) {
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, INFINITE);
            end.timedOut = true;
            break;
        }
    }
    if (!end.timedOut) {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        if (code >= 0xC0000000u) {
            end.crashed = true;
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(code));
            end.crash = "exception " + std::string(hex) + ", " + exceptionName(code);
        } else {
            end.exitCode = long(code);
        }
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return end;
}
