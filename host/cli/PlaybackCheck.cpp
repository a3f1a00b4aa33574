#include "PlaybackCheck.h"

#include "ScriptFile.h"

namespace {

std::string EntryText(const pfDescriptorEntry& entry)
{
    std::string strText = FormatScriptText({entry});
    strText.pop_back(); // the line's end
    return strText;
}

std::string KeyText(const pfDescriptorEntry& entry)
{
    const std::string strText = EntryText(entry);
    return strText.substr(0, strText.find(' '));
}

const char* TypeName(DescType type)
{
    return type == typeInteger ? "an integer" : type == typeFloat ? "a float" : "a boolean";
}

const pfDescriptorEntry* Find(const pfDescriptor& descriptor, DescriptorKeyID key)
{
    for (const pfDescriptorEntry& entry : descriptor)
        if (entry.key == key)
            return &entry;
    return nullptr;
}

} // namespace

std::vector<std::string> DescribeUntakenEntries(const pfDescriptor& played, const std::vector<pfEntryRead>& reads,
                                                const pfDescriptor* pRecorded)
{
    std::vector<std::string> lstUntaken;
    for (std::size_t i = 0; i < played.size(); ++i) {
        const pfDescriptorEntry& entry = played[i];
        const pfEntryRead read = i < reads.size() ? reads[i] : pfEntryRead{};
        std::string strWhy;
        if (read.requested == 0)
            strWhy = "the plug-in does not read " + KeyText(entry);
        else if (!read.bTaken)
            strWhy = "the plug-in reads " + KeyText(entry) + " as " + TypeName(read.requested);
        else if (const pfDescriptorEntry* pKept = pRecorded ? Find(*pRecorded, entry.key) : nullptr;
                 pKept && pKept->value != entry.value)
            strWhy = "the plug-in kept " + EntryText(*pKept).substr(KeyText(entry).size() + 1);
        if (!strWhy.empty())
            lstUntaken.push_back(EntryText(entry) + " (" + strWhy + ")");
    }
    return lstUntaken;
}
