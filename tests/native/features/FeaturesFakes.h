#pragma once
// Fakes for the feature windows' tests: a command runner that plays the
// listing tool and records every command line, and a console capture that
// delivers scripted pieces of output.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sysaccess/ICommandRunner.h"
#include "sysaccess/IConsoleCapture.h"
#include "sysaccess/VbError.h"

namespace features_test {

struct RunnerCall {
    std::wstring commandLine;
    bool captureStdOut;
    bool captureStdErr;
    bool oemToAnsi;
};

class ScriptedRunner : public sysaccess::ICommandRunner {
  public:
    // Outputs of the listing tool for its successive runs; the last one is
    // repeated once the queue is down to it.
    std::deque<std::wstring> listings;
    std::vector<RunnerCall> calls;
    // Called with every command line as it runs (to look at the window then).
    std::function<void(const std::wstring&)> onRun;

    std::wstring RunAndCaptureOutput(const std::wstring& commandLine, bool captureStdOut,
                                     bool captureStdErr, bool oemToAnsi) override {
        calls.push_back({commandLine, captureStdOut, captureStdErr, oemToAnsi});
        if (onRun) onRun(commandLine);
        if (commandLine.rfind(L"oclist", 0) == 0 && !listings.empty()) {
            std::wstring out = listings.front();
            if (listings.size() > 1) listings.pop_front();
            return out;
        }
        return L"";
    }

    std::vector<std::wstring> CommandLines() const {
        std::vector<std::wstring> lines;
        for (const auto& c : calls) lines.push_back(c.commandLine);
        return lines;
    }
};

// One scripted run: the pieces it prints, then its exit code, or an error
// raised instead of starting.
struct ScriptedRun {
    std::vector<std::wstring> pieces;
    std::int32_t exitCode = 0;
    std::optional<std::int32_t> raise;  // error number to raise at start
};

class ScriptedConsole : public sysaccess::IConsoleCapture {
  public:
    std::map<std::wstring, ScriptedRun> runs;  // by command line
    std::vector<std::wstring> started;         // command lines run (refusals included)
    int piecesDelivered = 0;
    int cancels = 0;
    // Called between pieces as the real capture lets the user act.
    std::function<void()> betweenPieces;

    std::wstring CommandLine() const override { return commandLine_; }
    std::int32_t ProcessID() const override { return busy_ ? 4242 : 0; }
    bool Busy() const override { return busy_; }
    void Cancel() override {
        ++cancels;
        cancel_ = true;
    }

    std::int32_t RunProcess(const std::wstring& cmdLine,
                            const std::optional<std::wstring>& startDir) override {
        (void)startDir;
        started.push_back(cmdLine);
        if (busy_)
            throw sysaccess::VbError(sysaccess::kErrConsoleBusy, sysaccess::kConsoleCaptureSource,
                                     sysaccess::kConsoleBusyText);
        const ScriptedRun run = runs[cmdLine];
        if (run.raise)
            throw sysaccess::VbError(*run.raise, sysaccess::kConsoleCaptureSource,
                                     *run.raise == sysaccess::kErrConsolePipe
                                         ? sysaccess::kConsolePipeText
                                         : sysaccess::kConsoleLaunchText);
        busy_ = true;
        commandLine_ = cmdLine;
        cancel_ = false;
        bool ended = true;
        for (const auto& piece : run.pieces) {
            if (betweenPieces) betweenPieces();
            if (ProcessEvents) ProcessEvents();
            if (cancel_) {
                ended = false;
                break;
            }
            ++piecesDelivered;
            if (ReadProcess) ReadProcess(piece);
            if (cancel_) {
                ended = false;
                break;
            }
        }
        busy_ = false;
        commandLine_.clear();
        return ended ? run.exitCode : sysaccess::kStillActive;
    }

  private:
    bool busy_ = false;
    bool cancel_ = false;
    std::wstring commandLine_;
};

class ScriptedConsoleFactory : public sysaccess::IConsoleCaptureFactory {
  public:
    // The console handed out by the next Create (a test keeps a pointer).
    std::unique_ptr<ScriptedConsole> next = std::make_unique<ScriptedConsole>();
    ScriptedConsole* last = nullptr;
    std::unique_ptr<sysaccess::IConsoleCapture> Create() override {
        last = next.get();
        auto made = std::move(next);
        next = std::make_unique<ScriptedConsole>();
        return made;
    }
};

}  // namespace features_test
