// Soak: every window of the real program opened and closed many times in one
// process, through the main menu and the windows that open further windows,
// while the driver watches the program's kernel handles, GDI objects and
// windows. They must stay flat: growth under 2 % from the first full round to
// the last.
//
// Rounds: QUILLON_SOAK_ROUNDS (default 20; scripts/soak.sh runs 200).
//
// Wine keeps no per-process handle count (GetProcessHandleCount answers 0)
// and GetGuiResources is not implemented, so each counter is first checked on
// the driver's own process (create objects, see the figure move). A counter
// that does not move is reported as a stub and replaced by what the driver
// can observe itself:
//   - kernel handles: every handle value of the program that DuplicateHandle
//     accepts;
//   - GDI objects: the used entries of the program's GDI handle table, which
//     its process environment block points to;
//   - USER objects: the program's windows (top-level and children); menus,
//     icons and cursors are not visible from outside.
#include <windows.h>
#include <gtest/gtest.h>
// clang-format off
#include <objbase.h>
#include <winternl.h>
// clang-format on

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/support/E2eDriver.h"

namespace {

using e2e::QuillonProcess;

const wchar_t kMainCaption[] = L"Quillon by Varnholt";
constexpr int kHelpAbout = 0;
constexpr double kAllowedGrowth = 0.02;

// Under Wine a closed window's handle stays valid for about two seconds after
// the window has left the screen (the program's thread is not blocked
// meanwhile); waiting for that would make the soak ten times slower. A
// window counts as closed once hidden, and the figures are read only after
// the program has settled.
bool Gone(HWND window) { return !::IsWindow(window) || !::IsWindowVisible(window); }

class OwnedHandle {
  public:
    explicit OwnedHandle(HANDLE handle = nullptr) : handle_(handle) {}
    ~OwnedHandle() {
        if (handle_ && handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

class OwnedGdiObjects {
  public:
    explicit OwnedGdiObjects(int count) {
        for (int i = 0; i < count; ++i) objects_.push_back(::CreateSolidBrush(RGB(i, 0, 0)));
    }
    ~OwnedGdiObjects() {
        for (HGDIOBJ object : objects_)
            if (object) ::DeleteObject(object);
    }
    OwnedGdiObjects(const OwnedGdiObjects&) = delete;
    OwnedGdiObjects& operator=(const OwnedGdiObjects&) = delete;

  private:
    std::vector<HGDIOBJ> objects_;
};

// Kernel handles of a process that DuplicateHandle accepts; the table is
// searched until a long run of unused values.
long ProbeHandles(HANDLE process) {
    constexpr int kGapToStop = 4096;
    long count = 0;
    int misses = 0;
    for (UINT_PTR value = 4; misses < kGapToStop; value += 4) {
        HANDLE copy = nullptr;
        if (::DuplicateHandle(process, reinterpret_cast<HANDLE>(value), ::GetCurrentProcess(),
                              &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
            ::CloseHandle(copy);
            ++count;
            misses = 0;
        } else {
            ++misses;
        }
    }
    return count;
}

// The program's kernel handles by object type ("Key", "Event", "File"...),
// to name what a leak is made of.
std::map<std::wstring, long> HandleTypes(HANDLE process) {
    using QueryObject = NTSTATUS(NTAPI*)(HANDLE, OBJECT_INFORMATION_CLASS, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryObject>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
    std::map<std::wstring, long> types;
    int misses = 0;
    for (UINT_PTR value = 4; query && misses < 4096; value += 4) {
        HANDLE copy = nullptr;
        if (!::DuplicateHandle(process, reinterpret_cast<HANDLE>(value), ::GetCurrentProcess(),
                               &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
            ++misses;
            continue;
        }
        misses = 0;
        alignas(8) unsigned char buffer[1024] = {};
        ULONG size = 0;
        std::wstring name = L"?";
        if (query(copy, ObjectTypeInformation, buffer, sizeof buffer, &size) == 0) {
            const auto* type = reinterpret_cast<const UNICODE_STRING*>(buffer);
            if (type->Buffer) name.assign(type->Buffer, type->Length / sizeof(wchar_t));
        }
        ::CloseHandle(copy);
        ++types[name];
    }
    return types;
}

// Wine's "winmgmts:" moniker leaves registry keys open on every bind, even
// when the object is released at once (measured here on the driver itself);
// Network Settings binds it once each time it opens. The figure is reported
// and allowed for, so that the soak still catches the program's own leaks.
long KeysLeakedPerMonikerBind() {
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    auto bind = [] {
        IDispatch* object = nullptr;
        if (SUCCEEDED(::CoGetObject(L"winmgmts:{impersonationLevel=impersonate}!\\\\.\\root\\cimv2",
                                    nullptr, IID_IDispatch, reinterpret_cast<void**>(&object))) &&
            object)
            object->Release();
    };
    bind();  // the first bind loads what stays loaded
    const long before = HandleTypes(::GetCurrentProcess())[L"Key"];
    constexpr int kBinds = 4;
    for (int i = 0; i < kBinds; ++i) bind();
    const long after = HandleTypes(::GetCurrentProcess())[L"Key"];
    if (SUCCEEDED(com)) ::CoUninitialize();
    return after > before ? (after - before + kBinds / 2) / kBinds : 0;
}

// Used entries of the process's GDI handle table (the layout Wine and the
// older Windows versions share: 24-byte entries, the object type in the top
// half of the fourth 32-bit word; a free entry has type 0).
std::optional<long> CountGdiTableEntries(HANDLE process) {
#ifdef _WIN64
    using QueryFunction = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryFunction>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    if (!query) return std::nullopt;
    PROCESS_BASIC_INFORMATION basic{};
    ULONG size = 0;
    if (query(process, ProcessBasicInformation, &basic, sizeof basic, &size) != 0)
        return std::nullopt;
    constexpr std::size_t kTableOffsetInPeb = 0xF8;
    UINT64 table = 0;
    SIZE_T read = 0;
    if (!::ReadProcessMemory(process,
                             reinterpret_cast<char*>(basic.PebBaseAddress) + kTableOffsetInPeb,
                             &table, sizeof table, &read) ||
        !table)
        return std::nullopt;
    struct Entry {
        UINT64 object;
        ULONG owner;
        ULONG uniqueAndType;
        UINT64 user;
    };
    constexpr std::size_t kEntries = 0x10000;
    std::vector<Entry> entries(kEntries);
    if (!::ReadProcessMemory(process, reinterpret_cast<void*>(table), entries.data(),
                             entries.size() * sizeof(Entry), &read))
        return std::nullopt;
    long used = 0;
    for (const Entry& entry : entries)
        if (entry.uniqueAndType >> 16) ++used;
    return used;
#else
    (void)process;
    return std::nullopt;
#endif
}

long CountWindows(DWORD processId) {
    struct Search {
        DWORD processId;
        long count;
    } search{processId, 0};
    ::EnumWindows(
        [](HWND top, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(top, &owner);
            if (owner != s->processId) return TRUE;
            ++s->count;
            ::EnumChildWindows(
                top,
                [](HWND, LPARAM d) -> BOOL {
                    ++*reinterpret_cast<long*>(d);
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&s->count));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.count;
}

// Which of the system's counters really count, found on the driver itself.
struct CounterSupport {
    bool handleCount = false;
    bool guiGdi = false;
    bool guiUser = false;
    bool handleProbe = false;
    bool gdiTable = false;
};

CounterSupport DetectSupport() {
    CounterSupport support;
    HANDLE self = ::GetCurrentProcess();
    DWORD before = 0, after = 0;
    const long probedBefore = ProbeHandles(self);
    const auto tableBefore = CountGdiTableEntries(self);
    const DWORD gdiBefore = ::GetGuiResources(self, GR_GDIOBJECTS);
    const DWORD userBefore = ::GetGuiResources(self, GR_USEROBJECTS);
    ::GetProcessHandleCount(self, &before);
    {
        std::vector<std::unique_ptr<OwnedHandle>> events;
        for (int i = 0; i < 10; ++i)
            events.push_back(std::make_unique<OwnedHandle>(::CreateEventW(nullptr, 0, 0, nullptr)));
        ::GetProcessHandleCount(self, &after);
        support.handleCount = after >= before + 10;
        support.handleProbe = ProbeHandles(self) >= probedBefore + 10;
    }
    {
        OwnedGdiObjects brushes(10);
        support.guiGdi = ::GetGuiResources(self, GR_GDIOBJECTS) >= gdiBefore + 10;
        const auto tableAfter = CountGdiTableEntries(self);
        support.gdiTable = tableBefore && tableAfter && *tableAfter >= *tableBefore + 10;
    }
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                    nullptr, nullptr);
    support.guiUser = ::GetGuiResources(self, GR_USEROBJECTS) > userBefore;
    if (window) ::DestroyWindow(window);
    return support;
}

struct Figures {
    std::map<std::string, long> values;
    bool operator==(const Figures& other) const { return values == other.values; }
};

class ProgramCounters {
  public:
    ProgramCounters(DWORD processId, const CounterSupport& support)
        : process_(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_DUP_HANDLE,
                                 FALSE, processId)),
          processId_(processId),
          support_(support) {}

    bool Open() const { return process_.get() != nullptr; }

    std::map<std::wstring, long> Types() const { return HandleTypes(process_.get()); }

    long Handles() const {
        DWORD count = 0;
        if (support_.handleCount && ::GetProcessHandleCount(process_.get(), &count))
            return static_cast<long>(count);
        return ProbeHandles(process_.get());
    }

    Figures Read() const {
        Figures f;
        if (support_.handleCount) {
            DWORD count = 0;
            ::GetProcessHandleCount(process_.get(), &count);
            f.values["handles (GetProcessHandleCount)"] = static_cast<long>(count);
        }
        if (support_.handleProbe)
            f.values["handles (DuplicateHandle probe)"] = ProbeHandles(process_.get());
        if (support_.guiGdi)
            f.values["GDI objects (GetGuiResources)"] =
                static_cast<long>(::GetGuiResources(process_.get(), GR_GDIOBJECTS));
        if (support_.gdiTable)
            if (auto entries = CountGdiTableEntries(process_.get()))
                f.values["GDI objects (handle table)"] = *entries;
        if (support_.guiUser)
            f.values["USER objects (GetGuiResources)"] =
                static_cast<long>(::GetGuiResources(process_.get(), GR_USEROBJECTS));
        f.values["windows (enumerated)"] = CountWindows(processId_);
        return f;
    }

    // The figures once the program has settled (two equal readings in a
    // row), so that a child process being reaped is not taken for a leak.
    Figures ReadSettled() const {
        Figures last = Read();
        for (int i = 0; i < 30; ++i) {
            ::Sleep(250);
            Figures next = Read();
            if (next == last) return next;
            last = next;
        }
        return last;
    }

  private:
    OwnedHandle process_;
    DWORD processId_;
    CounterSupport support_;
};

// Without a window manager (Xvfb), Wine waits two seconds on every window
// that leaves the screen for a manager that never answers. Windows that Wine
// does not hand to a manager close at once; the setting is read when a
// process starts, and the previous value is put back afterwards.
class UnmanagedWindows {
  public:
    UnmanagedWindows() {
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", 0, nullptr, 0,
                              KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                              nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        wchar_t value[16] = {};
        DWORD size = sizeof value;
        DWORD type = 0;
        if (::RegQueryValueExW(key_, kName, nullptr, &type, reinterpret_cast<BYTE*>(value),
                               &size) == ERROR_SUCCESS &&
            type == REG_SZ)
            previous_ = std::wstring(value);
        const wchar_t no[] = L"N";
        ::RegSetValueExW(key_, kName, 0, REG_SZ, reinterpret_cast<const BYTE*>(no), sizeof no);
    }
    ~UnmanagedWindows() {
        if (!key_) return;
        if (previous_)
            ::RegSetValueExW(key_, kName, 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(previous_->c_str()),
                             static_cast<DWORD>((previous_->size() + 1) * sizeof(wchar_t)));
        else
            ::RegDeleteValueW(key_, kName);
        ::RegCloseKey(key_);
    }
    UnmanagedWindows(const UnmanagedWindows&) = delete;
    UnmanagedWindows& operator=(const UnmanagedWindows&) = delete;

  private:
    static constexpr const wchar_t* kName = L"Managed";
    HKEY key_ = nullptr;
    std::optional<std::wstring> previous_;
};

int Rounds() {
    const char* text = std::getenv("QUILLON_SOAK_ROUNDS");
    const int rounds = text ? std::atoi(text) : 0;
    return rounds > 0 ? rounds : 20;
}

// Plays the user through every window once per round.
class SoakUser {
  public:
    explicit SoakUser(QuillonProcess& app) : app_(app) {}

    std::map<std::wstring, int> unexpectedMessages;
    std::map<std::wstring, double> secondsPerWindow;
    // With QUILLON_SOAK_PER_WINDOW set: kernel handles gained by each step
    // (from the second round on), to find the window that leaks.
    std::function<long()> countHandles;
    std::map<std::wstring, long> handlesGainedPerWindow;
    int round = 0;

    void PlayRound() {
        ++round;
        main_ = app_.WaitForWindow(kMainCaption);
        ASSERT_NE(main_, nullptr) << "no main window";
        Timed(L"Display", [&] { OpenAndClose(L"&Display", L"Display Settings"); });
        Timed(L"RDP", [&] { OpenAndClose(L"&RDP", L"Remote Desktop Settings"); });
        Timed(L"Firewall", [&] { OpenAndClose(L"&Firewall", L"Firewall Configuration"); });
        Timed(L"WinRM", [&] { OpenAndClose(L"&WinRM", L"WinRM"); });
        Timed(L"Networking", [&] { OpenAndClose(L"&Networking", L"Network Settings"); });
        Timed(L"Features", [&] { OpenAndClose(L"&Features", L"Server Features and Roles"); });
        Timed(L"Computer Name + credentials", [&] { ComputerNameWithCredentialsPrompt(); });
        Timed(L"Accounts + Set Password + New User", [&] { AccountsWithNewUserAndSetPassword(); });
        Timed(L"About", [&] { About(); });
    }

  private:
    QuillonProcess& app_;
    HWND main_ = nullptr;

    template <typename Step>
    void Timed(const std::wstring& name, Step step) {
        if (::testing::Test::HasFatalFailure()) return;
        const long handlesBefore = countHandles && round > 1 ? countHandles() : 0;
        const ULONGLONG began = ::GetTickCount64();
        step();
        secondsPerWindow[name] += static_cast<double>(::GetTickCount64() - began) / 1000.0;
        if (countHandles && round > 1) {
            ::Sleep(300);
            handlesGainedPerWindow[name] += countHandles() - handlesBefore;
        }
    }

    void About() {
        e2e::PostMenuCommand(main_, kHelpAbout);
        HWND about = WaitForWindowAnsweringMessages(L"About Quillon");
        ASSERT_NE(about, nullptr) << "About did not open";
        e2e::Click(e2e::FindChild(about, L"OK"));
        ASSERT_TRUE(e2e::WaitUntil([&] { return Gone(about); })) << "About stays open";
    }

    // Waits for the window, answering any message box on the way (a window
    // that cannot read the system reports it); such messages are tallied.
    HWND WaitForWindowAnsweringMessages(const std::wstring& caption) {
        HWND found = nullptr;
        e2e::WaitUntil([&] {
            if (auto box = app_.CurrentMessageBox()) {
                ++unexpectedMessages[caption + L": " + box->text];
                Dismiss(*box);
                return false;
            }
            auto windows = app_.Windows(caption);
            if (!windows.empty()) found = windows.front();
            return found != nullptr || !app_.Running();
        });
        return found;
    }

    static void Dismiss(const e2e::MessageBoxInfo& box) {
        for (const wchar_t* answer : {L"OK", L"No", L"Cancel"})
            for (const std::wstring& button : box.buttons)
                if (button == answer) return e2e::PressMessageBoxButton(box, answer);
    }

    void CloseAndWait(HWND window, const std::wstring& caption) {
        e2e::Close(window);
        ASSERT_TRUE(e2e::WaitUntil([&] {
            if (auto box = app_.CurrentMessageBox()) {
                ++unexpectedMessages[caption + L" (closing): " + box->text];
                Dismiss(*box);
            }
            return Gone(window);
        })) << e2e::Narrow(caption)
            << " did not close";
    }

    void OpenAndClose(const std::wstring& button, const std::wstring& caption) {
        HWND control = e2e::FindChild(main_, button);
        ASSERT_NE(control, nullptr) << e2e::Narrow(button);
        e2e::Click(control);
        HWND window = WaitForWindowAnsweringMessages(caption);
        ASSERT_NE(window, nullptr) << e2e::Narrow(caption) << " did not open";
        CloseAndWait(window, caption);
    }

    void ComputerNameWithCredentialsPrompt() {
        e2e::Click(e2e::FindChild(main_, L"&Computer Name"));
        HWND dialog = WaitForWindowAnsweringMessages(L"Computer Name Changes");
        ASSERT_NE(dialog, nullptr) << "Computer Name did not open";
        HWND domainOption = e2e::FindChild(dialog, L"Domain:");
        HWND domainBox = e2e::FindChildByClass(dialog, L"Edit", 1);
        ASSERT_TRUE(domainOption && domainBox);
        e2e::Click(domainOption);
        ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsEnabled(domainBox); }));
        e2e::SetText(domainBox, L"soak");
        e2e::Click(e2e::FindChild(dialog, L"&OK"));
        const std::wstring promptCaption = L"Credentials for SOAK domain:";
        HWND prompt = WaitForWindowAnsweringMessages(promptCaption);
        ASSERT_NE(prompt, nullptr) << "no credentials prompt";
        e2e::Click(e2e::FindChild(prompt, L"Cancel"));
        ASSERT_TRUE(e2e::WaitUntil([&] { return Gone(prompt); })) << "prompt stays";
        ASSERT_TRUE(e2e::WaitUntil([&] { return ::IsWindowEnabled(dialog) != FALSE; }));
        e2e::Click(e2e::FindChild(dialog, L"&Cancel"));
        ASSERT_TRUE(e2e::WaitUntil([&] { return Gone(dialog); })) << "Computer Name stays open";
    }

    void AccountsWithNewUserAndSetPassword() {
        e2e::Click(e2e::FindChild(main_, L"&Users&&Groups"));
        HWND accounts = WaitForWindowAnsweringMessages(L"Account Management");
        ASSERT_NE(accounts, nullptr) << "Account Management did not open";
        HWND users = e2e::FindChildByClass(accounts, L"ListBox", 0);
        ASSERT_NE(users, nullptr);
        ASSERT_TRUE(e2e::WaitUntil([&] { return ::SendMessageW(users, LB_GETCOUNT, 0, 0) > 0; }))
            << "no users listed";
        const LRESULT height = ::SendMessageW(users, LB_GETITEMHEIGHT, 0, 0);
        const LPARAM at = MAKELPARAM(4, static_cast<int>(height) / 2);
        ::PostMessageW(users, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::PostMessageW(users, WM_LBUTTONUP, 0, at);
        ASSERT_TRUE(e2e::WaitUntil([&] { return ::SendMessageW(users, LB_GETCURSEL, 0, 0) == 0; }));
        const LRESULT length = ::SendMessageW(users, LB_GETTEXTLEN, 0, 0);
        std::wstring user(static_cast<std::size_t>(length) + 1, L'\0');
        ::SendMessageW(users, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(user.data()));
        user.resize(static_cast<std::size_t>(length));

        e2e::Click(e2e::FindChild(accounts, L"&Password"));
        HWND password = WaitForWindowAnsweringMessages(L"Set password for " + user);
        ASSERT_NE(password, nullptr) << "Set Password did not open";
        e2e::Click(e2e::FindChild(password, L"Cancel"));
        ASSERT_TRUE(e2e::WaitUntil([&] { return Gone(password); }));

        e2e::Click(e2e::FindChild(accounts, L"&New User"));
        HWND newUser = WaitForWindowAnsweringMessages(L"New User");
        ASSERT_NE(newUser, nullptr) << "New User did not open";
        e2e::Click(e2e::FindChild(newUser, L"Close"));
        ASSERT_TRUE(e2e::WaitUntil([&] { return Gone(newUser); }));

        e2e::Click(e2e::FindChild(accounts, L"&Main Menu"));
        ASSERT_TRUE(e2e::WaitUntil([&] { return Gone(accounts); }))
            << "Account Management stays open";
    }
};

void PrintFigures(const char* title, const Figures& figures) {
    std::printf("  %s:", title);
    for (const auto& [name, value] : figures.values) std::printf(" %s=%ld;", name.c_str(), value);
    std::printf("\n");
}

TEST(SoakTest, ShortSoak) {
    const int rounds = Rounds();
    const CounterSupport support = DetectSupport();
    std::printf("[soak] counters checked on the driver's own process:\n");
    std::printf("  GetProcessHandleCount: %s\n",
                support.handleCount ? "counts" : "stub (no change)");
    std::printf("  GetGuiResources(GR_GDIOBJECTS): %s\n", support.guiGdi ? "counts" : "stub");
    std::printf("  GetGuiResources(GR_USEROBJECTS): %s\n", support.guiUser ? "counts" : "stub");
    std::printf("  DuplicateHandle probe: %s\n", support.handleProbe ? "counts" : "unusable");
    std::printf("  GDI handle table (PEB): %s\n", support.gdiTable ? "counts" : "unreadable");
    ASSERT_TRUE(support.handleCount || support.handleProbe) << "no way to count handles";

    const long wineKeysPerBind = KeysLeakedPerMonikerBind();
    std::printf("  Wine's winmgmts moniker: %ld registry key handle(s) left open per bind\n",
                wineKeysPerBind);

    UnmanagedWindows fastClosing;
    QuillonProcess app;
    ProgramCounters counters(app.Id(), support);
    ASSERT_TRUE(counters.Open()) << "cannot open the program's process";
    ASSERT_NE(app.WaitForWindow(kMainCaption), nullptr);
    const Figures start = counters.ReadSettled();

    SoakUser user(app);
    if (std::getenv("QUILLON_SOAK_PER_WINDOW"))
        user.countHandles = [&counters] { return counters.Handles(); };
    const ULONGLONG began = ::GetTickCount64();
    // The first round loads what a process loads once (libraries, classes,
    // fonts, COM); growth is measured from the end of it.
    ASSERT_NO_FATAL_FAILURE(user.PlayRound());
    const Figures before = counters.ReadSettled();
    const auto typesBefore = counters.Types();
    for (int round = 2; round <= rounds; ++round) {
        ASSERT_NO_FATAL_FAILURE(user.PlayRound()) << "round " << round;
        if (round % 50 == 0) {
            std::printf("[soak] round %d\n", round);
            std::fflush(stdout);
        }
    }
    const Figures after = counters.ReadSettled();
    auto typesAfter = counters.Types();
    const double seconds = static_cast<double>(::GetTickCount64() - began) / 1000.0;

    std::printf("[soak] %d rounds of 12 windows each in %.1f s (%.2f s a round)\n", rounds, seconds,
                seconds / rounds);
    PrintFigures("at start (main menu only)", start);
    PrintFigures("after round 1", before);
    PrintFigures("after the last round", after);
    for (const auto& [name, total] : user.secondsPerWindow)
        std::printf("  %s: %.2f s a round\n", e2e::Narrow(name).c_str(), total / rounds);
    for (const auto& [type, count] : typesBefore) typesAfter.try_emplace(type, 0);
    for (const auto& [type, count] : typesAfter) {
        const auto it = typesBefore.find(type);
        const long was = it == typesBefore.end() ? 0 : it->second;
        if (count != was)
            std::printf("  handles of type %s: %ld -> %ld\n", e2e::Narrow(type).c_str(), was,
                        count);
    }
    for (const auto& [name, gained] : user.handlesGainedPerWindow)
        std::printf("  %s: %+ld handles in %d rounds\n", e2e::Narrow(name).c_str(), gained,
                    rounds - 1);
    for (const auto& [text, count] : user.unexpectedMessages)
        std::printf("  message box %d times: %s\n", count, e2e::Narrow(text).c_str());
    std::fflush(stdout);

    // Network Settings opens once a round.
    const long wineKeys = wineKeysPerBind * (rounds - 1);
    for (const auto& [name, value] : before.values) {
        long last = after.values.at(name);
        if (name.rfind("handles", 0) == 0 && wineKeys > 0) {
            std::printf("  %s: %ld, less %ld keys left open by Wine's moniker\n", name.c_str(),
                        last, wineKeys);
            last -= wineKeys;
        }
        const double growth = value > 0 ? static_cast<double>(last - value) / value : 0.0;
        std::printf("  %s: %ld -> %ld (%+.2f %%)\n", name.c_str(), value, last, growth * 100.0);
        EXPECT_LT(growth, kAllowedGrowth) << name << " grew from " << value << " to " << last
                                          << " in " << rounds - 1 << " rounds";
    }
    std::fflush(stdout);
    EXPECT_TRUE(app.Running());
}

}  // namespace
