// The layer shell's generated client header, which names an argument "namespace": a
// word C++ keeps for itself. What it includes comes first, untouched.
#pragma once

#include <wayland-client.h>

#define namespace namespace_
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
