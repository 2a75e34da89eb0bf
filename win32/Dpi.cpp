#include "win32/Dpi.h"

#include <windows.h>

#include <cmath>

#include "ui/Form.h"
#include "win32/GuiHandles.h"

namespace win32 {

int ScreenDpi() {
    UniqueScreenDc dc(::GetDC(nullptr));
    int dpi = dc ? ::GetDeviceCaps(dc.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? dpi : 96;
}

int TwipsToScreenPixels(int twips) { return ui::TwipsToPixels(twips, ScreenDpi()); }

int FontHeightForPoints(double points, int dpi) {
    return -static_cast<int>(std::lround(points * dpi / 72.0));
}

int ScaleFrom96(int pixels, int dpi) { return ::MulDiv(pixels, dpi, 96); }

}  // namespace win32
