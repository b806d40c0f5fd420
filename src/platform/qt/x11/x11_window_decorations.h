// Qt backend (X11): asks the window manager for a frame with a title and a close button
// only. Qt names the functions a window allows but not its decorations, and openbox
// reads neither for minimise and maximise: it leaves those off toolbars alone. Mutter
// frames no toolbar at all, so there the window is a dialog.
#pragma once

class QWindow;

namespace ruvia::platform::qt {

// Does nothing off X. Call before each show: the window manager reads the type at each
// map, and it may have been replaced meanwhile.
void decorateWithTitleAndCloseOnly(QWindow& window);

}  // namespace ruvia::platform::qt
