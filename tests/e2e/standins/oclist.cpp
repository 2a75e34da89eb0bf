// Stand-in for the feature-listing tool (oclist.exe; oclist64.exe is the same
// program). Appends the name it was started as to oclist-log.txt beside
// itself and prints a feature tree in the tool's layout. A feature counts as
// installed when its name is a line of ocsetup-state.txt beside itself; when
// that file does not exist, the features marked below start installed.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>

#ifndef OCLIST_NAME
#define OCLIST_NAME "oclist.exe"
#endif

namespace {

struct Feature {
    int depth;
    const char* name;
    bool installedAtFirst;
};

// Blank "|" lines in between are part of the real tool's drawing.
constexpr Feature kFeatures[] = {
    {1, "BitLocker", false},
    {1, "DNS-Server-Core-Role", true},
    {1, "DirectoryServices-DomainController-ServerFoundation", false},
    {1, "IIS-WebServerRole", false},
    {2, "IIS-WebServer", false},
    {3, "IIS-CommonHttpFeatures", false},
    {4, "IIS-StaticContent", false},
    {3, "IIS-Security", false},
    {2, "IIS-FTPPublishingService", false},
    {1, "Legacy&Tools", false},
    {1, "NetworkLoadBalancingHeadlessServer", true},
    {2, "NLB Tools", true},
};

std::string Folder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

bool ReadInstalled(const std::string& folder, std::set<std::string>& installed) {
    FILE* file = std::fopen((folder + "ocsetup-state.txt").c_str(), "rb");
    if (!file) return false;
    char line[512];
    while (std::fgets(line, sizeof(line), file)) {
        std::string name(line);
        while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
        if (!name.empty()) installed.insert(name);
    }
    std::fclose(file);
    return true;
}

std::string Bars(int depth) {
    std::string bars;
    for (int d = 1; d < depth; ++d) bars += "       |";
    return bars;
}

}  // namespace

int main() {
    // Line ends exactly as printed (CR LF), not doubled by text mode.
    _setmode(_fileno(stdout), _O_BINARY);
    const std::string folder = Folder();
    if (FILE* log = std::fopen((folder + "oclist-log.txt").c_str(), "ab")) {
        std::fprintf(log, "%s\r\n", OCLIST_NAME);
        std::fclose(log);
    }
    std::set<std::string> installed;
    const bool known = ReadInstalled(folder, installed);

    std::printf(
        "Use the listed update names with Ocsetup.exe to install/uninstall a server role "
        "or optional feature.\r\n");
    std::printf(
        "Adding or removing the packages that make up a role is handled by "
        "Ocsetup.exe.\r\n\r\n");
    std::printf("Microsoft-Windows-ServerCore-Package\r\n");
    for (const Feature& f : kFeatures) {
        const bool on = known ? installed.count(f.name) != 0 : f.installedAtFirst;
        if (f.depth > 1) std::printf("%s\r\n", Bars(f.depth).c_str());
        std::printf("%s%s%s:%s\r\n", Bars(f.depth).c_str(), f.depth > 1 ? "--- " : "",
                    on ? "Installed" : "Not Installed", f.name);
    }
    std::fflush(stdout);
    return 0;
}
