#pragma once
// "Server Features and Roles": the optional features that the feature tool
// reports, as a tree with a check box per feature (checked: installed).
// Configure installs what the user checked and removes what the user
// unchecked, one command per feature, logging each command, and then lists
// the features again.
//
// The feature tool is the listing tool with "ocsetup" where the listing tool
// is found (Server 2008 and 2008 R2); otherwise DISM, whose features form a
// flat tree and whose output is read for errors and for a needed restart; with
// neither, the Status box says so.
#include <optional>
#include <string>
#include <vector>

#include "features/FeatureList.h"
#include "ui/Form.h"

namespace app {
struct Services;
}

namespace features {

class frmRoles : public ui::Form {
  public:
    explicit frmRoles(app::Services& services);

    ui::TreeView* tvwFeatures = nullptr;
    ui::Frame* Frame1 = nullptr;
    ui::TextBox* txtResults = nullptr;
    ui::Button* cmdUpdate = nullptr;
    ui::Button* cmdExit = nullptr;

    // Feature name to installed, as the tool reported it at the last load.
    FeatureStateMap FeatureStates;

    void Form_Load() override;

    // True when the operating system is a 64-bit build ("64" in BuildLabEx).
    bool Is64Bit();
    // Chooses the feature tool, runs its listing and rebuilds the tree from
    // what it printed.
    void LoadFeatures();
    void ParseFeatureList(const std::wstring& output);
    void ParseDismFeatureList(const std::wstring& output);

    void tvwFeatures_NodeCheck(ui::TreeNode& node);
    static void UncheckDescendants(ui::TreeNode& node);

    void cmdUpdate_Click();
    void cmdExit_Click();
    void ApplyChanges();
    std::vector<int> GetRootNodeIndexes() const;
    void ApplyNodeChanges(int nodeIndex);
    // Installs or removes one feature with the tool of the last load.
    void ChangeFeature(const std::wstring& featureName, bool uninstall);
    void RunOcSetup(const std::wstring& featureName, bool uninstall);
    void RunDism(const std::wstring& featureName, bool uninstall);

    // A name that cmd would read as more than one plain word of a command:
    // it holds a command separator, redirection, escape, variable reference
    // or quote character (& | < > ^ % "), or a control character.
    static bool IsUnsafeFeatureName(const std::wstring& name);

  private:
    enum class FeatureTool { kNone, kListingTool, kDism };
    FeatureTool ChooseFeatureTool(const std::wstring& listingTool);
    // Logs the change and its command line and runs it; nothing (no run) for
    // an unsafe name.
    std::optional<std::wstring> RunLogged(const std::wstring& featureName, bool uninstall,
                                          const std::wstring& commandLine);
    // What a feature tool printed on both streams; nothing without a runner.
    std::wstring RunTool(const std::wstring& commandLine);
    void AppendLogLine(const std::wstring& line);
    void MoveCaretToEnd();

    app::Services& services_;
    FeatureTool tool_ = FeatureTool::kNone;
    // A change of this Configure asked for a restart.
    bool restartNeeded_ = false;
};

}  // namespace features
