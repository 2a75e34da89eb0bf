#include "ui/Shell.h"

#include <exception>

#include "sysaccess/VbError.h"
#include "ui/Form.h"

namespace ui {

void Shell::RunEvent(Form* form, const std::function<void()>& handler) noexcept {
    std::shared_ptr<Form> keepAlive = form ? form->weak_from_this().lock() : nullptr;
    std::wstring failure;
    try {
        if (handler) handler();
        return;
    } catch (const sysaccess::VbError& e) {
        failure = L"Run-time error '" + std::to_wstring(e.Number()) + L"':\r\n\r\n" + e.Description();
    } catch (const std::exception& e) {
        std::string what = e.what();
        failure = L"Unexpected error: " + std::wstring(what.begin(), what.end());
    } catch (...) {
        failure = L"Unexpected error.";
    }
    try {
        MsgBox(failure, kMbIconCritical);
    } catch (...) {
        // Nothing more can be told.
    }
}

}  // namespace ui
