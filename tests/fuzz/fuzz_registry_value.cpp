// Fuzzes the decoding of registry data into variants: any stored type with
// any data (odd lengths, missing NULs) must come back as the documented
// variant, never read outside the data. The first byte is the type; %A%
// expands to a longer text, so that growth is exercised too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sysaccess/cRegistry.h"
#include "tests/fakes/FakeRegistry.h"

using namespace sysaccess;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 1) return 0;
    const std::uint32_t type = bytes[0] % 12;
    const std::vector<std::uint8_t> data(bytes + 1, bytes + size);
    fakes::FakeRegistry backend;
    backend.SetEnvironment(L"A", L"expanded");
    backend.SetRaw(kHkeyLocalMachine, L"SOFTWARE\\Fuzz", L"Value", type, data);
    cRegistry reg(backend);
    reg.SetClassKey(kHkeyLocalMachine);
    reg.SetSectionKey(L"SOFTWARE\\Fuzz");
    reg.SetValueKey(L"Value");
    const Variant v = reg.Value();
    bool documented = v.IsBytes() && v.BytesValue() == data;
    if (type == kRegSz || type == kRegMultiSz)  // at most a character per two bytes
        documented = v.IsText() && v.Text().size() <= data.size() / 2;
    else if (type == kRegExpandSz)
        documented = v.IsText();
    else if (type == kRegDword || type == kRegDwordBigEndian)
        documented = v.IsInteger();
    if (!documented || reg.ValueType() != static_cast<std::int32_t>(type)) std::abort();
    return 0;
}
