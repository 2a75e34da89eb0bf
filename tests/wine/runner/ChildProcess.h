#pragma once
// The runner tests start this very executable again as the child process,
// with "--child=<mode>" as its first argument; see ChildMain.cpp.
#include <string>

namespace runner_test {

// The bytes that "--child=emit:<size>" writes: numbered lines, cut at size,
// so that a byte lost or doubled anywhere changes the text.
std::string Pattern(std::size_t size);

// A command line that starts this executable as a child in the given mode.
std::wstring ChildCommandLine(const std::wstring& mode);

}  // namespace runner_test
