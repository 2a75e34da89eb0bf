#pragma once
// The display's resolution and the conversions from the layout's twips and
// points to pixels.

namespace win32 {

// Horizontal pixels per logical inch of the screen (96 at 100 %).
int ScreenDpi();

// Twips (1/1440 inch) to pixels at the screen's resolution, rounded.
int TwipsToScreenPixels(int twips);

// The height to request for a font of the given size in points (negative:
// character height without internal leading).
int FontHeightForPoints(double points, int dpi);

// A size given in pixels at 96 DPI, scaled to the screen's resolution.
int ScaleFrom96(int pixels, int dpi);

}  // namespace win32
