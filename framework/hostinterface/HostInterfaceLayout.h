// Compile-time checks of the host structures against the published offsets,
// for both pointer sizes.
#pragma once

#include "HostInterface.h"

namespace pf_layout {

constexpr bool k64 = sizeof(void*) == 8;

constexpr std::size_t Off(std::size_t x86, std::size_t x64) { return k64 ? x64 : x86; }

static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "unsupported pointer size");
static_assert(alignof(FilterRecord) == 4, "filter record must use 4-byte packing");
static_assert(offsetof(FilterRecord, abortProc) == Off(4, 4));
static_assert(offsetof(FilterRecord, progressProc) == Off(8, 12));
static_assert(offsetof(FilterRecord, parameters) == Off(12, 20));
static_assert(offsetof(FilterRecord, imageSize) == Off(16, 28));
static_assert(offsetof(FilterRecord, planes) == Off(20, 32));
static_assert(offsetof(FilterRecord, filterRect) == Off(22, 34));
static_assert(offsetof(FilterRecord, background) == Off(30, 42));
static_assert(offsetof(FilterRecord, maxSpace) == Off(44, 56));
static_assert(offsetof(FilterRecord, bufferSpace) == Off(48, 60));
static_assert(offsetof(FilterRecord, inRect) == Off(52, 64));
static_assert(offsetof(FilterRecord, inLoPlane) == Off(60, 72));
static_assert(offsetof(FilterRecord, inHiPlane) == Off(62, 74));
static_assert(offsetof(FilterRecord, outRect) == Off(64, 76));
static_assert(offsetof(FilterRecord, outLoPlane) == Off(72, 84));
static_assert(offsetof(FilterRecord, outHiPlane) == Off(74, 86));
static_assert(offsetof(FilterRecord, inData) == Off(76, 88));
static_assert(offsetof(FilterRecord, inRowBytes) == Off(80, 96));
static_assert(offsetof(FilterRecord, outData) == Off(84, 100));
static_assert(offsetof(FilterRecord, outRowBytes) == Off(88, 108));
static_assert(offsetof(FilterRecord, isFloating) == Off(92, 112));
static_assert(offsetof(FilterRecord, haveMask) == Off(93, 113));
static_assert(offsetof(FilterRecord, autoMask) == Off(94, 114));
static_assert(offsetof(FilterRecord, maskRect) == Off(96, 116));
static_assert(offsetof(FilterRecord, maskData) == Off(104, 124));
static_assert(offsetof(FilterRecord, maskRowBytes) == Off(108, 132));
static_assert(offsetof(FilterRecord, backColor) == Off(112, 136));
static_assert(offsetof(FilterRecord, hostSig) == Off(120, 144));
static_assert(offsetof(FilterRecord, hostProc) == Off(124, 148));
static_assert(offsetof(FilterRecord, imageMode) == Off(128, 156));
static_assert(offsetof(FilterRecord, imageHRes) == Off(132, 160));
static_assert(offsetof(FilterRecord, floatCoord) == Off(140, 168));
static_assert(offsetof(FilterRecord, wholeSize) == Off(144, 172));
static_assert(offsetof(FilterRecord, monitor) == Off(148, 176));
static_assert(offsetof(FilterRecord, platformData) == Off(188, 216));
static_assert(offsetof(FilterRecord, bufferProcs) == Off(192, 224));
static_assert(offsetof(FilterRecord, resourceProcs) == Off(196, 232));
static_assert(offsetof(FilterRecord, processEvent) == Off(200, 240));
static_assert(offsetof(FilterRecord, displayPixels) == Off(204, 248));
static_assert(offsetof(FilterRecord, handleProcs) == Off(208, 256));
static_assert(offsetof(FilterRecord, supportsDummyChannels) == Off(212, 264));
static_assert(offsetof(FilterRecord, wantLayout) == Off(214, 266));
static_assert(offsetof(FilterRecord, filterCase) == Off(216, 268));
static_assert(offsetof(FilterRecord, dummyPlaneValue) == Off(218, 270));
static_assert(offsetof(FilterRecord, premiereHook) == Off(220, 272));
static_assert(offsetof(FilterRecord, advanceState) == Off(224, 280));
static_assert(offsetof(FilterRecord, supportsAbsolute) == Off(228, 288));
static_assert(offsetof(FilterRecord, wantsAbsolute) == Off(229, 289));
static_assert(offsetof(FilterRecord, getPropertyObsolete) == Off(232, 292));
static_assert(offsetof(FilterRecord, cannotUndo) == Off(236, 300));
static_assert(offsetof(FilterRecord, supportsPadding) == Off(237, 301));
static_assert(offsetof(FilterRecord, inputPadding) == Off(238, 302));
static_assert(offsetof(FilterRecord, outputPadding) == Off(240, 304));
static_assert(offsetof(FilterRecord, maskPadding) == Off(242, 306));
static_assert(offsetof(FilterRecord, samplingSupport) == Off(244, 308));
static_assert(offsetof(FilterRecord, inputRate) == Off(248, 312));
static_assert(offsetof(FilterRecord, maskRate) == Off(252, 316));
static_assert(offsetof(FilterRecord, colorServices) == Off(256, 320));
static_assert(offsetof(FilterRecord, inLayerPlanes) == Off(260, 328));
static_assert(offsetof(FilterRecord, inNonLayerPlanes) == Off(268, 336));
static_assert(offsetof(FilterRecord, outLayerPlanes) == Off(270, 338));
static_assert(offsetof(FilterRecord, absLayerPlanes) == Off(280, 348));
static_assert(offsetof(FilterRecord, absNonLayerPlanes) == Off(288, 356));
static_assert(offsetof(FilterRecord, inColumnBytes) == Off(300, 368));
static_assert(offsetof(FilterRecord, outPlaneBytes) == Off(312, 380));
static_assert(offsetof(FilterRecord, imageServicesProcs) == Off(316, 384));
static_assert(offsetof(FilterRecord, propertyProcs) == Off(320, 392));
static_assert(offsetof(FilterRecord, inTileHeight) == Off(324, 400));
static_assert(offsetof(FilterRecord, maskTileOrigin) == Off(352, 428));
static_assert(offsetof(FilterRecord, descriptorParameters) == Off(356, 432));
static_assert(offsetof(FilterRecord, errorString) == Off(360, 440));
static_assert(offsetof(FilterRecord, channelPortProcs) == Off(364, 448));
static_assert(offsetof(FilterRecord, documentInfo) == Off(368, 456));
static_assert(offsetof(FilterRecord, sSPBasic) == Off(372, 464));
static_assert(offsetof(FilterRecord, plugInRef) == Off(376, 472));
static_assert(offsetof(FilterRecord, depth) == Off(380, 480));
static_assert(offsetof(FilterRecord, iCCprofileData) == Off(384, 484));
static_assert(offsetof(FilterRecord, iCCprofileSize) == Off(388, 492));
static_assert(offsetof(FilterRecord, canUseICCProfiles) == Off(392, 496));
static_assert(offsetof(FilterRecord, hasImageScrap) == Off(396, 500));
static_assert(offsetof(FilterRecord, bigDocumentData) == Off(400, 504));
static_assert(offsetof(FilterRecord, input3DScene) == Off(404, 512));
static_assert(offsetof(FilterRecord, output3DScene) == Off(408, 520));
static_assert(offsetof(FilterRecord, createNewLayer) == Off(412, 528));
static_assert(offsetof(FilterRecord, iCCWorkingProfileData) == Off(416, 532));
static_assert(offsetof(FilterRecord, iCCWorkingProfileSize) == Off(420, 540));
static_assert(offsetof(FilterRecord, bufferSpace64) == Off(424, 544));
static_assert(offsetof(FilterRecord, maxSpace64) == Off(432, 552));
static_assert(offsetof(FilterRecord, allowOverrangeColors) == Off(440, 560));
static_assert(offsetof(FilterRecord, reserved) == Off(441, 561));
static_assert(sizeof(FilterRecord) == Off(488, 608));

static_assert(sizeof(ColorServicesInfo) == Off(36, 56));
static_assert(offsetof(ColorServicesInfo, reservedSourceSpaceInfo) == Off(12, 16));
static_assert(offsetof(ColorServicesInfo, colorComponents) == Off(20, 32));
static_assert(offsetof(ColorServicesInfo, selectorParameter) == Off(32, 48));

static_assert(sizeof(PIDescriptorParameters) == Off(20, 32));
static_assert(offsetof(PIDescriptorParameters, descriptor) == Off(8, 8));
static_assert(offsetof(PIDescriptorParameters, writeDescriptorProcs) == Off(12, 16));
static_assert(offsetof(PIDescriptorParameters, readDescriptorProcs) == Off(16, 24));

static_assert(sizeof(ReadDescriptorProcs) == Off(76, 152));
static_assert(offsetof(ReadDescriptorProcs, openReadDescriptorProc) == Off(4, 8));
static_assert(offsetof(ReadDescriptorProcs, getBooleanProc) == Off(28, 56));
static_assert(offsetof(ReadDescriptorProcs, getPinnedUnitFloatProc) == Off(72, 144));
static_assert(sizeof(WriteDescriptorProcs) == Off(68, 136));
static_assert(offsetof(WriteDescriptorProcs, putBooleanProc) == Off(24, 48));
static_assert(offsetof(WriteDescriptorProcs, putScopedObjectProc) == Off(64, 128));

static_assert(sizeof(HandleProcs) == Off(36, 72));
static_assert(offsetof(HandleProcs, newProc) == Off(4, 8));
static_assert(offsetof(HandleProcs, disposeRegularHandleProc) == Off(32, 64));

static_assert(sizeof(AboutRecord) == Off(256, 272));
static_assert(sizeof(PlatformData) == Off(4, 8));
static_assert(sizeof(PlugInMonitor) == 40);

}  // namespace pf_layout
