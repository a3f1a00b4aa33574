// The text listing of a plug-in's property lists for --list-pipl. Values
// come from an untrusted file, so every character that is not printable
// ASCII is shown escaped.
#include "PiplReader.h"

#include <iomanip>
#include <ostream>
#include <sstream>

namespace {

constexpr uint32_t Code(const char (&text)[5])
{
    return uint32_t(uint8_t(text[0])) << 24 | uint32_t(uint8_t(text[1])) << 16 | uint32_t(uint8_t(text[2])) << 8 |
           uint32_t(uint8_t(text[3]));
}

std::string Escaped(const uint8_t* pBegin, const uint8_t* pEnd)
{
    std::ostringstream os;
    for (const uint8_t* p = pBegin; p != pEnd; ++p) {
        if (*p >= 0x20 && *p < 0x7F && *p != '"' && *p != '\\')
            os << char(*p);
        else
            os << "\\x" << std::hex << std::setw(2) << std::setfill('0') << int(*p) << std::dec;
    }
    return os.str();
}

std::string Hex(const std::vector<uint8_t>& data)
{
    std::ostringstream os;
    os << std::hex << std::setfill('0');
    for (const uint8_t b : data)
        os << std::setw(2) << int(b);
    return os.str();
}

uint32_t ReadU32(const std::vector<uint8_t>& data)
{
    return uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24;
}

std::string PascalString(const std::vector<uint8_t>& data)
{
    if (data.empty() || data[0] > data.size() - 1)
        return "<bad length-prefixed string>";
    return '"' + Escaped(data.data() + 1, data.data() + 1 + data[0]) + '"';
}

std::string CString(const std::vector<uint8_t>& data)
{
    const uint8_t* pBegin = data.data();
    const uint8_t* pEnd = pBegin + data.size();
    const uint8_t* pNul = pBegin;
    while (pNul != pEnd && *pNul != 0)
        ++pNul;
    if (pNul == pEnd)
        return "<unterminated string>";
    return '"' + Escaped(pBegin, pNul) + '"';
}

std::string Modes(const std::vector<uint8_t>& data)
{
    static const char* const kNames[16] = {"Bitmap",       "Grayscale", "Indexed", "RGB",
                                           "CMYK",         "HSL",       "HSB",     "Multichannel",
                                           "Duotone",      "Lab",       "Gray16",  "RGB48",
                                           "Lab48",        "CMYK64",    "DeepMultichannel", "Duotone16"};
    std::string strModes;
    for (std::size_t nBit = 0; nBit < 16 && nBit / 8 < data.size(); ++nBit) {
        if (data[nBit / 8] & (0x80 >> (nBit % 8)))
            strModes += (strModes.empty() ? "" : " ") + std::string(kNames[nBit]);
    }
    return strModes.empty() ? "<none>" : strModes;
}

std::string FilterCases(const std::vector<uint8_t>& data)
{
    if (data.size() % 4 != 0)
        return "<not whole entries>";
    std::ostringstream os;
    os << std::hex << std::setfill('0');
    for (std::size_t i = 0; i < data.size(); i += 4) {
        os << (i ? " " : "") << int(data[i]) << "/" << int(data[i + 1]) << "/" << std::setw(2) << int(data[i + 2])
           << "/" << std::setw(2) << int(data[i + 3]);
    }
    return os.str();
}

std::string ReadableValue(const PiplProperty& property)
{
    const std::vector<uint8_t>& data = property.data;
    switch (property.nKey) {
    case Code("kind"):
    case Code("host"):
        return data.size() >= 4 ? "'" + FourCCText(ReadU32(data)) + "'" : "<short>";
    case Code("vers"):
        if (data.size() < 4)
            return "<short>";
        return std::to_string(ReadU32(data) >> 16) + "." + std::to_string(ReadU32(data) & 0xFFFF);
    case Code("name"):
    case Code("catg"):
        return PascalString(data);
    case Code("wx86"):
    case Code("8664"):
    case Code("wa64"):
    case Code("enbl"):
        return CString(data);
    case Code("mode"):
        return Modes(data);
    case Code("fici"):
        return FilterCases(data);
    default:
        return "-";
    }
}

} // namespace

std::string FourCCText(uint32_t nCode)
{
    const uint8_t chars[4] = {uint8_t(nCode >> 24), uint8_t(nCode >> 16), uint8_t(nCode >> 8), uint8_t(nCode)};
    return Escaped(chars, chars + 4);
}

const char* PeMachineName(PeMachine machine)
{
    switch (machine) {
    case PeMachine::X86:
        return "x86";
    case PeMachine::X64:
        return "x64";
    case PeMachine::Arm64:
        return "arm64";
    default:
        return "other";
    }
}

std::string FormatPipl(const std::vector<PiplResource>& lstResources)
{
    std::ostringstream os;
    for (const PiplResource& resource : lstResources) {
        os << "PIPL " << resource.strName << " language=" << resource.nLanguage << " size=" << resource.nSize
           << " reserved=" << resource.nReserved << " version=" << resource.nVersion
           << " count=" << resource.lstProperties.size() << "\n";
        for (const PiplProperty& property : resource.lstProperties) {
            os << "  " << FourCCText(property.nVendor) << " " << FourCCText(property.nKey) << " id=" << property.nId
               << " length=" << property.nLength << " offset=" << property.nOffset
               << " value=" << ReadableValue(property) << " data=" << Hex(property.data) << "\n";
        }
    }
    return os.str();
}

std::string FormatPipl(const PiplImage& image)
{
    std::ostringstream os;
    os << "machine=" << PeMachineName(image.machine) << " (0x" << std::hex << std::setw(4) << std::setfill('0')
       << image.nMachineCode << ")\n";
    return os.str() + FormatPipl(image.lstResources);
}

int ListPipl(const std::string& strPath, std::ostream& out, std::ostream& err)
{
    const PiplReadResult result = ReadPiplFile(strPath);
    if (!result.bOk) {
        err << "corvhost: " << result.strError << "\n";
        return 2;
    }
    out << FormatPipl(result.image);
    return 0;
}
