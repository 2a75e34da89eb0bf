#pragma once
// The windows that can be opened by name. Each window file registers its
// window class here, so the main menu opens what exists without knowing it.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/Services.h"
#include "ui/Form.h"

namespace app {

class FormCatalog {
public:
    using Factory = std::function<std::shared_ptr<ui::Form>(Services&)>;

    void Add(const std::wstring& name, Factory factory);
    bool Has(const std::wstring& name) const { return factories_.count(name) != 0; }
    // A new window object of that class (Initialize raised), or nullptr when
    // no such window is registered.
    std::shared_ptr<ui::Form> Create(const std::wstring& name, Services& services) const;
    std::vector<std::wstring> Names() const;

    // The program's own catalog, filled by FormRegistration objects.
    static FormCatalog& Default();

private:
    std::map<std::wstring, Factory> factories_;
};

// Registers a window class in FormCatalog::Default() at start-up:
//   static app::FormRegistration reg(L"frmX", [](app::Services& s) {
//       return ui::NewForm<frmX>(s); });
struct FormRegistration {
    FormRegistration(const std::wstring& name, FormCatalog::Factory factory) {
        FormCatalog::Default().Add(name, std::move(factory));
    }
};

// Creates, loads and shows a window modeless, as the main menu does.
// Returns the window, or nullptr when the class is not registered.
std::shared_ptr<ui::Form> OpenModeless(Services& services, const std::wstring& name);

}  // namespace app
