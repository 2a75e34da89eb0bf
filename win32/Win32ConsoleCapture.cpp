#include "win32/Win32ConsoleCapture.h"

#include <windows.h>

#include <cwchar>
#include <vector>

namespace win32 {
namespace {

using sysaccess::VbError;

// How long one wait lasts when neither output nor a message arrives; the
// owner's events are processed at least this often.
constexpr DWORD kPollMilliseconds = 50;
// After the output has ended the child is normally on its way out; it gets
// this long to finish so that its real exit code can be reported.
constexpr DWORD kExitGraceMilliseconds = 250;
constexpr DWORD kPipeBufferBytes = 4096;

class Handle {
  public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void reset(HANDLE h = nullptr) {
        if (h_) ::CloseHandle(h_);
        h_ = h == INVALID_HANDLE_VALUE ? nullptr : h;
    }

  private:
    HANDLE h_ = nullptr;
};

// An overlapped read that may still be in flight: the buffer and the
// OVERLAPPED must not go away before the system is done with them.
class ReadInFlight {
  public:
    ReadInFlight(HANDLE file, OVERLAPPED& overlapped) : file_(file), overlapped_(overlapped) {}
    ~ReadInFlight() {
        if (!pending) return;
        ::CancelIo(file_);
        DWORD ignored = 0;
        ::GetOverlappedResult(file_, &overlapped_, &ignored, TRUE);
    }
    ReadInFlight(const ReadInFlight&) = delete;
    ReadInFlight& operator=(const ReadInFlight&) = delete;
    bool pending = false;

  private:
    HANDLE file_;
    OVERLAPPED& overlapped_;
};

std::wstring UniquePipeName() {
    static LONG counter = 0;
    wchar_t name[128];
    std::swprintf(name, 128, L"\\\\.\\pipe\\Quillon.ConsoleCapture.%lu.%ld.%llu",
                  static_cast<unsigned long>(::GetCurrentProcessId()),
                  static_cast<long>(::InterlockedIncrement(&counter)),
                  static_cast<unsigned long long>(::GetTickCount64()));
    return name;
}

// A one-way pipe: this side reads (overlapped, not inheritable), the child
// writes through an inheritable handle. One instance only, taken at once by
// our own client end, so no other process can attach to it.
bool CreateCapturePipe(Handle& readEnd, Handle& writeEnd) {
    const std::wstring name = UniquePipeName();
    readEnd.reset(::CreateNamedPipeW(
        name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0,
        kPipeBufferBytes, 0, nullptr));
    if (!readEnd) return false;
    SECURITY_ATTRIBUTES inheritable{};
    inheritable.nLength = sizeof(inheritable);
    inheritable.bInheritHandle = TRUE;
    writeEnd.reset(::CreateFileW(name.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0,
                                 &inheritable, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(writeEnd);
}

std::wstring AnsiToText(const char* bytes, DWORD count) {
    if (count == 0) return {};
    const int n = static_cast<int>(count);
    std::wstring text(static_cast<std::size_t>(n), L'\0');
    const int chars = ::MultiByteToWideChar(CP_ACP, 0, bytes, n, text.data(), n);
    text.resize(chars > 0 ? static_cast<std::size_t>(chars) : 0);
    return text;
}

[[noreturn]] void Raise(std::int32_t number, const wchar_t* description) {
    throw VbError(number, sysaccess::kConsoleCaptureSource, description);
}

}  // namespace

std::int32_t Win32ConsoleCapture::RunProcess(const std::wstring& cmdLine,
                                             const std::optional<std::wstring>& startDir) {
    if (busy_) Raise(sysaccess::kErrConsoleBusy, sysaccess::kConsoleBusyText);
    busy_ = true;
    commandLine_ = cmdLine;
    // Back to idle on every way out, errors included, after the handles of the
    // run (owned by Capture) are closed.
    struct BackToIdle {
        Win32ConsoleCapture& capture;
        ~BackToIdle() {
            capture.processId_ = 0;
            capture.commandLine_.clear();
            capture.busy_ = false;
        }
    } backToIdle{*this};
    return Capture(cmdLine, startDir);
}

void Win32ConsoleCapture::PumpEvents() {
    if (ProcessEvents) ProcessEvents();
}

std::int32_t Win32ConsoleCapture::Capture(const std::wstring& cmdLine,
                                          const std::optional<std::wstring>& startDir) {
    Handle readEnd;
    Handle writeEnd;
    Handle readDone(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!readDone || !CreateCapturePipe(readEnd, writeEnd))
        Raise(sysaccess::kErrConsolePipe, sysaccess::kConsolePipeText);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = nullptr;
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = writeEnd.get();
    std::vector<wchar_t> commandLine(cmdLine.begin(), cmdLine.end());
    commandLine.push_back(L'\0');
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                          startDir ? startDir->c_str() : nullptr, &startup, &started))
        Raise(sysaccess::kErrConsoleLaunch, sysaccess::kConsoleLaunchText);
    Handle process(started.hProcess);
    Handle thread(started.hThread);
    thread.reset();
    processId_ = static_cast<std::int32_t>(started.dwProcessId);
    // The child has its own copy of the write end now. Without ours the pipe
    // breaks as soon as the child (and whatever inherited from it) is done,
    // also when it never writes a byte.
    writeEnd.reset();
    cancelRequested_ = false;

    char buffer[sysaccess::kConsolePieceSize];
    bool outputEnded = false;
    while (!cancelRequested_) {
        ZeroMemory(buffer, sizeof(buffer));
        OVERLAPPED overlapped{};
        overlapped.hEvent = readDone.get();
        ::ResetEvent(readDone.get());
        ReadInFlight read(readEnd.get(), overlapped);
        DWORD got = 0;
        if (!::ReadFile(readEnd.get(), buffer, sizeof(buffer), nullptr, &overlapped)) {
            if (::GetLastError() != ERROR_IO_PENDING) {
                outputEnded = true;  // broken pipe: every writer is gone
                break;
            }
            read.pending = true;
            while (!cancelRequested_) {
                HANDLE done = readDone.get();
                const DWORD woke = ProcessEvents
                                       ? ::MsgWaitForMultipleObjects(1, &done, FALSE,
                                                                     kPollMilliseconds, QS_ALLINPUT)
                                       : ::WaitForSingleObject(done, kPollMilliseconds);
                if (woke == WAIT_OBJECT_0) break;
                if (woke == WAIT_FAILED) ::Sleep(kPollMilliseconds);
                PumpEvents();
            }
            if (cancelRequested_) break;  // the guard cancels the read
            read.pending = false;
        }
        if (!::GetOverlappedResult(readEnd.get(), &overlapped, &got, FALSE)) {
            outputEnded = true;
            break;
        }
        if (got == 0) continue;
        const std::wstring piece = AnsiToText(buffer, got);
        if (ReadProcess) ReadProcess(piece);
        // A child that writes without pause would otherwise keep the window
        // from ever handling its messages.
        if (!cancelRequested_ && ProcessEvents && HIWORD(::GetQueueStatus(QS_ALLINPUT)) != 0)
            PumpEvents();
    }

    if (outputEnded) ::WaitForSingleObject(process.get(), kExitGraceMilliseconds);
    DWORD exitCode = static_cast<DWORD>(sysaccess::kStillActive);
    if (!::GetExitCodeProcess(process.get(), &exitCode))
        exitCode = static_cast<DWORD>(sysaccess::kStillActive);
    return static_cast<std::int32_t>(exitCode);
}

}  // namespace win32
