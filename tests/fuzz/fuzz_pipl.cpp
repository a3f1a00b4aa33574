// Fuzz target: the property list reader (host/PiplReader), which reads a
// plug-in library as untrusted bytes. It refuses with a reason or lists
// properties that lie inside their resources.
#include "FuzzSupport.h"

#include "host/plugin/PiplReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::vector<uint8_t> bytes(pData, pData + nSize);
    const PiplReadResult result = ReadPiplImage(bytes);
    if (!result.bOk) {
        FuzzCheck(!result.strError.empty(), "a refused file says why");
        return 0;
    }
    for (const PiplResource& resource : result.image.lstResources) {
        FuzzCheck(resource.nSize <= nSize, "a resource fits in the file");
        for (const PiplProperty& property : resource.lstProperties)
            FuzzCheck(property.data.size() == property.nLength && property.nOffset < resource.nSize,
                      "a property's data is what its length says, inside its resource");
    }
    FormatPipl(result.image);
    return 0;
}
