#include "PiplReader.h"

#include "host/imagefiles/FileAccess.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr uint16_t kMachineX86 = 0x014C;
constexpr uint16_t kMachineX64 = 0x8664;
constexpr uint16_t kMachineArm64 = 0xAA64;
constexpr uint16_t kMagicPe32 = 0x010B;
constexpr uint16_t kMagicPe32Plus = 0x020B;
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kHighBit = 0x80000000u;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kPiplHeaderSize = 10;
constexpr std::size_t kPropertyHeaderSize = 16;
// Directory entries may all point to the same data or the same
// subdirectory; a hostile file could otherwise have us copy it billions of
// times, or walk one directory once for every entry that names it. Real
// plug-ins hold a few dozen resources.
constexpr std::size_t kMaxPiplResources = 256;
constexpr uint32_t kMaxPiplSize = 64 * 1024;
constexpr std::size_t kMaxDirectoryEntries = 65536;
// Plug-in files are a few megabytes at most.
constexpr uint64_t kMaxPluginFileBytes = uint64_t(1) << 30;

struct MalformedImage : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A bounds-checked window onto the file's bytes; every read names what it
// was looking for, so that a truncated file says where it ends.
class ByteView {
public:
    ByteView(const uint8_t* pData, std::size_t nSize) : m_pData(pData), m_nSize(nSize) {}

    std::size_t Size() const { return m_nSize; }

    void Require(std::size_t nOffset, std::size_t nLength, const char* pWhat) const
    {
        if (nOffset > m_nSize || nLength > m_nSize - nOffset)
            throw MalformedImage(std::string("truncated: ") + pWhat + " lies outside the data");
    }

    uint16_t U16(std::size_t nOffset, const char* pWhat) const
    {
        Require(nOffset, 2, pWhat);
        return uint16_t(m_pData[nOffset] | m_pData[nOffset + 1] << 8);
    }

    uint32_t U32(std::size_t nOffset, const char* pWhat) const
    {
        Require(nOffset, 4, pWhat);
        return uint32_t(m_pData[nOffset]) | uint32_t(m_pData[nOffset + 1]) << 8 |
               uint32_t(m_pData[nOffset + 2]) << 16 | uint32_t(m_pData[nOffset + 3]) << 24;
    }

    ByteView Sub(std::size_t nOffset, std::size_t nLength, const char* pWhat) const
    {
        Require(nOffset, nLength, pWhat);
        return ByteView(m_pData + nOffset, nLength);
    }

    std::vector<uint8_t> Copy(std::size_t nOffset, std::size_t nLength, const char* pWhat) const
    {
        Require(nOffset, nLength, pWhat);
        return std::vector<uint8_t>(m_pData + nOffset, m_pData + nOffset + nLength);
    }

private:
    const uint8_t* m_pData;
    std::size_t m_nSize;
};

struct Section {
    uint32_t nVirtualAddress;
    uint32_t nRawSize;
    uint32_t nRawOffset;
};

class PeFile {
public:
    explicit PeFile(const ByteView& file) : m_File(file) { ReadHeaders(); }

    uint16_t Machine() const { return m_nMachine; }
    uint32_t ResourceRva() const { return m_nResourceRva; }
    uint32_t ResourceSize() const { return m_nResourceSize; }

    // The file bytes of [nRva, nRva + nLength), which must lie in one section's raw data.
    ByteView AtRva(uint32_t nRva, uint32_t nLength, const char* pWhat) const
    {
        for (const Section& section : m_lstSections) {
            if (nRva < section.nVirtualAddress)
                continue;
            const uint32_t nInto = nRva - section.nVirtualAddress;
            if (nInto >= section.nRawSize)
                continue;
            if (nLength > section.nRawSize - nInto)
                throw MalformedImage(std::string("truncated: ") + pWhat + " runs past the end of its section");
            return m_File.Sub(std::size_t(section.nRawOffset) + nInto, nLength, pWhat);
        }
        throw MalformedImage(std::string(pWhat) + " is not inside any section");
    }

private:
    void ReadHeaders()
    {
        if (m_File.Size() < 2 || m_File.U16(0, "the DOS header") != 0x5A4D)
            throw MalformedImage("not a PE file: no MZ signature");
        const std::size_t nPe = m_File.U32(0x3C, "the PE header offset");
        if (m_File.U32(nPe, "the PE signature") != 0x00004550)
            throw MalformedImage("not a PE file: no PE signature");
        const std::size_t nCoff = nPe + 4;
        m_nMachine = m_File.U16(nCoff, "the COFF header");
        const uint16_t nSections = m_File.U16(nCoff + 2, "the COFF header");
        const uint16_t nOptionalSize = m_File.U16(nCoff + 16, "the COFF header");
        const std::size_t nOptional = nCoff + 20;
        ReadResourceDirectory(m_File.Sub(nOptional, nOptionalSize, "the optional header"));
        ReadSections(nOptional + nOptionalSize, nSections);
    }

    void ReadResourceDirectory(const ByteView& optional)
    {
        const uint16_t nMagic = optional.U16(0, "the optional header magic");
        std::size_t nCountOffset = 0;
        if (nMagic == kMagicPe32)
            nCountOffset = 92;
        else if (nMagic == kMagicPe32Plus)
            nCountOffset = 108;
        else
            throw MalformedImage("unknown optional header magic");
        const uint32_t nDirectories = optional.U32(nCountOffset, "the data directory count");
        if (nDirectories <= kResourceDirectoryIndex)
            return;
        const std::size_t nEntry = nCountOffset + 4 + 8 * kResourceDirectoryIndex;
        m_nResourceRva = optional.U32(nEntry, "the resource data directory");
        m_nResourceSize = optional.U32(nEntry + 4, "the resource data directory");
    }

    void ReadSections(std::size_t nTable, uint16_t nSections)
    {
        m_File.Require(nTable, std::size_t(nSections) * kSectionHeaderSize, "the section table");
        for (uint16_t i = 0; i < nSections; ++i) {
            const std::size_t nHeader = nTable + i * kSectionHeaderSize;
            m_lstSections.push_back({m_File.U32(nHeader + 12, "a section header"),
                                     m_File.U32(nHeader + 16, "a section header"),
                                     m_File.U32(nHeader + 20, "a section header")});
        }
    }

    ByteView m_File;
    uint16_t m_nMachine = 0;
    uint32_t m_nResourceRva = 0;
    uint32_t m_nResourceSize = 0;
    std::vector<Section> m_lstSections;
};

PeMachine MachineOf(uint16_t nCode)
{
    switch (nCode) {
    case kMachineX86:
        return PeMachine::X86;
    case kMachineX64:
        return PeMachine::X64;
    case kMachineArm64:
        return PeMachine::Arm64;
    default:
        return PeMachine::Other;
    }
}

uint32_t RoundUp4(uint32_t n) { return n > 0xFFFFFFFCu ? n : (n + 3) & ~3u; }

PiplResource ParsePipl(const ByteView& data)
{
    PiplResource resource;
    resource.nSize = data.Size();
    resource.nReserved = data.U16(0, "the property list header");
    resource.nVersion = int32_t(data.U32(2, "the property list header"));
    const int32_t nCount = int32_t(data.U32(6, "the property list header"));
    if (nCount < 0)
        throw MalformedImage("negative property count");
    std::size_t nOffset = kPiplHeaderSize;
    for (int32_t i = 0; i < nCount; ++i) {
        PiplProperty property;
        property.nOffset = nOffset;
        property.nVendor = data.U32(nOffset, "a property header");
        property.nKey = data.U32(nOffset + 4, "a property header");
        property.nId = int32_t(data.U32(nOffset + 8, "a property header"));
        property.nLength = data.U32(nOffset + 12, "a property header");
        property.data = data.Copy(nOffset + kPropertyHeaderSize, property.nLength, "property data");
        // Readers that round the length up and readers that do not agree
        // only when it is padded; follow the rounding ones.
        nOffset += kPropertyHeaderSize + RoundUp4(property.nLength);
        resource.lstProperties.push_back(std::move(property));
    }
    return resource;
}

std::string ResourceName(const ByteView& directory, uint32_t nName)
{
    if (!(nName & kHighBit))
        return std::to_string(nName);
    const std::size_t nString = nName & ~kHighBit;
    const uint16_t nChars = directory.U16(nString, "a resource name");
    directory.Require(nString + 2, std::size_t(nChars) * 2, "a resource name");
    std::string strName;
    for (uint16_t i = 0; i < nChars; ++i) {
        const uint16_t c = directory.U16(nString + 2 + 2 * i, "a resource name");
        strName += c < 0x80 ? char(c) : '?';
    }
    return strName;
}

bool IsPiplType(const ByteView& directory, uint32_t nName)
{
    if (!(nName & kHighBit) || directory.U16(nName & ~kHighBit, "a resource name") != 4)
        return false;
    std::string strName = ResourceName(directory, nName);
    std::transform(strName.begin(), strName.end(), strName.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; });
    return strName == "PIPL";
}

struct DirectoryEntry {
    uint32_t nName;
    uint32_t nTarget;
};

// Every directory entry read is taken from one allowance for the file.
class EntryAllowance {
public:
    void Take(std::size_t nEntries)
    {
        if (nEntries > m_nLeft)
            throw MalformedImage("more than " + std::to_string(kMaxDirectoryEntries) +
                                 " resource directory entries to read");
        m_nLeft -= nEntries;
    }

private:
    std::size_t m_nLeft = kMaxDirectoryEntries;
};

// The entries of the directory table at nOffset within the resource section.
std::vector<DirectoryEntry> ReadDirectory(const ByteView& directory, uint32_t nOffset, EntryAllowance& allowance)
{
    const std::size_t nNamed = directory.U16(nOffset + 12, "a resource directory");
    const std::size_t nIds = directory.U16(nOffset + 14, "a resource directory");
    allowance.Take(nNamed + nIds);
    const std::size_t nFirst = std::size_t(nOffset) + 16;
    directory.Require(nFirst, (nNamed + nIds) * 8, "a resource directory's entries");
    std::vector<DirectoryEntry> lstEntries;
    for (std::size_t i = 0; i < nNamed + nIds; ++i)
        lstEntries.push_back({directory.U32(nFirst + 8 * i, "a resource entry"),
                              directory.U32(nFirst + 8 * i + 4, "a resource entry")});
    return lstEntries;
}

uint32_t Subdirectory(const DirectoryEntry& entry)
{
    if (!(entry.nTarget & kHighBit))
        throw MalformedImage("resource entry points to data where a directory belongs");
    return entry.nTarget & ~kHighBit;
}

// Type, name and language: the three levels every resource sits under.
std::vector<PiplResource> ReadPiplResources(const PeFile& pe)
{
    std::vector<PiplResource> lstResources;
    if (pe.ResourceRva() == 0 || pe.ResourceSize() == 0)
        return lstResources;
    const ByteView directory = pe.AtRva(pe.ResourceRva(), pe.ResourceSize(), "the resource directory");
    EntryAllowance allowance;
    for (const DirectoryEntry& type : ReadDirectory(directory, 0, allowance)) {
        if (!IsPiplType(directory, type.nName))
            continue;
        for (const DirectoryEntry& name : ReadDirectory(directory, Subdirectory(type), allowance)) {
            for (const DirectoryEntry& language : ReadDirectory(directory, Subdirectory(name), allowance)) {
                if (language.nTarget & kHighBit)
                    throw MalformedImage("resource language entry points to a directory where data belongs");
                const uint32_t nDataRva = directory.U32(language.nTarget, "a resource data entry");
                const uint32_t nDataSize = directory.U32(language.nTarget + 4, "a resource data entry");
                if (lstResources.size() == kMaxPiplResources)
                    throw MalformedImage("more than " + std::to_string(kMaxPiplResources) + " PIPL resources");
                if (nDataSize > kMaxPiplSize)
                    throw MalformedImage("a PIPL resource of " + std::to_string(nDataSize) + " bytes");
                PiplResource resource = ParsePipl(pe.AtRva(nDataRva, nDataSize, "the PIPL resource data"));
                resource.strName = ResourceName(directory, name.nName);
                resource.nLanguage = language.nName & ~kHighBit;
                lstResources.push_back(std::move(resource));
            }
        }
    }
    return lstResources;
}

} // namespace

PiplReadResult ReadPiplImage(const std::vector<uint8_t>& bytes)
{
    PiplReadResult result;
    try {
        const PeFile pe(ByteView(bytes.data(), bytes.size()));
        result.image.nMachineCode = pe.Machine();
        result.image.machine = MachineOf(pe.Machine());
        result.image.lstResources = ReadPiplResources(pe);
        result.bOk = true;
    } catch (const MalformedImage& error) {
        result.strError = error.what();
    } catch (const std::bad_alloc&) {
        result.strError = "out of memory";
    }
    return result;
}

PiplReadResult ReadPiplFile(const std::string& strPath)
{
    std::vector<uint8_t> bytes;
    PiplReadResult result;
    if (!ReadWholeFile(strPath, kMaxPluginFileBytes, bytes, result.strError))
        return result;
    result = ReadPiplImage(bytes);
    if (!result.bOk)
        result.strError = strPath + ": " + result.strError;
    return result;
}
