#pragma once
// The process side of the operating system for tests: the command runner,
// the process launcher, the restart and shutdown request and the console
// capture. What they are asked to do goes, in order, into one journal:
//   "run <command line>"            RunAndCaptureOutput
//   "start <command line> <style>"  a detached process
//   "exit <flags> <reason>"         ExitWindowsEx (reason in hex)
//   "console <command line>"        ConsoleCapture::RunProcess
// Tools are scripted by the start of their command line; the longest
// matching start wins. FailEverything makes all four refuse, as a system that
// lets nothing start would.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/IPower.h"
#include "sysaccess/ICommandRunner.h"
#include "sysaccess/IConsoleCapture.h"
#include "sysaccess/TextCase.h"

namespace fakes {

inline const std::wstring kRunnerFailure =
    L"Failed to create process, check the path of the command line.";

class FakeSystem : public sysaccess::ICommandRunner,
                   public sysaccess::IProcessLauncher,
                   public sysaccess::IProgramFinder,
                   public app::IPower,
                   public sysaccess::IConsoleCaptureFactory {
  public:
    // What a tool prints, computed from its command line.
    using Tool = std::function<std::wstring(const std::wstring& commandLine)>;
    void OnRun(const std::wstring& start, Tool tool) { tools_[start] = std::move(tool); }
    void OnRun(const std::wstring& start, const std::wstring& output) {
        OnRun(start, [output](const std::wstring&) { return output; });
    }

    // A console command: the pieces it prints, then its exit code; or the
    // capture's error (kErrConsolePipe, kErrConsoleLaunch) instead of a start.
    struct ConsoleScript {
        std::vector<std::wstring> pieces;
        std::int32_t exitCode = 0;
        std::int32_t raise = 0;
    };
    std::map<std::wstring, ConsoleScript> consoles;  // by exact command line
    // Runs before each piece, as the user acting while a capture runs.
    std::function<void()> betweenPieces;

    // Programs that cannot be found (by name as asked, without regard to case).
    std::set<std::wstring> absent;
    bool failEverything = false;
    bool powerAccepts = true;

    std::vector<std::wstring> journal;
    // The streams and conversion the last RunAndCaptureOutput asked for.
    struct Flags {
        bool out, err, oem;
        bool operator==(const Flags&) const = default;
    } lastFlags{};
    // The command lines of the journal's entries of one kind ("run", ...).
    std::vector<std::wstring> Entries(const std::wstring& kind) const {
        std::vector<std::wstring> found;
        for (const std::wstring& entry : journal)
            if (entry.starts_with(kind + L" ")) found.push_back(entry.substr(kind.size() + 1));
        return found;
    }

    std::wstring RunAndCaptureOutput(const std::wstring& commandLine, bool captureStdOut,
                                     bool captureStdErr, bool oemToAnsi) override;
    bool Exists(const std::wstring& program) override {
        for (const std::wstring& name : absent)
            if (sysaccess::EqualsIgnoreCase(name, program)) return false;
        return !failEverything;
    }
    bool StartDetached(const std::wstring& commandLine, int showWindow) override {
        journal.push_back(L"start " + commandLine + L" " + std::to_wstring(showWindow));
        return !failEverything;
    }
    bool RequestExit(std::uint32_t flags, std::uint32_t reason) override;
    std::unique_ptr<sysaccess::IConsoleCapture> Create() override;

  private:
    std::map<std::wstring, Tool> tools_;
};

}  // namespace fakes
