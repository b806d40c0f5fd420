#include "menu/set_top_most.h"

namespace ruvia::menu {

int32_t SetTopMost(platform::MascotWindow& form, int16_t flag) {
    if (flag != 0 && flag != 1) return 0;
    // Like the window system's own call, this also shows a hidden window.
    const bool done = form.setStayOnTop(flag == 1);
    form.show();
    return done ? 1 : 0;
}

}  // namespace ruvia::menu
