// Rewriting the presets file: whatever step fails, the file afterwards is the
// old one or the new one and no temporary file is left; the file keeps its
// mode, a link keeps leading to it, and a read-only file stays as it is.
#include "TestSupport.h"

#include "framework/parameters/Parameter.h"
#include "framework/parameters/Parameters.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

namespace fs = std::filesystem;

namespace {

const std::string kPresets = "FileOwner CorvaneII\n\nname First\nGammaCorrection 1.000000\n"
                             "\nname Second\nGammaCorrection 2.000000\n";

// The file steps of the platform, recorded; step nFailAt (from 1) fails. A
// failing write gets half of its data out first, as on a full disk.
class FailingFiles : public RecordingPlatform {
public:
    bool Step(const char* strStep)
    {
        lstSteps.push_back(strStep);
        return int(lstSteps.size()) != nFailAt;
    }

    std::string ResolveFileLinks(const std::string& strPath) override
    {
        return Step("resolve") ? RecordingPlatform::ResolveFileLinks(strPath) : std::string();
    }
    std::unique_ptr<pfOutputFile> CreateOutputFile(const std::string& strPath) override;
    bool TakeOverFileMode(const std::string& strOld, const std::string& strNew) override
    {
        return Step("mode") && RecordingPlatform::TakeOverFileMode(strOld, strNew);
    }
    bool MoveFileOver(const std::string& strFrom, const std::string& strTo) override
    {
        return Step("move") && RecordingPlatform::MoveFileOver(strFrom, strTo);
    }
    bool RemoveFile(const std::string& strPath) override
    {
        return Step("remove") && RecordingPlatform::RemoveFile(strPath);
    }

    int nFailAt = 0;
    std::vector<std::string> lstSteps;
};

class FailingOutputFile : public pfOutputFile {
public:
    FailingOutputFile(FailingFiles& files, std::unique_ptr<pfOutputFile> pFile)
        : m_Files(files), m_pFile(std::move(pFile))
    {
    }
    bool Write(const std::string& strData) override
    {
        if (m_Files.Step("write"))
            return m_pFile->Write(strData);
        m_pFile->Write(strData.substr(0, strData.size() / 2));
        return false;
    }
    bool FlushToDisk() override { return m_Files.Step("flush") && m_pFile->FlushToDisk(); }
    bool Close() override { return m_pFile->Close() && m_Files.Step("close"); }

private:
    FailingFiles& m_Files;
    std::unique_ptr<pfOutputFile> m_pFile;
};

std::unique_ptr<pfOutputFile> FailingFiles::CreateOutputFile(const std::string& strPath)
{
    if (!Step("create"))
        return nullptr;
    std::unique_ptr<pfOutputFile> pFile = RecordingPlatform::CreateOutputFile(strPath);
    return pFile ? std::make_unique<FailingOutputFile>(*this, std::move(pFile)) : nullptr;
}

class PresetsReplace : public ::testing::Test {
protected:
    PresetsReplace() : m_Folder(TempPath("replace"))
    {
        fs::create_directory(m_Folder);
        gamma.SetName("GammaCorrection");
        gamma.SetValue(0.5);
        parameters.Add(&gamma);
    }
    ~PresetsReplace() override { fs::remove_all(m_Folder); }

    std::string Write(const std::string& strName, const std::string& strText) const
    {
        const std::string strPath = m_Folder + "/" + strName;
        std::ofstream(strPath, std::ios::binary) << strText;
        return strPath;
    }
    std::set<std::string> Entries() const
    {
        std::set<std::string> entries;
        for (const fs::directory_entry& entry : fs::directory_iterator(m_Folder))
            entries.insert(entry.path().filename().string());
        return entries;
    }

    std::string m_Folder;
    pfParameterFloat gamma;
    pfParameters parameters;
};

}  // namespace

TEST_F(PresetsReplace, EveryFailedStepOfSaveAndDeleteLeavesTheOldFileOrTheNew)
{
    const std::vector<std::pair<const char*, std::function<bool(const std::string&)>>> operations = {
        {"save over", [&](const std::string& strPath) { return parameters.SaveSettings("First", strPath, "CorvaneII"); }},
        {"save new", [&](const std::string& strPath) { return parameters.SaveSettings("Third", strPath, "CorvaneII"); }},
        {"delete", [&](const std::string& strPath) { return parameters.DeleteSettings("Second", strPath); }},
    };
    for (const auto& [strOperation, operation] : operations) {
        std::string strNew;
        std::vector<std::string> lstSteps;
        {
            FailingFiles files;
            const std::string strPath = Write("p.cfg", kPresets);
            ASSERT_TRUE(operation(strPath)) << strOperation;
            strNew = ReadFileText(strPath);
            lstSteps = files.lstSteps;
        }
        // The new text is on the disk before it takes the old one's place.
        EXPECT_EQ(lstSteps, (std::vector<std::string>{"resolve", "create", "write", "flush", "close", "mode", "move"}))
            << strOperation;
        for (int nFailAt = 1; nFailAt <= int(lstSteps.size()); ++nFailAt) {
            FailingFiles files;
            files.nFailAt = nFailAt;
            const std::string strPath = Write("p.cfg", kPresets);
            EXPECT_FALSE(operation(strPath)) << strOperation << " failing at " << lstSteps[nFailAt - 1];
            EXPECT_EQ(ReadFileText(strPath), kPresets) << strOperation << " failing at " << lstSteps[nFailAt - 1];
            EXPECT_EQ(Entries(), std::set<std::string>{"p.cfg"}) << strOperation << " failing at "
                                                                  << lstSteps[nFailAt - 1];
        }
    }
}

TEST_F(PresetsReplace, TheFileKeepsItsModeAndALinkKeepsLeadingToIt)
{
    const std::string strPath = Write("p.cfg", kPresets);
    const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(strPath, mode);
    EXPECT_TRUE(parameters.SaveSettings("First", strPath, "CorvaneII"));
    EXPECT_EQ(fs::status(strPath).permissions(), mode);

    const std::string strTarget = Write("target.cfg", kPresets);
    const std::string strLink = m_Folder + "/link.cfg";
    fs::create_symlink("target.cfg", strLink);
    EXPECT_TRUE(parameters.SaveSettings("Third", strLink, "CorvaneII"));
    EXPECT_TRUE(fs::is_symlink(strLink));
    EXPECT_EQ(ReadFileText(strTarget), kPresets + "\nname Third\nGammaCorrection 0.500000\n");
    EXPECT_EQ(Entries(), (std::set<std::string>{"p.cfg", "target.cfg", "link.cfg"}));
}

TEST_F(PresetsReplace, AReadOnlyFileStaysAsItIs)
{
    const std::string strPath = Write("p.cfg", kPresets);
    fs::permissions(strPath, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(parameters.SaveSettings("Third", strPath, "CorvaneII"));
    EXPECT_FALSE(parameters.DeleteSettings("First", strPath));
    EXPECT_EQ(ReadFileText(strPath), kPresets);
    EXPECT_EQ(Entries(), std::set<std::string>{"p.cfg"});
}

TEST_F(PresetsReplace, ALinkLeftAtTheTemporaryPathIsReplacedNotWrittenThrough)
{
    const std::string strPath = Write("p.cfg", kPresets);
    const std::string strVictim = Write("victim.txt", "untouched\n");
    fs::create_symlink("victim.txt", strPath + "tmp");
    EXPECT_TRUE(parameters.SaveSettings("Third", strPath, "CorvaneII"));
    EXPECT_EQ(ReadFileText(strVictim), "untouched\n");
    EXPECT_FALSE(fs::is_symlink(strPath));
    EXPECT_EQ(ReadFileText(strPath), kPresets + "\nname Third\nGammaCorrection 0.500000\n");
    EXPECT_EQ(Entries(), (std::set<std::string>{"p.cfg", "victim.txt"}));
}
