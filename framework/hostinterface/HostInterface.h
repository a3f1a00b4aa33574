// hostinterface/ holds the host's structures, the filter record setup and the host colour picker.
// Binary declarations of the host side of the filter plug-in interface,
// written from the published layout facts. The filter record uses 4-byte
// packing on Windows for both 32- and 64-bit; every other structure keeps
// natural alignment.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define PF_CDECL __cdecl
#else
#define PF_CDECL
#endif

using OSErr = int16_t;
using Boolean = uint8_t;
using OSType = uint32_t;
using DescriptorKeyID = uint32_t;
using DescType = uint32_t;
using DescriptorUnitID = uint32_t;
using DescriptorEnumID = uint32_t;
using Fixed = int32_t;
using Ptr = char*;
using Handle = char**;
using PIDescriptorHandle = Handle;
using PIReadDescriptor = void*;
using PIWriteDescriptor = void*;

constexpr uint32_t FourCC(const char (&s)[5])
{
    return (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) |
           (uint32_t(uint8_t(s[2])) << 8) | uint32_t(uint8_t(s[3]));
}

// Selectors and result codes.
constexpr int16_t filterSelectorAbout = 0;
constexpr int16_t filterSelectorParameters = 1;
constexpr int16_t filterSelectorPrepare = 2;
constexpr int16_t filterSelectorStart = 3;
constexpr int16_t filterSelectorContinue = 4;
constexpr int16_t filterSelectorFinish = 5;

constexpr OSErr noErr = 0;
constexpr OSErr paramErr = -50;
constexpr OSErr memFullErr = -108;
constexpr OSErr userCanceledErr = -128;
constexpr OSErr eofErr = -39;
constexpr OSErr errPlugInHostInsufficient = -30900;

// Image modes.
constexpr int16_t plugInModeBitmap = 0;
constexpr int16_t plugInModeGrayScale = 1;
constexpr int16_t plugInModeIndexedColor = 2;
constexpr int16_t plugInModeRGBColor = 3;
constexpr int16_t plugInModeCMYKColor = 4;
constexpr int16_t plugInModeHSLColor = 5;
constexpr int16_t plugInModeHSBColor = 6;
constexpr int16_t plugInModeMultichannel = 7;
constexpr int16_t plugInModeDuotone = 8;
constexpr int16_t plugInModeLabColor = 9;
constexpr int16_t plugInModeGray16 = 10;
constexpr int16_t plugInModeRGB48 = 11;
constexpr int16_t plugInModeLab48 = 12;
constexpr int16_t plugInModeCMYK64 = 13;
constexpr int16_t plugInModeDeepMultichannel = 14;
constexpr int16_t plugInModeDuotone16 = 15;

// Filter cases.
constexpr int16_t filterCaseFlatImageNoSelection = 1;
constexpr int16_t filterCaseFlatImageWithSelection = 2;
constexpr int16_t filterCaseFloatingSelection = 3;
constexpr int16_t filterCaseEditableTransparencyNoSelection = 4;
constexpr int16_t filterCaseEditableTransparencyWithSelection = 5;
constexpr int16_t filterCaseProtectedTransparencyNoSelection = 6;
constexpr int16_t filterCaseProtectedTransparencyWithSelection = 7;

// Play and record options of the descriptor parameters.
constexpr int16_t plugInDialogDontDisplay = 0;
constexpr int16_t plugInDialogDisplay = 1;
constexpr int16_t plugInDialogSilent = 2;
constexpr int16_t plugInDialogOptional = 0;
constexpr int16_t plugInDialogRequired = 1;
constexpr int16_t plugInDialogNone = 2;

// Descriptor type codes.
constexpr DescType typeInteger = FourCC("long");
constexpr DescType typeFloat = FourCC("doub");
constexpr DescType typeBoolean = FourCC("bool");
constexpr DescType typeNull = FourCC("null");

// Colour services.
constexpr int16_t plugIncolorServicesChooseColor = 0;
constexpr int16_t plugIncolorServicesRGBSpace = 0;
constexpr int16_t plugIncolorServicesGraySpace = 4;

struct Point {
    int16_t v;
    int16_t h;
};

struct Rect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

struct VPoint {
    int32_t v;
    int32_t h;
};

struct VRect {
    int32_t top;
    int32_t left;
    int32_t bottom;
    int32_t right;
};

struct RGBColor {
    uint16_t red;
    uint16_t green;
    uint16_t blue;
};

using FilterColor = uint8_t[4];

struct PlatformData {
    intptr_t hwnd;
};

struct PlugInMonitor {
    Fixed gamma, redX, redY, greenX, greenY, blueX, blueY, whiteX, whiteY, ambient;
};

struct ColorServicesInfo {
    int32_t infoSize;
    int16_t selector;
    int16_t sourceSpace;
    int16_t resultSpace;
    Boolean resultGamutInfoValid;
    Boolean resultInGamut;
    void* reservedSourceSpaceInfo;
    void* reservedResultSpaceInfo;
    int16_t colorComponents[4];
    void* reserved;
    union {
        uint8_t* pickerPrompt;
        Point* globalSamplePoint;
        int32_t specialColorID;
    } selectorParameter;
};

using TestAbortProc = Boolean(PF_CDECL*)();
using ProgressProc = void(PF_CDECL*)(int32_t done, int32_t total);
using HostProc = void(PF_CDECL*)(int16_t selector, intptr_t* data);
using ProcessEventProc = void(PF_CDECL*)(void* event);
using DisplayPixelsProc = OSErr(PF_CDECL*)(const void* source, const VRect* srcRect, int32_t dstRow,
                                           int32_t dstCol, void* platformContext);
using AdvanceStateProc = OSErr(PF_CDECL*)();
using ColorServicesProc = OSErr(PF_CDECL*)(ColorServicesInfo* info);
using GetPropertyProc = OSErr(PF_CDECL*)(uint32_t signature, uint32_t key, int32_t index,
                                         intptr_t* simpleProperty, Handle* complexProperty);

struct HandleProcs {
    int16_t handleProcsVersion;
    int16_t numHandleProcs;
    Handle(PF_CDECL* newProc)(int32_t size);
    void(PF_CDECL* disposeProc)(Handle h);
    int32_t(PF_CDECL* getSizeProc)(Handle h);
    OSErr(PF_CDECL* setSizeProc)(Handle h, int32_t newSize);
    Ptr(PF_CDECL* lockProc)(Handle h, Boolean moveHigh);
    void(PF_CDECL* unlockProc)(Handle h);
    void(PF_CDECL* recoverSpaceProc)(int32_t size);
    void(PF_CDECL* disposeRegularHandleProc)(Handle h);
};

struct ReadDescriptorProcs {
    int16_t readDescriptorProcsVersion;
    int16_t numReadDescriptorProcs;
    PIReadDescriptor(PF_CDECL* openReadDescriptorProc)(PIDescriptorHandle descriptor,
                                                       DescriptorKeyID* expectedKeys);
    OSErr(PF_CDECL* closeReadDescriptorProc)(PIReadDescriptor token);
    Boolean(PF_CDECL* getKeyProc)(PIReadDescriptor token, DescriptorKeyID* key, DescType* type,
                                  int32_t* flags);
    OSErr(PF_CDECL* getIntegerProc)(PIReadDescriptor token, int32_t* value);
    OSErr(PF_CDECL* getFloatProc)(PIReadDescriptor token, double* value);
    OSErr(PF_CDECL* getUnitFloatProc)(PIReadDescriptor token, DescriptorUnitID* unit, double* value);
    OSErr(PF_CDECL* getBooleanProc)(PIReadDescriptor token, Boolean* value);
    OSErr(PF_CDECL* getTextProc)(PIReadDescriptor token, Handle* text);
    OSErr(PF_CDECL* getAliasProc)(PIReadDescriptor token, Handle* alias);
    OSErr(PF_CDECL* getEnumeratedProc)(PIReadDescriptor token, DescriptorEnumID* value);
    OSErr(PF_CDECL* getClassProc)(PIReadDescriptor token, DescType* classID);
    OSErr(PF_CDECL* getSimpleReferenceProc)(PIReadDescriptor token, void* ref);
    OSErr(PF_CDECL* getObjectProc)(PIReadDescriptor token, DescType* classID, PIDescriptorHandle* object);
    OSErr(PF_CDECL* getCountProc)(PIReadDescriptor token, uint32_t* count);
    OSErr(PF_CDECL* getStringProc)(PIReadDescriptor token, uint8_t* pascalString);
    OSErr(PF_CDECL* getPinnedIntegerProc)(PIReadDescriptor token, int32_t min, int32_t max, int32_t* value);
    OSErr(PF_CDECL* getPinnedFloatProc)(PIReadDescriptor token, const double* min, const double* max,
                                        double* value);
    OSErr(PF_CDECL* getPinnedUnitFloatProc)(PIReadDescriptor token, const double* min, const double* max,
                                            DescriptorUnitID* unit, double* value);
};

struct WriteDescriptorProcs {
    int16_t writeDescriptorProcsVersion;
    int16_t numWriteDescriptorProcs;
    PIWriteDescriptor(PF_CDECL* openWriteDescriptorProc)();
    OSErr(PF_CDECL* closeWriteDescriptorProc)(PIWriteDescriptor token, PIDescriptorHandle* newDescriptor);
    OSErr(PF_CDECL* putIntegerProc)(PIWriteDescriptor token, DescriptorKeyID key, int32_t value);
    OSErr(PF_CDECL* putFloatProc)(PIWriteDescriptor token, DescriptorKeyID key, const double* value);
    OSErr(PF_CDECL* putUnitFloatProc)(PIWriteDescriptor token, DescriptorKeyID key, DescriptorUnitID unit,
                                      const double* value);
    OSErr(PF_CDECL* putBooleanProc)(PIWriteDescriptor token, DescriptorKeyID key, Boolean value);
    OSErr(PF_CDECL* putTextProc)(PIWriteDescriptor token, DescriptorKeyID key, Handle text);
    OSErr(PF_CDECL* putAliasProc)(PIWriteDescriptor token, DescriptorKeyID key, Handle alias);
    OSErr(PF_CDECL* putEnumeratedProc)(PIWriteDescriptor token, DescriptorKeyID key, DescType enumType,
                                       DescriptorEnumID value);
    OSErr(PF_CDECL* putClassProc)(PIWriteDescriptor token, DescriptorKeyID key, DescType classID);
    OSErr(PF_CDECL* putSimpleReferenceProc)(PIWriteDescriptor token, DescriptorKeyID key, const void* ref);
    OSErr(PF_CDECL* putObjectProc)(PIWriteDescriptor token, DescriptorKeyID key, DescType classID,
                                   PIDescriptorHandle object);
    OSErr(PF_CDECL* putCountProc)(PIWriteDescriptor token, DescriptorKeyID key, uint32_t count);
    OSErr(PF_CDECL* putStringProc)(PIWriteDescriptor token, DescriptorKeyID key, const uint8_t* pascalString);
    OSErr(PF_CDECL* putScopedClassProc)(PIWriteDescriptor token, DescriptorKeyID key, DescType classID);
    OSErr(PF_CDECL* putScopedObjectProc)(PIWriteDescriptor token, DescriptorKeyID key, DescType classID,
                                         PIDescriptorHandle object);
};

struct PIDescriptorParameters {
    int16_t descriptorParametersVersion;
    int16_t playInfo;
    int16_t recordInfo;
    PIDescriptorHandle descriptor;
    WriteDescriptorProcs* writeDescriptorProcs;
    ReadDescriptorProcs* readDescriptorProcs;
};

struct AboutRecord {
    void* platformData;
    void* sSPBasic;
    void* plugInRef;
    uint8_t reserved[244];
};

#pragma pack(push, 4)
struct FilterRecord {
    int32_t serialNumber;
    TestAbortProc abortProc;
    ProgressProc progressProc;
    Handle parameters;
    Point imageSize;
    int16_t planes;
    Rect filterRect;
    RGBColor background;
    RGBColor foreground;
    int32_t maxSpace;
    int32_t bufferSpace;
    Rect inRect;
    int16_t inLoPlane;
    int16_t inHiPlane;
    Rect outRect;
    int16_t outLoPlane;
    int16_t outHiPlane;
    void* inData;
    int32_t inRowBytes;
    void* outData;
    int32_t outRowBytes;
    Boolean isFloating;
    Boolean haveMask;
    Boolean autoMask;
    Rect maskRect;
    void* maskData;
    int32_t maskRowBytes;
    FilterColor backColor;
    FilterColor foreColor;
    OSType hostSig;
    HostProc hostProc;
    int16_t imageMode;
    Fixed imageHRes;
    Fixed imageVRes;
    Point floatCoord;
    Point wholeSize;
    PlugInMonitor monitor;
    void* platformData;
    void* bufferProcs;
    void* resourceProcs;
    ProcessEventProc processEvent;
    DisplayPixelsProc displayPixels;
    HandleProcs* handleProcs;
    Boolean supportsDummyChannels;
    Boolean supportsAlternateLayouts;
    int16_t wantLayout;
    int16_t filterCase;
    int16_t dummyPlaneValue;
    void* premiereHook;
    AdvanceStateProc advanceState;
    Boolean supportsAbsolute;
    Boolean wantsAbsolute;
    GetPropertyProc getPropertyObsolete;
    Boolean cannotUndo;
    Boolean supportsPadding;
    int16_t inputPadding;
    int16_t outputPadding;
    int16_t maskPadding;
    char samplingSupport;
    char reservedByte;
    Fixed inputRate;
    Fixed maskRate;
    ColorServicesProc colorServices;
    int16_t inLayerPlanes;
    int16_t inTransparencyMask;
    int16_t inLayerMasks;
    int16_t inInvertedLayerMasks;
    int16_t inNonLayerPlanes;
    int16_t outLayerPlanes;
    int16_t outTransparencyMask;
    int16_t outLayerMasks;
    int16_t outInvertedLayerMasks;
    int16_t outNonLayerPlanes;
    int16_t absLayerPlanes;
    int16_t absTransparencyMask;
    int16_t absLayerMasks;
    int16_t absInvertedLayerMasks;
    int16_t absNonLayerPlanes;
    int16_t inPreDummyPlanes;
    int16_t inPostDummyPlanes;
    int16_t outPreDummyPlanes;
    int16_t outPostDummyPlanes;
    int32_t inColumnBytes;
    int32_t inPlaneBytes;
    int32_t outColumnBytes;
    int32_t outPlaneBytes;
    void* imageServicesProcs;
    void* propertyProcs;
    int16_t inTileHeight;
    int16_t inTileWidth;
    Point inTileOrigin;
    int16_t absTileHeight;
    int16_t absTileWidth;
    Point absTileOrigin;
    int16_t outTileHeight;
    int16_t outTileWidth;
    Point outTileOrigin;
    int16_t maskTileHeight;
    int16_t maskTileWidth;
    Point maskTileOrigin;
    PIDescriptorParameters* descriptorParameters;
    uint8_t* errorString;
    void* channelPortProcs;
    void* documentInfo;
    void* sSPBasic;
    void* plugInRef;
    int32_t depth;
    Handle iCCprofileData;
    int32_t iCCprofileSize;
    int32_t canUseICCProfiles;
    int32_t hasImageScrap;
    void* bigDocumentData;
    PIDescriptorParameters* input3DScene;
    PIDescriptorParameters* output3DScene;
    Boolean createNewLayer;
    Handle iCCWorkingProfileData;
    int32_t iCCWorkingProfileSize;
    int64_t bufferSpace64;
    int64_t maxSpace64;
    Boolean allowOverrangeColors;
    char reserved[45];
};
#pragma pack(pop)

using FilterRecordPtr = FilterRecord*;
using PluginEntryProc = void(PF_CDECL*)(int16_t selector, void* paramBlock, intptr_t* data, int16_t* result);
