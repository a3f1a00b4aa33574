#include "host/plugin/PiplReader.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

void Put16(std::vector<uint8_t>& bytes, std::size_t nAt, uint32_t nValue)
{
    bytes[nAt] = uint8_t(nValue);
    bytes[nAt + 1] = uint8_t(nValue >> 8);
}

void Put32(std::vector<uint8_t>& bytes, std::size_t nAt, uint32_t nValue)
{
    Put16(bytes, nAt, nValue & 0xFFFF);
    Put16(bytes, nAt + 2, nValue >> 16);
}

void Append32(std::vector<uint8_t>& bytes, uint32_t nValue)
{
    bytes.resize(bytes.size() + 4);
    Put32(bytes, bytes.size() - 4, nValue);
}

constexpr uint32_t Code(const char (&text)[5])
{
    return uint32_t(uint8_t(text[0])) << 24 | uint32_t(uint8_t(text[1])) << 16 | uint32_t(uint8_t(text[2])) << 8 |
           uint32_t(uint8_t(text[3]));
}

// A property list: the reserved word, version 0, the count and properties
// whose data the caller gives already padded.
class PiplBuilder {
public:
    PiplBuilder& Add(const char (&key)[5], std::vector<uint8_t> data)
    {
        m_Properties.push_back({Code(key), std::move(data)});
        return *this;
    }

    std::vector<uint8_t> Bytes() const
    {
        std::vector<uint8_t> bytes{1, 0};
        Append32(bytes, 0);
        Append32(bytes, uint32_t(m_Properties.size()));
        for (const auto& property : m_Properties) {
            Append32(bytes, Code("8BIM"));
            Append32(bytes, property.first);
            Append32(bytes, 0);
            Append32(bytes, uint32_t(property.second.size()));
            bytes.insert(bytes.end(), property.second.begin(), property.second.end());
        }
        return bytes;
    }

private:
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> m_Properties;
};

std::vector<uint8_t> Text(const std::string& strText, std::size_t nPadded)
{
    std::vector<uint8_t> data(strText.begin(), strText.end());
    data.resize(nPadded, 0);
    return data;
}

std::vector<uint8_t> Pascal(const std::string& strText, std::size_t nPadded)
{
    std::vector<uint8_t> data = Text(strText, nPadded - 1);
    data.insert(data.begin(), uint8_t(strText.size()));
    return data;
}

std::vector<uint8_t> FilterPipl(const char (&codeKey)[5])
{
    return PiplBuilder()
        .Add("kind", {'M', 'F', 'B', '8'})
        .Add("name", Pascal("Corvane II", 12))
        .Add("catg", Pascal("Veskary", 12))
        .Add("vers", {3, 0, 1, 0})
        .Add(codeKey, Text("ENTRYPOINT", 12))
        .Add("mode", {0x50, 0, 0, 0})
        .Bytes();
}

// Where the pieces of the synthetic image lie.
constexpr std::size_t kPeOffset = 0x40;
constexpr std::size_t kSectionRaw = 0x200;
constexpr uint32_t kSectionRva = 0x1000;
constexpr std::size_t kNameDirectory = 0x20;
constexpr std::size_t kLanguageDirectory = 0x38;
constexpr std::size_t kDataEntry = 0x50;
constexpr std::size_t kTypeName = 0x60;
constexpr std::size_t kPiplData = 0x70;

struct ImageOptions {
    uint16_t nMachine = 0x014C;
    bool bPe32Plus = false;
    std::string strType = "PIPL";
    std::vector<uint8_t> pipl = FilterPipl("wx86");
};

// A minimal PE file with one section holding a three-level resource tree:
// type (by name) -> name 16000 -> language 1033 -> the property list. The
// file ends exactly where the property list does.
std::vector<uint8_t> BuildImage(const ImageOptions& options)
{
    const std::size_t nOptionalSize = options.bPe32Plus ? 240 : 224;
    const std::size_t nSectionTable = kPeOffset + 24 + nOptionalSize;
    const std::size_t nResourceSize = kPiplData + options.pipl.size();
    std::vector<uint8_t> bytes(kSectionRaw + nResourceSize, 0);

    bytes[0] = 'M';
    bytes[1] = 'Z';
    Put32(bytes, 0x3C, kPeOffset);
    Put32(bytes, kPeOffset, 0x00004550);
    Put16(bytes, kPeOffset + 4, options.nMachine);
    Put16(bytes, kPeOffset + 6, 1);
    Put16(bytes, kPeOffset + 20, uint32_t(nOptionalSize));
    const std::size_t nOptional = kPeOffset + 24;
    Put16(bytes, nOptional, options.bPe32Plus ? 0x020B : 0x010B);
    const std::size_t nCount = nOptional + (options.bPe32Plus ? 108 : 92);
    Put32(bytes, nCount, 16);
    Put32(bytes, nCount + 4 + 16, kSectionRva);
    Put32(bytes, nCount + 4 + 20, uint32_t(nResourceSize));

    Put32(bytes, nSectionTable + 8, uint32_t(nResourceSize));
    Put32(bytes, nSectionTable + 12, kSectionRva);
    Put32(bytes, nSectionTable + 16, uint32_t(nResourceSize));
    Put32(bytes, nSectionTable + 20, kSectionRaw);

    const std::size_t r = kSectionRaw;
    Put16(bytes, r + 12, 1); // one named type
    Put32(bytes, r + 16, 0x80000000u | kTypeName);
    Put32(bytes, r + 20, 0x80000000u | kNameDirectory);
    Put16(bytes, r + kNameDirectory + 14, 1); // one numbered name
    Put32(bytes, r + kNameDirectory + 16, 16000);
    Put32(bytes, r + kNameDirectory + 20, 0x80000000u | kLanguageDirectory);
    Put16(bytes, r + kLanguageDirectory + 14, 1); // one language
    Put32(bytes, r + kLanguageDirectory + 16, 1033);
    Put32(bytes, r + kLanguageDirectory + 20, kDataEntry);
    Put32(bytes, r + kDataEntry, kSectionRva + kPiplData);
    Put32(bytes, r + kDataEntry + 4, uint32_t(options.pipl.size()));
    Put16(bytes, r + kTypeName, uint32_t(options.strType.size()));
    for (std::size_t i = 0; i < options.strType.size() && i < 6; ++i)
        Put16(bytes, r + kTypeName + 2 + 2 * i, uint8_t(options.strType[i]));
    std::copy(options.pipl.begin(), options.pipl.end(), bytes.begin() + r + kPiplData);
    return bytes;
}

PiplReadResult Read(const ImageOptions& options) { return ReadPiplImage(BuildImage(options)); }

std::vector<uint32_t> Keys(const PiplResource& resource)
{
    std::vector<uint32_t> lstKeys;
    for (const PiplProperty& property : resource.lstProperties)
        lstKeys.push_back(property.nKey);
    return lstKeys;
}

} // namespace

TEST(PiplReader, ReadsTheFilterPropertiesOfA32BitLibrary)
{
    const PiplReadResult result = Read({});
    ASSERT_TRUE(result.bOk) << result.strError;
    EXPECT_EQ(result.image.machine, PeMachine::X86);
    ASSERT_EQ(result.image.lstResources.size(), 1u);
    const PiplResource& pipl = result.image.lstResources[0];
    EXPECT_EQ(pipl.strName, "16000");
    EXPECT_EQ(pipl.nLanguage, 1033u);
    EXPECT_EQ(pipl.nReserved, 1);
    EXPECT_EQ(pipl.nVersion, 0);
    EXPECT_EQ(Keys(pipl), (std::vector<uint32_t>{Code("kind"), Code("name"), Code("catg"), Code("vers"),
                                                 Code("wx86"), Code("mode")}));
    const PiplProperty& kind = pipl.lstProperties[0];
    EXPECT_EQ(kind.nVendor, Code("8BIM"));
    EXPECT_EQ(kind.nOffset, 10u);
    EXPECT_EQ(kind.data, (std::vector<uint8_t>{'M', 'F', 'B', '8'}));
    EXPECT_EQ(pipl.lstProperties[1].nOffset, 30u);
    EXPECT_EQ(pipl.lstProperties[1].nLength, 12u);
}

TEST(PiplReader, TellsA64BitLibraryByItsMachine)
{
    ImageOptions options;
    options.nMachine = 0x8664;
    options.bPe32Plus = true;
    options.pipl = FilterPipl("8664");
    const PiplReadResult result = Read(options);
    ASSERT_TRUE(result.bOk) << result.strError;
    EXPECT_EQ(result.image.machine, PeMachine::X64);
    EXPECT_EQ(result.image.lstResources.at(0).lstProperties.at(4).nKey, Code("8664"));
}

TEST(PiplReader, FindsTheTypeWhateverItsLetterCase)
{
    ImageOptions options;
    options.strType = "PiPL";
    EXPECT_EQ(Read(options).image.lstResources.size(), 1u);
    options.strType = "PIPX";
    const PiplReadResult other = Read(options);
    EXPECT_TRUE(other.bOk);
    EXPECT_TRUE(other.image.lstResources.empty());
}

TEST(PiplReader, StepsOverUnpaddedLengthsAsRoundingHostsDo)
{
    ImageOptions options;
    options.pipl = PiplBuilder().Add("catg", Pascal("Veskary", 8)).Add("kind", {'M', 'F', 'B', '8'}).Bytes();
    // Shorten the stored length of the first property to 7 bytes.
    options.pipl[10 + 12] = 7;
    const PiplReadResult result = Read(options);
    ASSERT_TRUE(result.bOk) << result.strError;
    EXPECT_EQ(result.image.lstResources[0].lstProperties[1].nOffset, 10u + 16 + 8);
}

TEST(PiplReader, RefusesEveryTruncationOfTheFile)
{
    const std::vector<uint8_t> image = BuildImage({});
    for (std::size_t nSize = 0; nSize < image.size(); ++nSize) {
        const PiplReadResult result = ReadPiplImage(std::vector<uint8_t>(image.begin(), image.begin() + nSize));
        EXPECT_FALSE(result.bOk) << "accepted " << nSize << " of " << image.size() << " bytes";
        EXPECT_FALSE(result.strError.empty());
    }
}

TEST(PiplReader, RefusesMalformedHeadersWithAReason)
{
    std::vector<uint8_t> image = BuildImage({});
    image[0] = 'X';
    EXPECT_NE(ReadPiplImage(image).strError.find("MZ"), std::string::npos);

    image = BuildImage({});
    Put32(image, 0x3C, 0xFFFFFFF0u);
    EXPECT_NE(ReadPiplImage(image).strError.find("PE signature"), std::string::npos);

    image = BuildImage({});
    Put16(image, kPeOffset + 24, 0x0107);
    EXPECT_NE(ReadPiplImage(image).strError.find("magic"), std::string::npos);
}

TEST(PiplReader, RefusesAPropertyListThatOverstatesItsContents)
{
    ImageOptions options;
    options.pipl = PiplBuilder().Add("kind", {'M', 'F', 'B', '8'}).Bytes();
    options.pipl[6] = 2; // two properties, one present
    EXPECT_NE(Read(options).strError.find("property header"), std::string::npos);

    options.pipl = PiplBuilder().Add("kind", {'M', 'F', 'B', '8'}).Bytes();
    options.pipl[10 + 12] = 0xFF; // data length past the end
    EXPECT_NE(Read(options).strError.find("property data"), std::string::npos);

    options.pipl = PiplBuilder().Bytes();
    Put32(options.pipl, 6, 0xFFFFFFFFu);
    EXPECT_NE(Read(options).strError.find("negative"), std::string::npos);
}

TEST(PiplReader, RefusesResourceEntriesThatPointAstray)
{
    std::vector<uint8_t> image = BuildImage({});
    // The name directory names itself as the language directory.
    Put32(image, kSectionRaw + kNameDirectory + 20, 0x80000000u | kNameDirectory);
    EXPECT_FALSE(ReadPiplImage(image).bOk);

    image = BuildImage({});
    Put32(image, kSectionRaw + kDataEntry, 0x9000); // data RVA in no section
    EXPECT_NE(ReadPiplImage(image).strError.find("not inside any section"), std::string::npos);

    image = BuildImage({});
    Put32(image, kSectionRaw + 16, 0x80000000u | 0x7FFFFFF0u); // type name far outside
    EXPECT_FALSE(ReadPiplImage(image).bOk);
}

TEST(PiplReader, RefusesDirectoriesSharedSoOftenThatTheWalkWouldMultiply)
{
    // Many "PIPL" types all naming one directory of many names, each with
    // an empty language directory: no resource at all, but types x names
    // entries to walk.
    constexpr uint32_t nTypes = 2000, nNames = 2000;
    const uint32_t nTypeName = 16 + 8 * nTypes;
    const uint32_t nNameDirectory = nTypeName + 12;
    const uint32_t nLanguageDirectory = nNameDirectory + 16 + 8 * nNames;
    ImageOptions options;
    options.pipl.assign(nLanguageDirectory + 16, 0);
    std::vector<uint8_t> image = BuildImage(options);
    const std::size_t r = kSectionRaw;
    std::fill(image.begin() + r, image.end(), 0);
    Put16(image, r + 12, nTypes);
    for (uint32_t i = 0; i < nTypes; ++i) {
        Put32(image, r + 16 + 8 * i, 0x80000000u | nTypeName);
        Put32(image, r + 20 + 8 * i, 0x80000000u | nNameDirectory);
    }
    Put16(image, r + nTypeName, 4);
    for (int i = 0; i < 4; ++i)
        Put16(image, r + nTypeName + 2 + 2 * i, uint8_t("PIPL"[i]));
    Put16(image, r + nNameDirectory + 14, nNames);
    for (uint32_t i = 0; i < nNames; ++i) {
        Put32(image, r + nNameDirectory + 16 + 8 * i, i);
        Put32(image, r + nNameDirectory + 20 + 8 * i, 0x80000000u | nLanguageDirectory);
    }
    const PiplReadResult result = ReadPiplImage(image);
    EXPECT_FALSE(result.bOk);
    EXPECT_NE(result.strError.find("resource directory entries"), std::string::npos) << result.strError;
}

TEST(PiplFormat, ListsOnePropertyALineWithReadableValuesAndBytes)
{
    const PiplReadResult result = Read({});
    ASSERT_TRUE(result.bOk);
    const std::string strText = FormatPipl(result.image);
    EXPECT_EQ(strText.rfind("machine=x86 (0x014c)\nPIPL 16000 language=1033 size=", 0), 0u) << strText;
    EXPECT_NE(strText.find("  8BIM kind id=0 length=4 offset=10 value='8BFM' data=4d464238\n"), std::string::npos);
    EXPECT_NE(strText.find("  8BIM name id=0 length=12 offset=30 value=\"Corvane II\" data=0a436f7276616e6520494900\n"),
              std::string::npos);
    EXPECT_NE(strText.find("8BIM vers id=0 length=4 offset=86 value=1.3 "), std::string::npos);
    EXPECT_NE(strText.find("value=\"ENTRYPOINT\""), std::string::npos);
    EXPECT_NE(strText.find("value=Grayscale RGB data=50000000"), std::string::npos);
}

TEST(PiplFormat, EscapesWhatIsNotPrintable)
{
    ImageOptions options;
    options.pipl = PiplBuilder().Add("name", {3, 'a', '\n', '"'}).Add("enbl", {'x', 'y', 'z', 'w'}).Bytes();
    const std::string strText = FormatPipl(Read(options).image);
    EXPECT_NE(strText.find("value=\"a\\x0a\\x22\""), std::string::npos) << strText;
    EXPECT_NE(strText.find("value=<unterminated string>"), std::string::npos);
}

TEST(PiplFormat, ListingAMissingFileOrAFolderFailsWithItsName)
{
    for (const std::string strPath : {"/nonexistent/Corvane.8bf", CORVANE_SOURCE_DIR}) {
        std::ostringstream out, err;
        EXPECT_EQ(ListPipl(strPath, out, err), 2);
        EXPECT_TRUE(out.str().empty());
        EXPECT_NE(err.str().find(strPath + ": "), std::string::npos) << err.str();
    }
}
