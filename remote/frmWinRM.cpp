#include "remote/frmWinRM.h"

#include "app/FormCatalog.h"
#include "res/resource.h"
#include "sysaccess/ICommandRunner.h"
#include "ui/Shell.h"

namespace remote {

namespace {

const app::FormRegistration registration(L"frmWinRM",
                                         [](app::Services& s) { return ui::NewForm<frmWinRM>(s); });

bool Contains(const std::wstring& text, const wchar_t* phrase) {
    return text.find(phrase) != std::wstring::npos;
}

// winrm.cmd ends its messages with line breaks, so output made of spaces and
// line breaks alone means it had nothing to say.
bool IsBlank(const std::wstring& text) {
    return text.find_first_not_of(L" \t\r\n\f\v") == std::wstring::npos;
}

}  // namespace

std::wstring WinRMEnableMessage(const std::wstring& output) {
    if (Contains(output, L"WinRM has been updated for remote management"))
        return L"Successfully enabled WinRM";
    // Older versions of the tool word it one way, newer ones the other.
    if (Contains(output, L"WinRM already is set up for remote") ||
        Contains(output, L"WinRM is already set up for remote management"))
        return output;
    return L"Failed to enable WinRM";
}

std::wstring WinRMDisableMessage(const std::wstring& output) {
    if (Contains(output, L"The service cannot find the resource")) return L"WinRM already disabled";
    // Deleting the listener prints nothing; anything else is an error the
    // tool (or the runner) reported.
    if (IsBlank(output)) return L"Successfully disabled WinRM";
    return L"Failed to disable WinRM:\r\n\r\n" + output;
}

frmWinRM::frmWinRM(app::Services& services)
    : ui::Form(*services.shell, L"frmWinRM"), services_(services) {
    SetCaption(L"WinRM");
    clientWidth = 4215;
    clientHeight = 1680;
    borderStyle = ui::BorderStyle::FixedSingle;
    iconId = IDI_WINRM;

    auto button = [this](const wchar_t* name, const wchar_t* caption, int left, int top,
                         void (frmWinRM::*handler)()) {
        auto& b = Add<ui::Button>(name);
        b.SetCaption(caption);
        b.bounds = {left, top, 1695, 375};
        b.Click = [this, handler] { (this->*handler)(); };
        return &b;
    };
    cmdEnable = button(L"cmdEnable", L"&Enable WinRM", 240, 360, &frmWinRM::cmdEnable_Click);
    cmdDisable = button(L"cmdDisable", L"&Disable WinRM", 2280, 360, &frmWinRM::cmdDisable_Click);
    cmdExit = button(L"cmdExit", L"E&xit", 1260, 1080, &frmWinRM::cmdExit_Click);
    SetTabOrder({cmdEnable, cmdDisable, cmdExit});
}

void frmWinRM::cmdEnable_Click() {
    const std::wstring output = services_.runner->RunAndCaptureOutput(
        kWinRMEnableCommandLine, /*captureStdOut=*/true, /*captureStdErr=*/false,
        /*oemToAnsi=*/true);
    GetShell().MsgBox(WinRMEnableMessage(output), ui::kMbOk);
}

void frmWinRM::cmdDisable_Click() {
    // The tool reports a missing listener and its other errors on standard
    // error, so both streams are read.
    const std::wstring output = services_.runner->RunAndCaptureOutput(
        kWinRMDisableCommandLine, /*captureStdOut=*/true, /*captureStdErr=*/true,
        /*oemToAnsi=*/true);
    GetShell().MsgBox(WinRMDisableMessage(output), ui::kMbOk);
}

void frmWinRM::cmdExit_Click() { Unload(); }

}  // namespace remote
