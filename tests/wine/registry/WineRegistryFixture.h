#pragma once
// A scratch key in the real (Wine) registry for each test, removed again
// afterwards, plus a way to ask Wine's own reg.exe about it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "sysaccess/cRegistry.h"
#include "tests/support/FakeAutomation.h"  // readable variants in failures
#include "win32/Win32Registry.h"

namespace wine_registry {

struct CommandResult {
    bool started = false;
    DWORD exitCode = 0;
    std::wstring output;
};

// Runs a command line hidden and returns what it wrote to standard output
// and standard error (UTF-16 when the tool writes it so, else OEM text).
CommandResult RunCommand(const std::wstring& commandLine);

// The data column of one value in "reg.exe query" output, and its type;
// false when the value is not listed.
bool ParseRegQuery(const std::wstring& output, const std::wstring& valueName, std::wstring& type,
                   std::wstring& data);

class WineRegistry : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A cRegistry pointed at a value below the scratch key (HKCU).
    sysaccess::cRegistry At(const std::wstring& name, std::int32_t type = 0,
                            const std::wstring& subKey = L"");

    // Path below HKEY_CURRENT_USER and the same with the root's name, for reg.exe.
    std::wstring keyPath;
    std::wstring regExePath;

    win32::Win32RegistryBackend backend;
};

}  // namespace wine_registry
