#include "ExifStructure.h"

#include <algorithm>

namespace {

constexpr uint16_t kExifIfdTag = 34665;
constexpr uint16_t kGpsIfdTag = 34853;
constexpr uint16_t kInteropIfdTag = 40965;
constexpr uint16_t kOrientationTag = 274;
constexpr uint16_t kThumbnailOffsetTag = 513;
constexpr uint16_t kThumbnailLengthTag = 514;
constexpr uint16_t kLongType = 4;
// Main, thumbnail, EXIF, GPS and interoperability directories, and a few
// more than any camera writes; beyond that a loop is assumed.
constexpr int kMaxDirectories = 16;

uint32_t TypeSize(uint16_t nType)
{
    switch (nType) {
    case 1: case 2: case 6: case 7: return 1;
    case 3: case 8: return 2;
    case 4: case 9: case 11: case 13: return 4;
    case 5: case 10: case 12: return 8;
    default: return 0;
    }
}

class ByteOrder {
public:
    explicit ByteOrder(bool bBigEndian) : m_bBig(bBigEndian) {}

    uint32_t Get(const uint8_t* p, int nBytes) const
    {
        uint32_t nValue = 0;
        for (int i = 0; i < nBytes; ++i)
            nValue = nValue << 8 | p[m_bBig ? i : nBytes - 1 - i];
        return nValue;
    }
    void Put(uint8_t* p, uint32_t nValue, int nBytes) const
    {
        for (int i = 0; i < nBytes; ++i)
            p[m_bBig ? nBytes - 1 - i : i] = uint8_t(nValue >> (8 * i));
    }
    void Append(std::vector<uint8_t>& bytes, uint32_t nValue, int nBytes) const
    {
        bytes.resize(bytes.size() + std::size_t(nBytes));
        Put(&bytes[bytes.size() - std::size_t(nBytes)], nValue, nBytes);
    }

private:
    bool m_bBig;
};

// One 12-byte directory entry.
struct Entry {
    uint16_t nTag = 0;
    uint64_t nSize = 0;  // bytes of its value; 0 for an unknown type
    uint32_t nValue = 0; // the value itself, or where it lies when over 4 bytes
};

Entry ReadEntry(const ByteOrder& order, const uint8_t* p)
{
    Entry entry;
    entry.nTag = uint16_t(order.Get(p, 2));
    entry.nSize = uint64_t(TypeSize(uint16_t(order.Get(p + 2, 2)))) * order.Get(p + 4, 4);
    entry.nValue = entry.nSize > 0 && entry.nSize <= 2 ? order.Get(p + 8, int(entry.nSize)) : order.Get(p + 8, 4);
    return entry;
}

// Every directory reachable from the main one, checking that it and the
// values it points to lie within the bytes.
class LayoutWalk {
public:
    LayoutWalk(const std::vector<uint8_t>& bytes, pfExifLayout& layout)
        : m_Bytes(bytes), m_Order(layout.bBigEndian), m_Layout(layout)
    {
    }

    bool Directory(uint32_t nAt, bool bMain)
    {
        if (++m_nDirectories > kMaxDirectories || !Covers(nAt, 2))
            return false;
        const uint32_t nCount = m_Order.Get(&m_Bytes[nAt], 2);
        if (!Covers(nAt, 2 + 12 * uint64_t(nCount) + 4))
            return false;
        uint32_t nThumbnailAt = 0, nThumbnailSize = 0;
        for (uint32_t i = 0; i < nCount; ++i) {
            const Entry entry = ReadEntry(m_Order, &m_Bytes[nAt + 2 + 12 * i]);
            if (entry.nSize == 0 || (entry.nSize > 4 && !Covers(entry.nValue, entry.nSize)))
                return false;
            if (entry.nTag == kThumbnailOffsetTag)
                nThumbnailAt = entry.nValue;
            else if (entry.nTag == kThumbnailLengthTag)
                nThumbnailSize = entry.nValue;
            else if (bMain && entry.nTag == kOrientationTag)
                m_Layout.nOrientation = uint16_t(entry.nValue);
            if (entry.nTag == kExifIfdTag || entry.nTag == kGpsIfdTag || entry.nTag == kInteropIfdTag) {
                if (!Directory(entry.nValue, false))
                    return false;
                if (bMain && entry.nTag == kExifIfdTag)
                    m_Layout.nExifIfd = entry.nValue;
                if (bMain && entry.nTag == kGpsIfdTag)
                    m_Layout.nGpsIfd = entry.nValue;
            }
        }
        const uint32_t nNext = m_Order.Get(&m_Bytes[nAt + 2 + 12 * nCount], 4);
        return (nThumbnailSize == 0 || Covers(nThumbnailAt, nThumbnailSize)) &&
               (nNext == 0 || Directory(nNext, false));
    }

private:
    bool Covers(uint64_t nAt, uint64_t nSize)
    {
        if (nAt < 8 || nAt + nSize > m_Bytes.size())
            return false;
        m_Layout.nEnd = uint32_t(std::max<uint64_t>(m_Layout.nEnd, nAt + nSize));
        return true;
    }

    const std::vector<uint8_t>& m_Bytes;
    ByteOrder m_Order;
    pfExifLayout& m_Layout;
    int m_nDirectories = 0;
};

// Copies of a file's directories with their values, appended to new EXIF
// data; the entries' offsets are made to point at the copies.
class DirectoryCopy {
public:
    DirectoryCopy(const pfFileBytes& read, ByteOrder order, std::vector<uint8_t>& out)
        : m_Read(read), m_Order(order), m_Out(out)
    {
    }

    // Where the copy of the directory at nAt begins; 0 when it cannot be read.
    uint32_t Copy(uint64_t nAt)
    {
        std::vector<uint8_t> head, entries;
        if (++m_nDirectories > kMaxDirectories || !m_Read(nAt, 2, head))
            return 0;
        const uint32_t nCount = m_Order.Get(head.data(), 2);
        if (!m_Read(nAt + 2, 12 * nCount, entries))
            return 0;
        const std::size_t nDirectory = m_Out.size();
        m_Out.insert(m_Out.end(), head.begin(), head.end());
        m_Out.insert(m_Out.end(), entries.begin(), entries.end());
        m_Order.Append(m_Out, 0, 4); // no next directory
        for (uint32_t i = 0; i < nCount; ++i) {
            const std::size_t nEntry = nDirectory + 2 + 12 * std::size_t(i);
            const Entry entry = ReadEntry(m_Order, &m_Out[nEntry]);
            uint32_t nMoved = entry.nValue;
            if (entry.nSize == 0 || (entry.nSize > 4 && !(nMoved = CopyValue(entry))))
                return 0;
            if (entry.nTag == kInteropIfdTag && !(nMoved = Copy(entry.nValue)))
                return 0;
            if (entry.nSize > 4 || entry.nTag == kInteropIfdTag)
                m_Order.Put(&m_Out[nEntry + 8], nMoved, 4);
        }
        return uint32_t(nDirectory);
    }

private:
    uint32_t CopyValue(const Entry& entry)
    {
        std::vector<uint8_t> value;
        if (m_Out.size() + entry.nSize + 1 > kMaxExifBytes || !m_Read(entry.nValue, uint32_t(entry.nSize), value))
            return 0;
        if (m_Out.size() % 2)
            m_Out.push_back(0); // directories and values start on a word
        const uint32_t nAt = uint32_t(m_Out.size());
        m_Out.insert(m_Out.end(), value.begin(), value.end());
        return nAt;
    }

    const pfFileBytes& m_Read;
    ByteOrder m_Order;
    std::vector<uint8_t>& m_Out;
    int m_nDirectories = 0;
};

} // namespace

bool ReadExifLayout(const std::vector<uint8_t>& bytes, pfExifLayout& layout)
{
    layout = pfExifLayout();
    if (bytes.size() < 8 || bytes.size() > kMaxExifBytes)
        return false;
    const bool bLittle = bytes[0] == 'I' && bytes[1] == 'I' && bytes[2] == 42 && bytes[3] == 0;
    const bool bBig = bytes[0] == 'M' && bytes[1] == 'M' && bytes[2] == 0 && bytes[3] == 42;
    if (!bLittle && !bBig)
        return false;
    layout.bBigEndian = bBig;
    layout.nEnd = 8;
    return LayoutWalk(bytes, layout).Directory(ByteOrder(bBig).Get(&bytes[4], 4), true);
}

std::vector<uint8_t> CopyExifDirectories(const pfFileBytes& read, bool bBigEndian, uint64_t nExifIfd,
                                         uint64_t nGpsIfd)
{
    const ByteOrder order(bBigEndian);
    std::vector<uint8_t> out = bBigEndian ? std::vector<uint8_t>{'M', 'M', 0, 42} : std::vector<uint8_t>{'I', 'I', 42, 0};
    order.Append(out, 8, 4);
    // The main directory: the two pointers, filled in below.
    const int nPointers = nGpsIfd != 0 ? 2 : 1;
    order.Append(out, uint32_t(nPointers), 2);
    for (const uint16_t nTag : {kExifIfdTag, kGpsIfdTag}) {
        if (nTag == kGpsIfdTag && nPointers == 1)
            break;
        order.Append(out, nTag, 2);
        order.Append(out, kLongType, 2);
        order.Append(out, 1, 4);
        order.Append(out, 0, 4);
    }
    order.Append(out, 0, 4);
    DirectoryCopy copy(read, order, out);
    const uint32_t nExif = copy.Copy(nExifIfd);
    if (nExif == 0)
        return {};
    order.Put(&out[8 + 2 + 8], nExif, 4);
    if (nPointers == 2) {
        const uint32_t nGps = copy.Copy(nGpsIfd);
        if (nGps == 0)
            return {};
        order.Put(&out[8 + 2 + 12 + 8], nGps, 4);
    }
    return out;
}
