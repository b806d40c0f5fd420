// Win32 backend: the program's icon as an HICON for its windows, made from the same
// pixels as the .exe's icon resource. No <windows.h> here.
#pragma once

struct HICON__;

namespace ruvia::platform::win32 {

class WindowIcon {
public:
    WindowIcon();  // a null icon when GDI refuses: windows then show the system's
    ~WindowIcon();
    WindowIcon(const WindowIcon&) = delete;
    WindowIcon& operator=(const WindowIcon&) = delete;

    HICON__* handle() const { return icon_; }

private:
    HICON__* icon_ = nullptr;
};

}  // namespace ruvia::platform::win32
