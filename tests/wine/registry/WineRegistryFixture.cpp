#include "tests/wine/registry/WineRegistryFixture.h"

#include <vector>

namespace wine_registry {

namespace {

struct HandleOwner {
    HANDLE h = nullptr;
    HandleOwner() = default;
    HandleOwner(const HandleOwner&) = delete;
    HandleOwner& operator=(const HandleOwner&) = delete;
    ~HandleOwner() { reset(); }
    void reset() {
        if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
        h = nullptr;
    }
};

std::wstring Decode(const std::string& bytes) {
    // Wine's console tools write UTF-16 only to real consoles; into a pipe they
    // write the console's code page.
    if (bytes.empty()) return {};
    const UINT codePage = GetConsoleOutputCP() ? GetConsoleOutputCP() : GetOEMCP();
    const int chars =
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(chars), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                        chars);
    return text;
}

}  // namespace

CommandResult RunCommand(const std::wstring& commandLine) {
    CommandResult result;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HandleOwner readEnd, writeEnd;
    if (!CreatePipe(&readEnd.h, &writeEnd.h, &inherit, 0)) return result;
    SetHandleInformation(readEnd.h, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = writeEnd.h;
    startup.hStdError = writeEnd.h;
    startup.hStdInput = nullptr;
    PROCESS_INFORMATION process{};
    std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back(L'\0');
    if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process))
        return result;
    HandleOwner processHandle, threadHandle;
    processHandle.h = process.hProcess;
    threadHandle.h = process.hThread;
    writeEnd.reset();
    result.started = true;

    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(readEnd.h, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    WaitForSingleObject(processHandle.h, 60000);
    GetExitCodeProcess(processHandle.h, &result.exitCode);
    result.output = Decode(bytes);
    return result;
}

bool ParseRegQuery(const std::wstring& output, const std::wstring& valueName, std::wstring& type,
                   std::wstring& data) {
    // Lines look like "    Name    REG_SZ    data"; the unnamed value is "(Default)".
    const std::wstring shownName = valueName.empty() ? L"(Default)" : valueName;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find(L'\n', start);
        if (end == std::wstring::npos) end = output.size();
        std::wstring line = output.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        start = end + 1;
        const std::wstring prefix = L"    " + shownName + L"    ";
        if (line.compare(0, prefix.size(), prefix) != 0) continue;
        const std::wstring rest = line.substr(prefix.size());
        const std::size_t gap = rest.find(L"    ");
        type = rest.substr(0, gap);
        data = gap == std::wstring::npos ? L"" : rest.substr(gap + 4);
        return true;
    }
    return false;
}

void WineRegistry::SetUp() {
    keyPath = L"Software\\QuillonWineTest\\" + std::to_wstring(GetCurrentProcessId()) + L"\\" +
              std::to_wstring(GetTickCount());
    regExePath = L"HKEY_CURRENT_USER\\" + keyPath;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void WineRegistry::TearDown() {
    RegDeleteTreeW(HKEY_CURRENT_USER, keyPath.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, keyPath.c_str());
    const std::wstring parent = keyPath.substr(0, keyPath.rfind(L'\\'));
    RegDeleteKeyW(HKEY_CURRENT_USER, parent.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QuillonWineTest");
}

sysaccess::cRegistry WineRegistry::At(const std::wstring& name, std::int32_t type,
                                      const std::wstring& subKey) {
    sysaccess::cRegistry reg(backend);
    reg.SetClassKey(sysaccess::kHkeyCurrentUser);
    reg.SetSectionKey(subKey.empty() ? keyPath : keyPath + L"\\" + subKey);
    reg.SetValueKey(name);
    reg.SetValueType(type);
    return reg;
}

}  // namespace wine_registry
