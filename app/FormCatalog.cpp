#include "app/FormCatalog.h"

namespace app {

void FormCatalog::Add(const std::wstring& name, Factory factory) {
    factories_[name] = std::move(factory);
}

std::shared_ptr<ui::Form> FormCatalog::Create(const std::wstring& name, Services& services) const {
    auto it = factories_.find(name);
    if (it == factories_.end()) return nullptr;
    return it->second(services);
}

std::vector<std::wstring> FormCatalog::Names() const {
    std::vector<std::wstring> names;
    for (const auto& [name, factory] : factories_) names.push_back(name);
    return names;
}

FormCatalog& FormCatalog::Default() {
    static FormCatalog catalog;
    return catalog;
}

std::shared_ptr<ui::Form> OpenModeless(Services& services, const std::wstring& name) {
    if (!services.catalog) return nullptr;
    auto form = services.catalog->Create(name, services);
    if (!form) return nullptr;
    form->Load();
    if (form->IsLoaded()) form->Show();
    return form;
}

}  // namespace app
