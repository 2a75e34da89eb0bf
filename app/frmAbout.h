#pragma once
// Which program and version is running, who provides it and on what terms.
#include <string>

#include "app/Services.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace app {

class frmAbout : public ui::Form {
  public:
    explicit frmAbout(Services& services);

    ui::Picture* picIcon;
    ui::Label* lblTitle;
    ui::Label* lblVersion;
    ui::Label* lblDescription;
    ui::Label* lblDisclaimer;
    ui::Line* Line1[2];
    ui::Button* cmdOK;

    void Form_Load() override;
    void cmdOK_Click();
};

// "Version " and the build's version: major.minor.revision.
std::wstring VersionText();

}  // namespace app
