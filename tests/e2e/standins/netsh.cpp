// Stand-in for netsh. Appends its whole command line (UTF-8, one line) to
// netsh-log.txt beside itself and answers as the firewall commands do:
// "Ok." for success, or netsh's refusal for a rule group whose name holds
// one of the texts listed in netsh-fail.txt beside itself (one per line;
// without that file, groups containing "Event Log" fail).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::wstring Folder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::vector<std::string> FailingGroups(const std::wstring& folder) {
    std::vector<std::string> texts;
    FILE* file = _wfopen((folder + L"netsh-fail.txt").c_str(), L"rb");
    if (!file) return {"Event Log"};
    char line[512];
    while (std::fgets(line, sizeof(line), file)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        if (!text.empty()) texts.push_back(text);
    }
    std::fclose(file);
    return texts;
}

}  // namespace

int main() {
    const std::wstring folder = Folder();
    const std::string commandLine = Utf8(GetCommandLineW());
    if (FILE* log = _wfopen((folder + L"netsh-log.txt").c_str(), L"ab")) {
        std::fprintf(log, "%s\r\n", commandLine.c_str());
        std::fclose(log);
    }

    const std::size_t group = commandLine.find("group=\"");
    if (group != std::string::npos) {
        const std::size_t start = group + 7;
        const std::string name = commandLine.substr(start, commandLine.find('"', start) - start);
        for (const std::string& failing : FailingGroups(folder)) {
            if (name.find(failing) != std::string::npos) {
                std::printf("\r\nNo rules match the specified criteria.\r\n\r\n");
                return 1;
            }
        }
        std::printf("\r\nUpdated 3 rule(s).\r\nOk.\r\n\r\n");
        return 0;
    }
    if (commandLine.find("icmpsetting") != std::string::npos) {
        std::printf(
            "\r\nIMPORTANT: Command executed successfully.\r\n"
            "However, \"netsh firewall\" is deprecated;\r\n"
            "use \"netsh advfirewall firewall\" instead.\r\n\r\nOk.\r\n\r\n");
        return 0;
    }
    std::printf("The following command was not found: %s.\r\n", commandLine.c_str());
    return 1;
}
