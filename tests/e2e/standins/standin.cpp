// Stand-in for the system's command-line tools, copied beside quillon.exe
// under a tool's name (netsh.exe, dism.exe, ...). It appends its command line,
// as its own name and the arguments, to standin-runs.txt there, and prints
// standin-reply.txt from there, whatever it was asked. As standin.exe, its
// first argument names the tool (winrm.cmd hands over to it so).
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

int main() {
    char path[MAX_PATH] = {};
    const std::string self(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    const std::string folder = self.substr(0, self.rfind('\\') + 1);
    const std::string given = GetCommandLineA();  // the program's path, quoted or not, first
    const std::size_t end = given[0] == '"' ? given.find('"', 1) + 1 : given.find(' ');
    const std::size_t arguments = given.find_first_not_of(' ', end);
    std::string commandLine = self.substr(folder.size());
    if (arguments != std::string::npos) commandLine += " " + given.substr(arguments);
    if (commandLine.starts_with("standin.exe ")) commandLine.erase(0, 12);
    std::ofstream(folder + "standin-runs.txt", std::ios::app | std::ios::binary)
        << commandLine << "\r\n";
    std::ifstream file(folder + "standin-reply.txt", std::ios::binary);
    const std::string reply{std::istreambuf_iterator<char>(file), {}};
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), reply.data(), DWORD(reply.size()), &written,
              nullptr);
}
