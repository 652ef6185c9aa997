#pragma once

class SkinWriter;

// Each function draws one area's images and writes its elements.
void WriteMainWindow(SkinWriter& w);
void WriteWindowButtons(SkinWriter& w);
void WritePresetControls(SkinWriter& w);
void WritePresetList(SkinWriter& w);
void WriteMeters(SkinWriter& w);
void WritePageControls(SkinWriter& w);
void WriteSettingsPanel(SkinWriter& w);
void WriteWaitAndMenu(SkinWriter& w);
