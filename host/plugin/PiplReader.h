// Reads the plug-in property lists ("PIPL" resources) of a Windows plug-in
// library the way a host does before it loads any code: the file is treated
// as untrusted data, never mapped or executed, so it works on every platform
// and for either bitness.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

enum class PeMachine { X86, X64, Arm64, Other };

struct PiplProperty {
    uint32_t nVendor = 0;  // four-character codes, first character in the high byte
    uint32_t nKey = 0;
    int32_t nId = 0;
    uint32_t nLength = 0;      // as stored; hosts expect it padded to a multiple of 4
    std::size_t nOffset = 0;   // of the property's vendor code, from the start of the resource
    std::vector<uint8_t> data; // nLength bytes
};

struct PiplResource {
    std::string strName; // the resource's numeric identifier in decimal, or its name
    uint32_t nLanguage = 0;
    uint16_t nReserved = 0;
    int32_t nVersion = 0;
    std::size_t nSize = 0; // bytes of resource data
    std::vector<PiplProperty> lstProperties;
};

struct PiplImage {
    PeMachine machine = PeMachine::Other;
    uint16_t nMachineCode = 0;
    std::vector<PiplResource> lstResources;
};

struct PiplReadResult {
    bool bOk = false;
    std::string strError; // set when bOk is false
    PiplImage image;
};

// Parses a PE image held in memory. Malformed or truncated images give a
// result with bOk false and a message naming what is wrong.
PiplReadResult ReadPiplImage(const std::vector<uint8_t>& bytes);
// The same from a file; the message then starts with the path.
PiplReadResult ReadPiplFile(const std::string& strPath);

std::string FourCCText(uint32_t nCode);
const char* PeMachineName(PeMachine machine);

// One line per property: vendor, key, id, length, offset, a readable value
// and the data bytes in hex.
std::string FormatPipl(const std::vector<PiplResource>& lstResources);
// The machine line followed by the listing above.
std::string FormatPipl(const PiplImage& image);

// The host's --list-pipl option: prints the listing of strPath to out, or the
// reason it cannot be read to err. Returns the process exit code: 0, or 2
// for a file that cannot be read or is malformed.
int ListPipl(const std::string& strPath, std::ostream& out, std::ostream& err);
