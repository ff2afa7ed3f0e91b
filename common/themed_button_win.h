// Push buttons whose caption has a colour of its own. A button draws its
// text in the system's colour; its NM_CUSTOMDRAW (common controls 6) lets
// the parent draw it instead. The button keeps looking like a button: the
// theme's face where the system draws themed buttons, the classic frame
// otherwise, the pressed, hot, default and disabled states, and the focus
// rectangle.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace volmaru {

// The parent's answer to a button's NM_CUSTOMDRAW: at the pre-paint stage
// the whole button is drawn with its caption in `textColour` (grey while
// disabled, as every disabled button is); other stages draw as usual.
LRESULT DrawButtonWithTextColour(const NMCUSTOMDRAW& draw, COLORREF textColour);

}  // namespace volmaru
