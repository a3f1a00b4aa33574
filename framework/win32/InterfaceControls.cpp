#include "PreviewWin32.h"

void pfPreviewWin32::PaintInterfaceControls(HDC) {}
void pfPreviewWin32::OnInterfaceMouseMove(int, int) {}
void pfPreviewWin32::OnInterfaceLeftButtonDown(int, int) {}
void pfPreviewWin32::OnInterfaceLeftButtonUp() {}
void pfPreviewWin32::OnInterfaceRightButtonUp(int, int) {}
bool pfPreviewWin32::AlternativeColorSelection(FilterRecord*, double&, double&, double&) { return false; }
void pfPreviewWin32::UpdateSettingsList() {}
void pfPreviewWin32::OnPresetSelected() {}
void pfPreviewWin32::OnSavePreset() {}
void pfPreviewWin32::OnDeletePreset() {}
void pfPreviewWin32::OnChangeSettingFile() {}
void pfPreviewWin32::ReadLastUsedSettings() {}
void pfPreviewWin32::WriteLastUsedSettings() {}
