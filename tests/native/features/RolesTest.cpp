#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/IPower.h"
#include "features/frmRoles.h"
#include "tests/fakes/World.h"

namespace {

using features::frmRoles;
using Lines = std::vector<std::wstring>;

const wchar_t kVersionKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const std::wstring kDismList = L"dism.exe /Online /English /Get-Features /Format:Table";
const std::wstring kDismBanner =
    L"\r\nDeployment Image Servicing and Management tool\r\nVersion: 10.0.20348.681\r\n\r\n"
    L"Features listing for package : "
    L"Microsoft-Windows-Foundation-Package~31bf3856ad364e35~amd64~~10.0.20348.1\r\n\r\n"
    L"------------------- | --------\r\nFeature Name        | State\r\n"
    L"------------------- | --------\r\n";
const std::wstring kChange = L"dism.exe /Online /English /NoRestart ";
const std::wstring kDismDone = L"\r\nThe operation completed successfully.\r\n";
const std::wstring kNoFeatures = L"\r\ndism.exe listed no features.";

// Output as a tool prints it: ";" ends a line, "+" stands for "Installed:"
// and "~" for "Not Installed:".
std::wstring Out(const std::wstring& lines) {
    std::wstring text;
    for (wchar_t c : lines)
        text += c == L';'   ? L"\r\n"
                : c == L'+' ? L"Installed:"
                : c == L'~' ? L"Not Installed:"
                            : std::wstring(1, c);
    return text + L"\r\n";
}

Lines Split(const std::wstring& text) {
    Lines parts;
    for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
        end = std::min(text.find(L';', start), text.size());
        parts.push_back(text.substr(start, end - start));
    }
    return parts;
}

enum Tool { kOclist, kDism };
const std::wstring kNoOclist = L"oclist.exe";  // absent, so DISM lists

// The window on a system without the programs named (";" between them),
// whose build is given ("-": it cannot be read), and where either listing
// tool prints `listing`.
struct Roles {
    fakes::World w;
    std::shared_ptr<frmRoles> form;

    Roles(const std::wstring& absent, const std::wstring& listing,
          const std::wstring& build = L"") {
        for (const auto& name : Split(absent)) w.system.absent.insert(name);
        if (build == L"-")
            w.registry.Deny(sysaccess::kHkeyLocalMachine, kVersionKey);
        else if (!build.empty())
            w.registry.SetString(sysaccess::kHkeyLocalMachine, kVersionKey, L"BuildLabEx", build);
        w.system.OnRun(L"oclist", listing);
        w.system.OnRun(kDismList, listing);
        form = w.Open<frmRoles>(L"frmRoles");
    }
    // "name(parent)+" per node in index order, "+" checked and "-" not. A
    // name's reported state is true exactly when every node of it is checked.
    std::wstring Tree() const {
        std::wstring seen;
        features::FeatureStateMap states;
        for (int i = 1; i <= form->tvwFeatures->Count(); ++i) {
            const ui::TreeNode& n = *form->tvwFeatures->Node(i);
            seen += (i > 1 ? L" " : L"") + n.Text();
            if (n.Parent()) seen += L"(" + n.Parent()->Text() + L")";
            seen += n.Checked() ? L"+" : L"-";
            states.try_emplace(n.Text(), true).first->second &= n.Checked();
            EXPECT_TRUE(n.Expanded());
        }
        EXPECT_EQ(form->FeatureStates, states);
        return seen;
    }
    // The user toggles the boxes of the named nodes, ";" between the names.
    void Toggle(const std::wstring& names) {
        for (const auto& name : Split(names))
            for (int i = 1; i <= form->tvwFeatures->Count(); ++i)
                if (form->tvwFeatures->Node(i)->Text() == name)
                    form->tvwFeatures->UserToggleCheck(*form->tvwFeatures->Node(i));
    }
};

// Which tools are absent, the listing printed and the build → the listing
// that runs ("-": none), the nodes and what the Status box says.
TEST(Roles, ListingGivesTreeAndStatus) {
    struct Case {
        const char* what;
        std::wstring absent, output, tree;
        std::wstring status = L"", build = L"";
        std::wstring run = L"";  // empty: oclist.exe, or DISM when oclist.exe is absent
    } cases[] = {
        // clang-format off
        {"x86", L"", L"", L"", L"", L"6001.18000.x86fre.longhorn_rtm.080118-1840"},
        {"amd64", L"", L"", L"", L"", L"6001.18000.amd64fre.longhorn_rtm.080118-1840", L"oclist64.exe"},
        {"capitals", L"", L"", L"", L"", L"6001.AMD64FRE", L"oclist64.exe"},
        {"64 anywhere", L"", L"", L"", L"", L"6064.18000.x86fre", L"oclist64.exe"},
        {"build unreadable", L"", L"", L"", L"", L"-"},
        {"no oclist64", L"oclist64.exe", L"", L"", kNoFeatures, L"amd64fre", kDismList},
        {"no tool", L"oclist.exe;dism.exe", L"", L"", L"oclist.exe", L"x86fre", L"-"},
        {"no tool, 64-bit", L"oclist64.exe;dism.exe", L"", L"", L"oclist64.exe", L"amd64fre", L"-"},
        {"four lines", L"", Out(L"~A;|+B;||~C;+D"), L"A- B(A)+ C(B)- D+"},
        {"fields and depth", L"",
         Out(L"Installed : N : more;       |--- Installed:Web Server;"
             L"       |       |--- Not Installed:  Sub  ;A|b: Not Installed"),
         L"N+ Web Server(N)+ Sub(Web Server)- Not Installed(N)-"},
        {"not features", L"",
         Out(L"installed:a;INSTALLED:b;Installed c;Available:d;Installed:ok;"
             L"Installed:DomainController;Not Installed:X (DomainController role)"), L"ok+"},
        {"under an omitted root", L"", Out(L"+P;+Q-DomainController;|~R"), L"P+ R(P)-"},
        {"a lone line feed ends no line", L"", L"Installed:A\nInstalled:B\n", L"A\nInstalled+"},
        {"the runner's failure", L"", fakes::kRunnerFailure, L""},
        {"a name twice", L"", Out(L"+R1;|+S;+R2;|~S"), L"R1+ S(R1)+ R2+ S(R2)-"},
        {"duplicates", L"", Out(L"+A;|+B;|~B;~A;|+X;+C;|+B"), L"A+ B(A)+ C+ B(C)+"},
        {"empty names and lines too deep", L"",
         Out(L"|+E;+  ;+A;|||+F;|+B;+D;||+G;" + std::wstring(100000, L'|') + L"+H"),
         L"A+ B(A)+ D+"},
        {"children go with a rejected line", L"",
         Out(L"+A;|+X;|+Y;|+X;||+c;|||+d;|+ ;||+e;|+Z;||||+f;|||||+g;||+h;+A;|+i"),
         L"A+ X(A)+ Y(A)+ Z(A)+ h(Z)+"},
        {"every state", kNoOclist, kDismBanner + Out(L"TelnetClient        | Disabled;Hyper-V   | "
             L"Disabled with Payload Removed;IIS-WebServerRole | Enabled;NetFx3 | Enable Pending;"
             L"SMB1Protocol|Disable Pending;TelnetClient | Enabled") + kDismDone,
         L"TelnetClient- Hyper-V- IIS-WebServerRole+ NetFx3+ SMB1Protocol-"},
        {"rows of another shape", kNoOclist,
         Out(L"Two Words | Enabled;A | B | Enabled;X | enabled; | Enabled") +
             L"Y | Enabled\nZ | Disabled", L"Y+ Z-"},
        {"empty table", kNoOclist, kDismBanner + kDismDone, L"", kNoFeatures},
        {"garbage", kNoOclist, L"\x01junk|\r\n\r\n|||", L"", kNoFeatures + L"\r\n\x01junk|\r\n|||"},
        {"refused", kNoOclist, Out(L";Deployment Image Servicing and Management tool;;Error: 740;;"
                               L"Elevated permissions are required to run DISM."),
         L"", kNoFeatures + L"\r\nError: 740\r\nElevated permissions are required to run DISM."},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Roles r(c.absent, c.output, c.build);
        const std::wstring run = !c.run.empty()     ? c.run
                                 : c.absent.empty() ? L"oclist.exe"
                                                    : kDismList;
        EXPECT_EQ(r.w.system.Entries(L"run"), run == L"-" ? Lines{} : Lines{run});
        EXPECT_TRUE(run == L"-" ||
                    (r.w.system.lastFlags == fakes::FakeSystem::Flags{true, true, true}));
        EXPECT_EQ(r.Tree(), c.tree);
        const std::wstring noTool =
            L"\r\nNo feature tool was found: neither " + c.status +
            L" nor dism.exe is in the program folder or on the search path.";
        EXPECT_EQ(r.form->txtResults->Text(), run == L"-" ? noTool : c.status);
        EXPECT_EQ(r.w.registry.OpenKeys(), 0);
    }
}

// Listing and the user's toggles → the boxes ticked ("+") by index, and the
// commands of Configure, in order, before the listing runs again: ticking a
// box ticks its ancestors, unticking clears its subtree. Each command shows in
// the log, the caret at its end, redrawn, before the wait and the run, and
// then what DISM printed of it; an unsafe name is skipped. When DISM asks for
// a restart, one is offered after the walk, before the listing runs again.
TEST(Roles, ConfigureInstallsParentsFirstAndRemovesSubtreesWhole) {
    const std::wstring kSkipped =
        L"\r\nSkipped: the name contains a character that cmd would "
        L"interpret (& | < > ^ % \" or a control character), so no "
        L"command was run.";
    const std::wstring kOff = L"~A;|~B;||~C;|||~D;|~E;~F", kOn = L"+A;|+B;||+C;|||+D;|+E;+F";
    const std::wstring kSetup = L"cmd /c ocsetup ", kAB = L"A | Disabled;B | Enabled";
    const std::wstring kOnOff = kChange + L"/Enable-Feature /FeatureName:A /All;" + kChange +
                                L"/Disable-Feature /FeatureName:B";
    const std::wstring kRestart = L"\r\nRestart Windows to complete this operation.";
    const std::wstring kMustRestart = L"\r\nWindows must restart to complete this change.";
    struct Case {
        const char* what;
        Tool tool;
        std::wstring listing, toggles, ticked, runs;
        int skipped = 0;
        std::wstring printed = kDismDone, logged = L"";  // by each change, and after its line
        int answer = 0;                                  // to the restart question; 0: none asked
    } cases[] = {
        // clang-format off
        {"ancestors", kOclist, kOff, L"C", L"+++---", kSetup + L"A;" + kSetup + L"B;" + kSetup + L"C"},
        {"and untick", kOclist, kOff, L"C;C", L"++----", kSetup + L"A;" + kSetup + L"B"},
        {"two leaves", kOclist, kOff, L"E;D", L"+++++-",
         kSetup + L"A;" + kSetup + L"B;" + kSetup + L"C;" + kSetup + L"D;" + kSetup + L"E"},
        {"a subtree", kOclist, kOn, L"A", L"-----+", kSetup + L"A /uninstall"},
        {"a subtree but its root", kOclist, kOn, L"A;A", L"+----+",
         kSetup + L"B /uninstall;" + kSetup + L"E /uninstall"},
        {"an inner subtree", kOclist, kOn, L"B", L"+---++", kSetup + L"B /uninstall"},
        {"pre-order", kOclist, L"+P;|+Q;|~R;~S;|~T", L"Q;R;T", L"+-+++",
         kSetup + L"Q /uninstall;" + kSetup + L"R;" + kSetup + L"S;" + kSetup + L"T"},
        {"nothing changed", kOclist, L"+A;|~B", L"B;B", L"+-", L""},
        {"blanks kept", kOclist, L"~ Has Blanks ", L"Has Blanks", L"+", kSetup + L"Has Blanks"},
        {"unsafe names", kOclist, L"~A&;~C>;~D<;~E^;~G%;~H\";~I\tJ;~K\x7f;+B^;|+Child;~Ok(3)",
         L"A&;C>;D<;E^;G%;H\";I\tJ;K\x7f;B^;Ok(3)", L"++++++++--+", kSetup + L"Ok(3)", 9},
        {"through DISM", kDism, L"A | Enabled;B | Disabled;C | Disabled;D&x | Disabled", L"A;B;D&x",
         L"-+-+", kChange + L"/Disable-Feature /FeatureName:A;" + kChange +
             L"/Enable-Feature /FeatureName:B /All", 1},
        {"success", kDism, kAB, L"A;B", L"+-", kOnOff},
        {"restart accepted", kDism, kAB, L"A;B", L"+-", kOnOff, 0, kDismDone + kRestart,
         kMustRestart, ui::kIdYes},
        {"restart declined", kDism, kAB, L"A;B", L"+-", kOnOff, 0, kDismDone + kRestart,
         kMustRestart, ui::kIdNo},
        {"error", kDism, kAB, L"A;B", L"+-", kOnOff, 0,
         Out(L"Version: 10.0;;;Error: 0x800f080c;;Feature name X is unknown.;Error: 1"),
         L"\r\nError: 0x800f080c\r\nFeature name X is unknown.\r\nError: 1"},
        {"no error line", kDism, kAB, L"A;B", L"+-", kOnOff, 0, fakes::kRunnerFailure,
         L"\r\n" + fakes::kRunnerFailure},
        {"nothing printed", kDism, kAB, L"A;B", L"+-", kOnOff, 0, L"",
         L"\r\ndism.exe printed nothing, so the change may not have been made."},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Roles r(c.tool == kDism ? kNoOclist : L"", Out(c.listing));
        std::size_t runs = 0;
        const int redraws = r.w.shell.refreshes;
        const auto atRun = [&](const std::wstring& command) {
            const std::wstring log = r.form->txtResults->Text();
            EXPECT_TRUE(log.ends_with(L"\r\nExecuting: " + command)) << testing::PrintToString(log);
            EXPECT_EQ(r.form->txtResults->SelStart(), static_cast<int>(log.size()));
            EXPECT_EQ(r.w.shell.sleeps.size(), ++runs);
            EXPECT_EQ(r.w.shell.refreshes, redraws + static_cast<int>(runs));
            EXPECT_EQ(r.w.system.lastFlags, (fakes::FakeSystem::Flags{true, true, true}));
            return c.printed;
        };
        r.w.system.OnRun(L"cmd", atRun);
        r.w.system.OnRun(kChange, atRun);
        if (c.answer) r.w.shell.answers = {c.answer};
        const std::wstring listed = r.Tree();
        r.Toggle(c.toggles);
        std::wstring ticked;
        for (int i = 1; i <= r.form->tvwFeatures->Count(); ++i)
            ticked += r.form->tvwFeatures->Node(i)->Checked() ? L"+" : L"-";
        EXPECT_EQ(ticked, c.ticked);
        r.form->cmdUpdate->UserClick();
        EXPECT_EQ(r.Tree(), listed);  // the tree of the new listing, not the user's ticks
        const std::wstring listing = c.tool == kDism ? kDismList : L"oclist.exe";
        Lines journal = {L"run " + listing};
        for (const auto& run : Split(c.runs)) journal.push_back(L"run " + run);
        if (c.answer == ui::kIdYes) {
            journal.push_back(L"exit " + std::to_wstring(app::kEwxReboot) + L" FFFFFFFF");
            journal.push_back(L"start shutdown.exe -r -t 5 0");
        }
        journal.push_back(L"run " + listing);
        EXPECT_EQ(r.w.system.journal, journal);
        const std::wstring log = r.form->txtResults->Text();
        int skipped = 0;
        for (auto at = log.find(kSkipped); at != log.npos; at = log.find(kSkipped, at + 1))
            ++skipped;
        EXPECT_EQ(skipped, c.skipped);
        if (c.listing == kAB) {  // the words of the log
            EXPECT_EQ(log, L"\r\nInstalling feature: A\r\nExecuting: " + Split(c.runs)[0] +
                               c.logged + L"\r\nUninstalling feature: B\r\nExecuting: " +
                               Split(c.runs)[1] + c.logged);
        }
        EXPECT_EQ(r.form->txtResults->SelStart(), static_cast<int>(log.size()));
        std::wstring asked;
        for (const auto& m : r.w.shell.messages)
            asked += m.title + L": " + m.text + L" " + std::to_wstring(m.style);
        EXPECT_EQ(asked, c.answer ? L"Quillon: Windows must restart to complete the feature "
                                    L"changes. Restart now? 4"
                                  : L"");
        r.form->cmdExit->UserClick();
        EXPECT_FALSE(r.form->IsLoaded());
    }
}

}  // namespace
