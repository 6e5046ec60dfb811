#pragma once

// Crop margins of the ATAL and external-SDK pages: shown as decimal text, read
// back the way the C library's decimal conversion reads text (no leading
// digits gives 0). A negative margin counts as 0 both ways.
class CDialog;

void ShowMargin(CDialog& page, int id, int value);
int ReadMargin(const CDialog& page, int id);
