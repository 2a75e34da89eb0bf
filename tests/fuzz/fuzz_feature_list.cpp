// Fuzzes the feature-listing parsers (the listing tool's and DISM's) and what
// the Features window does with its tree: arbitrary output is parsed, nodes
// are toggled as a user would, and the configure walk runs against tools that
// answer every command with the same output.
//
// An input that starts with "D" is DISM's output on a system without the
// listing tools; any other is the listing tool's. Input bytes become text one
// character each, except that bytes 0x01-0x07 stand for the words the
// grammars look for, so that the fuzzer reaches deep trees and table rows
// quickly (kWords). The bytes after the first 0x00 choose the nodes to toggle.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "features/DismFeatures.h"
#include "features/FeatureList.h"
#include "features/frmRoles.h"
#include "tests/fakes/World.h"

static const wchar_t* const kWords[] = {
    L"",     L"Installed", L"Not Installed", L"DomainController",
    L"\r\n", L"|--- ",     L" | Enabled",    L" | Disabled"};

static void Check(bool condition) {
    if (!condition) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::size_t split = 0;
    std::wstring output;
    for (; split < size && data[split] != 0; ++split)
        output += data[split] < std::size(kWords) ? std::wstring(kWords[data[split]])
                                                  : std::wstring(1, wchar_t(data[split]));
    const bool dism = split > 0 && data[0] == 'D';

    fakes::World w;
    w.system.OnRun(L"", output);
    if (dism) w.system.absent = {L"oclist.exe", L"oclist64.exe"};
    auto form = w.Open<features::frmRoles>(L"frmRoles");
    ui::TreeView& tree = *form->tvwFeatures;

    // The tree and the states agree, and keys stay short however deep.
    std::set<std::wstring> names;
    Check(static_cast<std::size_t>(tree.Count()) <=
          (dism ? features::ReadDismFeatureTable(output).size()
                : features::ReadFeatureLines(output).size()));
    for (int i = 1; i <= tree.Count(); ++i) {
        const ui::TreeNode* node = tree.Node(i);
        Check(!node->Text().empty() && node->Expanded());
        names.insert(node->Text());  // a name that the output repeats shows twice
        Check(node->Key().size() <= node->Text().size() + 12);
        Check(form->FeatureStates.count(node->Text()) == 1);
        Check(!form->FeatureStates.at(node->Text()) || node->Checked());
        if (node->Parent()) Check(!dism && node->Parent()->Index() < node->Index());
        if (dism) Check(node->Text().find_first_of(L" \t") == std::wstring::npos);
    }
    Check(names.size() == form->FeatureStates.size());

    // Toggle nodes as the user would; a ticked node's parents are ticked.
    for (std::size_t i = split + 1; i < size && tree.Count() > 0; ++i) {
        ui::TreeNode& node = *tree.Node(1 + data[i] % tree.Count());
        tree.UserToggleCheck(node);
        for (const ui::TreeNode* up = node.Parent(); node.Checked() && up; up = up->Parent())
            Check(up->Checked());
    }
    // Every command the walk runs is the tool's, and no name in it is one
    // that cmd would interpret.
    w.system.journal.clear();
    form->ApplyChanges();
    const wchar_t* start = dism ? L"dism.exe /Online /English /NoRestart /" : L"cmd /c ocsetup ";
    for (const std::wstring& command : w.system.Entries(L"run")) {
        Check(command.rfind(start, 0) == 0);
        const std::wstring name =
            dism ? command.substr(command.find(L':') + 1) : command.substr(15);
        for (wchar_t c : name)
            Check(c >= L' ' && std::wstring(L"&|<>^%\"").find(c) == std::wstring::npos);
    }
    form->cmdUpdate->UserClick();
    return 0;
}
