#pragma once
// "Server Features and Roles": the optional features that the feature-listing
// tool reports, as a tree with a check box per feature (checked: installed).
// Configure installs what the user checked and removes what the user
// unchecked, one "ocsetup" command per feature, logging each command, and
// then lists the features again.
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
    // Runs the listing tool and rebuilds the tree from what it printed.
    void LoadFeatures();
    void ParseFeatureList(const std::wstring& output);

    void tvwFeatures_NodeCheck(ui::TreeNode& node);
    static void UncheckDescendants(ui::TreeNode& node);

    void cmdUpdate_Click();
    void cmdExit_Click();
    void ApplyChanges();
    std::vector<int> GetRootNodeIndexes() const;
    void ApplyNodeChanges(int nodeIndex);
    void RunOcSetup(const std::wstring& featureName, bool uninstall);

    // A name that cmd would read as more than one plain word of a command:
    // it holds a command separator, redirection, escape, variable reference
    // or quote character (& | < > ^ % "), or a control character.
    static bool IsUnsafeFeatureName(const std::wstring& name);

  private:
    void AppendLogLine(const std::wstring& line);
    void MoveCaretToEnd();

    app::Services& services_;
};

}  // namespace features
