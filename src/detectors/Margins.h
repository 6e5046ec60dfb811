#pragma once

// Crop margins of the ATAL and external-SDK pages: shown as decimal text, read
// back the way the C library's decimal conversion reads text (no leading
// digits gives 0). A negative margin counts as 0 both ways.
class CDialog;

void ShowMargin(CDialog& page, int id, int value);
int ReadMargin(const CDialog& page, int id);

// An edit that takes digits only, as an ES_NUMBER edit does on screen. The
// program (and a script) can still put any text into it.
void SetDigitsOnly(CDialog& page, int id);
