// Fuzzes the feature-listing parsers (the listing tool's and DISM's) and what
// the Features window does with its tree: arbitrary output is parsed, nodes
// are toggled as a user would, and the configure walk runs against a runner
// that answers every command with the same output.
//
// An input that starts with "D" is DISM's output on a system without the
// listing tool; any other is the listing tool's. Input bytes become text one
// character each, except that a few byte values stand for the words the
// grammars look for, so that the fuzzer reaches deep trees and table rows
// quickly:
//   0x01 "Installed"   0x02 "Not Installed"   0x03 "DomainController"
//   0x04 CR LF         0x05 "|--- "           0x06 " | Enabled"
//   0x07 " | Disabled"
// The bytes after the first 0x00 choose the nodes to toggle.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/Services.h"
#include "features/DismFeatures.h"
#include "features/FeatureList.h"
#include "features/frmRoles.h"
#include "sysaccess/ICommandRunner.h"
#include "ui/Shell.h"

namespace {

class QuietShell : public ui::Shell {
  public:
    int MsgBox(const std::wstring&, int, const std::wstring&) override { return ui::kIdOk; }
    void Load(ui::Form& form) override {
        form.MarkLoaded(true);
        form.Form_Load();
    }
    void Show(ui::Form& form) override { form.MarkVisible(true); }
    void ShowModal(ui::Form& form) override { form.MarkVisible(true); }
    void Hide(ui::Form& form) override { form.MarkVisible(false); }
    void Unload(ui::Form& form) override { form.MarkLoaded(false); }
    void DoEvents() override {}
    void Sleep(int) override {}
    std::vector<std::shared_ptr<ui::Form>> LoadedForms() const override { return {}; }
};

class RecordingRunner : public sysaccess::ICommandRunner {
  public:
    std::wstring output;
    std::vector<std::wstring> commands;
    std::wstring RunAndCaptureOutput(const std::wstring& commandLine, bool, bool, bool) override {
        commands.push_back(commandLine);
        return output;
    }
};

// Every program is found, or only DISM.
class Finder : public sysaccess::IProgramFinder {
  public:
    bool dismOnly = false;
    bool Exists(const std::wstring& program) override {
        return !dismOnly || program == features::kDismProgram;
    }
};

void Check(bool condition) {
    if (!condition) std::abort();
}

std::wstring Decode(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    for (std::size_t i = 0; i < size; ++i) {
        switch (data[i]) {
            case 0x01:
                text += L"Installed";
                break;
            case 0x02:
                text += L"Not Installed";
                break;
            case 0x03:
                text += L"DomainController";
                break;
            case 0x04:
                text += L"\r\n";
                break;
            case 0x05:
                text += L"|--- ";
                break;
            case 0x06:
                text += L" | Enabled";
                break;
            case 0x07:
                text += L" | Disabled";
                break;
            default:
                text += static_cast<wchar_t>(data[i]);
        }
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::size_t split = 0;
    while (split < size && data[split] != 0) ++split;
    const std::wstring output = Decode(data, split);
    const bool dism = split > 0 && data[0] == 'D';

    QuietShell shell;
    RecordingRunner runner;
    runner.output = output;
    Finder finder;
    finder.dismOnly = dism;
    app::Services services;
    services.shell = &shell;
    services.runner = &runner;
    services.programs = &finder;
    auto form = ui::NewForm<features::frmRoles>(services);
    form->Load();
    ui::TreeView& tree = *form->tvwFeatures;

    // The tree and the states agree, and keys stay short however deep.
    std::set<std::wstring> names;
    const std::size_t featureLines = dism ? features::ReadDismFeatureTable(output).size()
                                          : features::ReadFeatureLines(output).size();
    Check(static_cast<std::size_t>(tree.Count()) <= featureLines);
    for (int i = 1; i <= tree.Count(); ++i) {
        const ui::TreeNode* node = tree.Node(i);
        Check(!node->Text().empty());
        Check(node->Key().size() <= node->Text().size() + 12);
        Check(form->FeatureStates.count(node->Text()) == 1);
        Check(node->Expanded());
        if (form->FeatureStates.at(node->Text()) && !node->Checked()) std::abort();
        names.insert(node->Text());
        if (node->Parent()) Check(!dism && node->Parent()->Index() < node->Index());
        if (dism) Check(node->Text().find_first_of(L" \t") == std::wstring::npos);
    }
    Check(names.size() == form->FeatureStates.size());

    // Toggle nodes as the user would; the propagation rules must hold.
    for (std::size_t i = split + 1; i < size && tree.Count() > 0; ++i) {
        ui::TreeNode& node = *tree.Node(1 + data[i] % tree.Count());
        tree.UserToggleCheck(node);
        if (node.Checked()) {
            for (const ui::TreeNode* up = node.Parent(); up; up = up->Parent())
                Check(up->Checked());
        }
    }
    runner.commands.clear();
    form->ApplyChanges();
    for (const std::wstring& command : runner.commands) {
        const std::wstring start =
            dism ? L"dism.exe /Online /English /NoRestart /" : L"cmd /c ocsetup ";
        Check(command.rfind(start, 0) == 0);
        const std::wstring name =
            dism ? command.substr(command.find(L":") + 1) : command.substr(15);
        for (wchar_t c : name)
            Check(c >= L' ' && std::wstring(L"&|<>^%\"").find(c) == std::wstring::npos);
    }
    form->cmdUpdate->UserClick();
    return 0;
}
