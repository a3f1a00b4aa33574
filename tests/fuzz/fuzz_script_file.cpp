// Fuzz target: our host's settings text file (host/ScriptFile). Whatever the
// text, parsing ends with entries or a message; entries it accepts are
// written back and read again to the same keys, types and bits.
#include "FuzzSupport.h"

#include "host/cli/ScriptFile.h"

#include <cstring>

namespace {

bool SameEntry(const pfDescriptorEntry& a, const pfDescriptorEntry& b)
{
    if (a.key != b.key || a.value.index() != b.value.index())
        return false;
    if (const auto* pA = std::get_if<double>(&a.value)) {
        const double fB = std::get<double>(b.value);
        return std::memcmp(pA, &fB, sizeof fB) == 0;
    }
    return a.value == b.value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::string strText(reinterpret_cast<const char*>(pData), nSize);
    pfDescriptor descriptor;
    std::string strError;
    if (!ParseScriptText(strText, descriptor, strError)) {
        FuzzCheck(!strError.empty(), "a refused text says why");
        FuzzCheck(descriptor.empty(), "a refused text leaves the descriptor unchanged");
        return 0;
    }
    pfDescriptor again;
    FuzzCheck(ParseScriptText(FormatScriptText(descriptor), again, strError), "written entries read back");
    FuzzCheck(again.size() == descriptor.size(), "as many entries read back as were written");
    for (std::size_t i = 0; i < again.size(); ++i)
        FuzzCheck(SameEntry(again[i], descriptor[i]), "every entry reads back to the same key, type and bits");
    return 0;
}
