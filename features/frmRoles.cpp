#include "features/frmRoles.h"

#include "app/FormCatalog.h"
#include "app/Services.h"
#include "app/mdlComputerReboot.h"
#include "features/DismFeatures.h"
#include "sysaccess/ICommandRunner.h"
#include "sysaccess/TextCase.h"
#include "sysaccess/cRegistry.h"
#include "ui/Shell.h"

namespace features {
namespace {

app::FormRegistration registration(L"frmRoles",
                                   [](app::Services& s) { return ui::NewForm<frmRoles>(s); });

constexpr const wchar_t* kCharactersCmdInterprets = L"&|<>^%\"";

}  // namespace

frmRoles::frmRoles(app::Services& services)
    : ui::Form(*services.shell, L"frmRoles"), services_(services) {
    SetCaption(L"Server Features and Roles");
    clientWidth = 6735;
    clientHeight = 7275;

    tvwFeatures = &Add<ui::TreeView>(L"tvwFeatures");
    tvwFeatures->bounds = {120, 120, 6495, 4215};
    tvwFeatures->checkBoxes = true;
    tvwFeatures->NodeCheck = [this](ui::TreeNode& node) { tvwFeatures_NodeCheck(node); };

    Frame1 = &Add<ui::Frame>(L"Frame1");
    Frame1->SetCaption(L"Status");
    Frame1->bounds = {120, 4440, 6495, 2175};

    txtResults = &Add<ui::TextBox>(L"txtResults");
    txtResults->container = Frame1;
    txtResults->bounds = {240, 4680, 6255, 1815};
    txtResults->multiLine = true;
    txtResults->scrollBars = true;
    txtResults->SetBackColor(ui::kColorButtonFace);

    cmdUpdate = &Add<ui::Button>(L"cmdUpdate");
    cmdUpdate->SetCaption(L"&Configure");
    cmdUpdate->bounds = {3840, 6765, 1335, 375};
    cmdUpdate->Click = [this] { cmdUpdate_Click(); };

    cmdExit = &Add<ui::Button>(L"cmdExit");
    cmdExit->SetCaption(L"&Close");
    cmdExit->bounds = {5280, 6765, 1335, 375};
    cmdExit->Click = [this] { cmdExit_Click(); };

    SetTabOrder({tvwFeatures, txtResults, cmdUpdate, cmdExit});
}

void frmRoles::Form_Load() { LoadFeatures(); }

bool frmRoles::Is64Bit() {
    if (!services_.registry) return false;
    try {
        sysaccess::cRegistry reg(*services_.registry);
        reg.SetClassKey(sysaccess::kHkeyLocalMachine);
        reg.SetSectionKey(L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
        reg.SetValueType(sysaccess::kRegSz);
        reg.SetValueKey(L"BuildLabEx");
        const std::wstring build = sysaccess::ToLower(reg.Value().ToText());
        return build.find(L"64") != std::wstring::npos;
    } catch (...) {
        return false;  // unreadable: the 32-bit tool
    }
}

frmRoles::FeatureTool frmRoles::ChooseFeatureTool(const std::wstring& listingTool) {
    if (!services_.programs) return FeatureTool::kNone;
    if (services_.programs->Exists(listingTool)) return FeatureTool::kListingTool;
    if (services_.programs->Exists(kDismProgram)) return FeatureTool::kDism;
    return FeatureTool::kNone;
}

void frmRoles::LoadFeatures() {
    const std::wstring listingTool = Is64Bit() ? L"oclist64.exe" : L"oclist.exe";
    tool_ = ChooseFeatureTool(listingTool);
    switch (tool_) {
        case FeatureTool::kListingTool:
            ParseFeatureList(RunTool(listingTool));
            break;
        case FeatureTool::kDism:
            ParseDismFeatureList(RunTool(kDismListCommand));
            break;
        case FeatureTool::kNone:
            ParseFeatureList(L"");
            AppendLogLine(L"No feature tool was found: neither " + listingTool +
                          L" nor dism.exe is in the program folder or on the search path.");
            MoveCaretToEnd();
            break;
    }
}

void frmRoles::ParseFeatureList(const std::wstring& output) {
    FeatureStateMap fresh;
    BuildFeatureTree(output, *tvwFeatures, fresh);
    FeatureStates = std::move(fresh);
}

void frmRoles::ParseDismFeatureList(const std::wstring& output) {
    FeatureStateMap fresh;
    BuildFeatureTree(ReadDismFeatureTable(output), *tvwFeatures, fresh);
    FeatureStates = std::move(fresh);
    if (tvwFeatures->Count() > 0) return;
    // An empty tree alone would not tell a refused listing (DISM needs an
    // elevated administrator, for one) from a computer without features.
    AppendLogLine(L"dism.exe listed no features.");
    const DismResult result = ReadDismResult(output);
    if (!result.succeeded)
        for (const std::wstring& line : result.errorLines) AppendLogLine(line);
    MoveCaretToEnd();
}

void frmRoles::tvwFeatures_NodeCheck(ui::TreeNode& node) {
    if (node.Checked()) {
        for (ui::TreeNode* up = node.Parent(); up; up = up->Parent()) up->SetChecked(true);
    } else {
        UncheckDescendants(node);
    }
}

void frmRoles::UncheckDescendants(ui::TreeNode& node) {
    // Depth-first, pre-order, without recursion: the tree may be deep.
    std::vector<ui::TreeNode*> pending(node.ChildList().rbegin(), node.ChildList().rend());
    while (!pending.empty()) {
        ui::TreeNode* child = pending.back();
        pending.pop_back();
        child->SetChecked(false);
        pending.insert(pending.end(), child->ChildList().rbegin(), child->ChildList().rend());
    }
}

void frmRoles::cmdUpdate_Click() {
    restartNeeded_ = false;
    ApplyChanges();
    if (restartNeeded_ &&
        GetShell().MsgBox(L"Windows must restart to complete the feature changes. Restart now?",
                          ui::kMbYesNo) == ui::kIdYes)
        app::RebootComputer(services_);
    LoadFeatures();
}

void frmRoles::cmdExit_Click() { Unload(); }

void frmRoles::ApplyChanges() {
    for (int index : GetRootNodeIndexes()) ApplyNodeChanges(index);
}

std::vector<int> frmRoles::GetRootNodeIndexes() const {
    std::vector<int> indexes;
    for (int i = 1; i <= tvwFeatures->Count(); ++i)
        if (!tvwFeatures->Node(i)->Parent()) indexes.push_back(i);
    return indexes;
}

void frmRoles::ApplyNodeChanges(int nodeIndex) {
    ui::TreeNode* start = tvwFeatures->Node(nodeIndex);
    if (!start) return;
    // Pre-order: a parent is installed before its children; a removal covers
    // its whole subtree, so nothing below it is visited.
    std::vector<ui::TreeNode*> pending{start};
    while (!pending.empty()) {
        ui::TreeNode* node = pending.back();
        pending.pop_back();
        const std::wstring& name = node->Text();
        const auto reported = FeatureStates.find(name);
        const bool installed = reported != FeatureStates.end() && reported->second;
        if (node->Checked() != installed) {
            if (!node->Checked()) {
                ChangeFeature(name, true);
                continue;
            }
            ChangeFeature(name, false);
        }
        pending.insert(pending.end(), node->ChildList().rbegin(), node->ChildList().rend());
    }
}

bool frmRoles::IsUnsafeFeatureName(const std::wstring& name) {
    for (wchar_t c : name)
        if (c < L' ' || c == 0x7F || std::wcschr(kCharactersCmdInterprets, c)) return true;
    return false;
}

void frmRoles::ChangeFeature(const std::wstring& featureName, bool uninstall) {
    if (tool_ == FeatureTool::kDism)
        RunDism(featureName, uninstall);
    else
        RunOcSetup(featureName, uninstall);
}

void frmRoles::RunOcSetup(const std::wstring& featureName, bool uninstall) {
    std::wstring commandLine = L"cmd /c ocsetup " + featureName;
    if (uninstall) commandLine += L" /uninstall";
    RunLogged(featureName, uninstall, commandLine);
}

void frmRoles::RunDism(const std::wstring& featureName, bool uninstall) {
    const auto output =
        RunLogged(featureName, uninstall,
                  uninstall ? DismDisableCommand(featureName) : DismEnableCommand(featureName));
    if (!output) return;
    const DismResult result = ReadDismResult(*output);
    if (!result.succeeded) {
        for (const std::wstring& line : result.errorLines) AppendLogLine(line);
        if (result.errorLines.empty())
            AppendLogLine(L"dism.exe printed nothing, so the change may not have been made.");
    }
    if (result.restartNeeded) {
        AppendLogLine(L"Windows must restart to complete this change.");
        restartNeeded_ = true;
    }
    MoveCaretToEnd();
}

std::optional<std::wstring> frmRoles::RunLogged(const std::wstring& featureName, bool uninstall,
                                                const std::wstring& commandLine) {
    AppendLogLine((uninstall ? L"Uninstalling feature: " : L"Installing feature: ") + featureName);
    if (IsUnsafeFeatureName(featureName)) {
        // The name goes into a command line unquoted; with one of these
        // characters the cmd that starts ocsetup would run or redirect
        // something else. DISM's command lines keep the same rule.
        AppendLogLine(
            L"Skipped: the name contains a character that cmd would interpret "
            L"(& | < > ^ % \" or a control character), so no command was run.");
        MoveCaretToEnd();
        return std::nullopt;
    }
    AppendLogLine(L"Executing: " + commandLine);
    MoveCaretToEnd();
    GetShell().Refresh(*this);
    GetShell().Sleep(100);
    const std::wstring output = RunTool(commandLine);
    MoveCaretToEnd();
    return output;
}

std::wstring frmRoles::RunTool(const std::wstring& commandLine) {
    return services_.runner ? services_.runner->RunAndCaptureOutput(commandLine, true, true, true)
                            : std::wstring();
}

void frmRoles::AppendLogLine(const std::wstring& line) {
    txtResults->SetText(txtResults->Text() + L"\r\n" + line);
}

void frmRoles::MoveCaretToEnd() {
    txtResults->SetSelection(static_cast<int>(txtResults->Text().size()), 0);
}

}  // namespace features
