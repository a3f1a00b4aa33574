#include "HostProfile.h"

namespace {

std::vector<pfHostProfile> MakeProfiles()
{
    std::vector<pfHostProfile> profiles;

    pfHostProfile photoshop;
    photoshop.strName = "photoshop";
    photoshop.strHost = "Photoshop";
    photoshop.nSignature = FourCC("8BIM");
    photoshop.flatLayout = pfFlatLayout::NonLayerPlanes;
    photoshop.bParametersEveryRun = false;
    profiles.push_back(photoshop);

    pfHostProfile pdn;
    pdn.strName = "psfilterpdn";
    pdn.strHost = "Paint.NET through PSFilterPdn";
    pdn.nSignature = FourCC("NDP.");
    pdn.nRecordBytes32 = 452;
    pdn.nRecordBytes64 = 556;
    pdn.flatLayout = pfFlatLayout::NonLayerPlanes;
    pdn.nMaxSpace = 1 << 30;
    pdn.bWorkerThread = true;
    profiles.push_back(pdn);

    pfHostProfile pspi;
    pspi.strName = "pspi";
    pspi.strHost = "GIMP through pspi";
    pspi.nSignature = FourCC("PMIG");
    pspi.bSampling = false;
    pspi.colorPicker = pfColorPicker::Refuses;
    pspi.descriptor = pfDescriptorShape::Missing;
    pspi.bHostWindow = false;
    pspi.bDeliversMask = false;
    pspi.bFinish = false;
    pspi.bUnloadBetweenRuns = true;
    profiles.push_back(pspi);

    pfHostProfile photodemon;
    photodemon.strName = "photodemon";
    photodemon.strHost = "PhotoDemon through pspiHost";
    photodemon.nBits = 32;
    photodemon.flatLayout = pfFlatLayout::NonLayerPlanes;
    photodemon.colorPicker = pfColorPicker::KeepsColor;
    photodemon.descriptor = pfDescriptorShape::NullTables;
    photodemon.bAdvanceAfterFinish = true;
    profiles.push_back(photodemon);

    pfHostProfile affinity;
    affinity.strName = "affinity";
    affinity.strHost = "Affinity Photo";
    affinity.nSignature = FourCC("AffP");
    affinity.nBits = 64;
    affinity.bSuiteVersionsZero = true;
    profiles.push_back(affinity);

    pfHostProfile irfanview;
    irfanview.strName = "irfanview";
    irfanview.strHost = "IrfanView";
    irfanview.nSignature = FourCC("UP20");
    irfanview.outputCounts = pfOutputCounts::Zero;
    irfanview.nMaxSpace = 1 << 20; // in kilobytes, as this host counts it
    irfanview.bUnloadBetweenRuns = true;
    profiles.push_back(irfanview);

    pfHostProfile xnview;
    xnview.strName = "xnview";
    xnview.strHost = "XnView";
    profiles.push_back(xnview);

    pfHostProfile paintshop;
    paintshop.strName = "paintshop";
    paintshop.strHost = "PaintShop Pro";
    paintshop.nSignature = FourCC("PSP9");
    paintshop.nBits = 64;
    paintshop.bParametersEveryRun = false;
    profiles.push_back(paintshop);
    return profiles;
}

}  // namespace

const std::vector<pfHostProfile>& HostProfiles()
{
    static const std::vector<pfHostProfile> profiles = MakeProfiles();
    return profiles;
}

const pfHostProfile* FindHostProfile(const std::string& strName)
{
    for (const pfHostProfile& profile : HostProfiles())
        if (profile.strName == strName)
            return &profile;
    return nullptr;
}

std::string HostProfileList()
{
    std::string strList;
    for (const pfHostProfile& profile : HostProfiles()) {
        const std::string strBits = profile.nBits ? std::to_string(profile.nBits) + "-bit" : "32/64-bit";
        strList += profile.strName + std::string(12 - profile.strName.size(), ' ') + strBits +
                   std::string(11 - strBits.size(), ' ') + profile.strHost + "\n";
    }
    return strList;
}
