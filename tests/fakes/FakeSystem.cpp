#include "tests/fakes/FakeSystem.h"

#include <sstream>

#include "sysaccess/VbError.h"

namespace fakes {

namespace {

class FakeConsole : public sysaccess::IConsoleCapture {
  public:
    explicit FakeConsole(FakeSystem& system) : system_(system) {}

    std::wstring CommandLine() const override { return commandLine_; }
    std::int32_t ProcessID() const override { return busy_ ? 4242 : 0; }
    bool Busy() const override { return busy_; }
    void Cancel() override { cancel_ = true; }

    std::int32_t RunProcess(const std::wstring& cmdLine,
                            const std::optional<std::wstring>&) override {
        system_.journal.push_back(L"console " + cmdLine);
        if (busy_)
            throw sysaccess::VbError(sysaccess::kErrConsoleBusy, sysaccess::kConsoleCaptureSource,
                                     sysaccess::kConsoleBusyText);
        const FakeSystem::ConsoleScript script = system_.consoles[cmdLine];
        const std::int32_t raise =
            system_.failEverything ? sysaccess::kErrConsoleLaunch : script.raise;
        if (raise)
            throw sysaccess::VbError(raise, sysaccess::kConsoleCaptureSource,
                                     raise == sysaccess::kErrConsolePipe
                                         ? sysaccess::kConsolePipeText
                                         : sysaccess::kConsoleLaunchText);
        busy_ = true;
        commandLine_ = cmdLine;
        cancel_ = false;
        for (const std::wstring& piece : script.pieces) {
            if (system_.betweenPieces) system_.betweenPieces();
            if (ProcessEvents) ProcessEvents();
            if (cancel_) break;
            if (ReadProcess) ReadProcess(piece);
            if (cancel_) break;
        }
        busy_ = false;
        commandLine_.clear();
        return cancel_ ? sysaccess::kStillActive : script.exitCode;
    }

  private:
    FakeSystem& system_;
    bool busy_ = false;
    bool cancel_ = false;
    std::wstring commandLine_;
};

}  // namespace

std::wstring FakeSystem::RunAndCaptureOutput(const std::wstring& commandLine, bool captureStdOut,
                                             bool captureStdErr, bool oemToAnsi) {
    if (!captureStdOut && !captureStdErr)
        throw sysaccess::VbError(sysaccess::kErrInvalidArgument, L"CmdOutput",
                                 L"Invalid procedure call or argument");
    journal.push_back(L"run " + commandLine);
    lastFlags = {captureStdOut, captureStdErr, oemToAnsi};
    if (failEverything) return kRunnerFailure;
    // Starts that match all begin one another, so the last in order is the longest.
    const Tool* best = nullptr;
    for (const auto& [start, tool] : tools_)
        if (commandLine.starts_with(start)) best = &tool;
    return best ? (*best)(commandLine) : std::wstring();
}

bool FakeSystem::RequestExit(std::uint32_t flags, std::uint32_t reason) {
    std::wostringstream entry;
    entry << L"exit " << flags << L" " << std::hex << std::uppercase << reason;
    journal.push_back(entry.str());
    return powerAccepts && !failEverything;
}

std::unique_ptr<sysaccess::IConsoleCapture> FakeSystem::Create() {
    return std::make_unique<FakeConsole>(*this);
}

}  // namespace fakes
