#pragma once
// "DCPROMO": a console-style pane that shows what "cmd" prints, captured piece
// by piece, and stops each capture when the output reaches a prompt (a piece
// ending in ">"). Nothing typed into the pane reaches any process.
#include <memory>
#include <string>

#include "sysaccess/IConsoleCapture.h"
#include "ui/Form.h"

namespace app {
struct Services;
}

namespace features {

class frmDcpromo : public ui::Form {
  public:
    explicit frmDcpromo(app::Services& services);

    ui::TextBox* txtOut = nullptr;
    ui::Button* cmdDCPROMO = nullptr;

    // Made when the window loads; every command of the window runs through it.
    std::unique_ptr<sysaccess::IConsoleCapture> conApp;

    void Form_Load() override;
    void Form_Unload() override;
    void cmdDCPROMO_Click();
    void conApp_ReadProcess(const std::wstring& readData);

  private:
    // Runs one command line through conApp; a refusal or failure is told in a
    // message box and leaves the window as it was.
    void RunConsoleCommand(const std::wstring& commandLine);

    app::Services& services_;
    // Set when the window unloads; its controls are not touched afterwards.
    bool closed_ = false;
};

}  // namespace features
