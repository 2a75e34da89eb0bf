#include "features/frmDcpromo.h"

#include "app/FormCatalog.h"
#include "app/Services.h"
#include "sysaccess/VbError.h"
#include "ui/Shell.h"

namespace features {
namespace {

app::FormRegistration registration(L"frmDcpromo",
                                   [](app::Services& s) { return ui::NewForm<frmDcpromo>(s); });

}  // namespace

frmDcpromo::frmDcpromo(app::Services& services)
    : ui::Form(*services.shell, L"frmDcpromo"), services_(services) {
    SetCaption(L"DCPROMO");
    clientWidth = 9600;
    clientHeight = 6240;

    txtOut = &Add<ui::TextBox>(L"txtOut");
    txtOut->bounds = {120, 120, 9360, 5415};
    txtOut->multiLine = true;
    txtOut->scrollBars = true;
    txtOut->SetBackColor(ui::Rgb(0, 0, 0));
    txtOut->SetForeColor(ui::Rgb(224, 224, 224));

    cmdDCPROMO = &Add<ui::Button>(L"cmdDCPROMO");
    cmdDCPROMO->SetCaption(L"DCPROMO");
    cmdDCPROMO->bounds = {120, 5715, 1335, 375};
    cmdDCPROMO->Click = [this] { cmdDCPROMO_Click(); };

    // The button takes the first focus: focus arriving in the pane by the
    // keyboard selects its whole text, which the next piece would replace.
    SetTabOrder({cmdDCPROMO, txtOut});
}

void frmDcpromo::Form_Load() {
    closed_ = false;
    if (services_.consoles) conApp = services_.consoles->Create();
    if (!conApp) return;
    ui::Shell& shell = GetShell();
    conApp->ProcessEvents = [&shell] { shell.DoEvents(); };
    conApp->ReadProcess = [this](const std::wstring& readData) { conApp_ReadProcess(readData); };
    RunConsoleCommand(L"cmd /k");
}

void frmDcpromo::Form_Unload() {
    // A capture still running belongs to a window that is going away: it ends
    // at its next turn and delivers nothing more (see conApp_ReadProcess).
    closed_ = true;
    if (conApp) conApp->Cancel();
}

void frmDcpromo::cmdDCPROMO_Click() { RunConsoleCommand(L"cmd /k dir"); }

void frmDcpromo::RunConsoleCommand(const std::wstring& commandLine) {
    if (!conApp) return;
    // The form may be closed while the capture runs; keep it in memory until
    // the capture has returned.
    auto keepAlive = weak_from_this().lock();
    try {
        conApp->RunProcess(commandLine);
    } catch (const sysaccess::VbError& e) {
        // Under the application's title, as every message of the program.
        if (!closed_)
            GetShell().MsgBox(L"\"" + commandLine + L"\" could not be run: " + e.Description(),
                              ui::kMbIconCritical);
    }
}

void frmDcpromo::conApp_ReadProcess(const std::wstring& readData) {
    if (closed_) {
        conApp->Cancel();
        return;
    }
    txtOut->ReplaceSelection(readData);
    txtOut->SetSelection(static_cast<int>(txtOut->Text().size()), 0);
    if (!readData.empty() && readData.back() == L'>') conApp->Cancel();
}

}  // namespace features
