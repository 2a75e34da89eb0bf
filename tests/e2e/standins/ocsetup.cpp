// Stand-in for the optional-component installer. Appends its arguments (the
// command line after the program name, one line) to ocsetup-log.txt beside
// itself and records the result in ocsetup-state.txt there, which the
// oclist stand-ins read: "NAME" installs NAME, "NAME /uninstall" removes it.
// Before the first change the state file is made from the listing's own
// starting state (the features installed at first).
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

// What the oclist stand-ins report as installed before any change.
const char* const kInstalledAtFirst[] = {"DNS-Server-Core-Role",
                                         "NetworkLoadBalancingHeadlessServer", "NLB Tools"};

std::string Folder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string Arguments() {
    std::string line = GetCommandLineA();
    std::size_t i = 0;
    if (!line.empty() && line[0] == '"') {
        i = line.find('"', 1);
        i = i == std::string::npos ? line.size() : i + 1;
    } else {
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    }
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    std::string args = line.substr(i);
    while (!args.empty() && (args.back() == ' ' || args.back() == '\t')) args.pop_back();
    return args;
}

}  // namespace

int main() {
    const std::string folder = Folder();
    const std::string state = folder + "ocsetup-state.txt";
    const std::string args = Arguments();
    if (FILE* log = std::fopen((folder + "ocsetup-log.txt").c_str(), "ab")) {
        std::fprintf(log, "%s\r\n", args.c_str());
        std::fclose(log);
    }
    std::set<std::string> installed;
    if (FILE* file = std::fopen(state.c_str(), "rb")) {
        char line[512];
        while (std::fgets(line, sizeof(line), file)) {
            std::string name(line);
            while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
            if (!name.empty()) installed.insert(name);
        }
        std::fclose(file);
    } else {
        installed.insert(std::begin(kInstalledAtFirst), std::end(kInstalledAtFirst));
    }
    const std::string suffix = " /uninstall";
    if (args.size() > suffix.size() &&
        args.compare(args.size() - suffix.size(), suffix.size(), suffix) == 0)
        installed.erase(args.substr(0, args.size() - suffix.size()));
    else if (!args.empty())
        installed.insert(args);
    if (FILE* file = std::fopen(state.c_str(), "wb")) {
        for (const std::string& name : installed) std::fprintf(file, "%s\r\n", name.c_str());
        std::fclose(file);
    }
    std::printf("Ocsetup finished.\r\n");
    return 0;
}
