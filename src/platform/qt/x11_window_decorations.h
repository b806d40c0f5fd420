// Qt backend (X11): asks the window manager for a frame with a title and a close button
// only. Qt names the functions a window allows but not its decorations, and openbox
// reads neither for minimise and maximise: it leaves those off toolbars alone.
#pragma once

class QWindow;

namespace ruvia::platform::qt {

// Does nothing off X. Call before the window is first shown.
void decorateWithTitleAndCloseOnly(QWindow& window);

}  // namespace ruvia::platform::qt
