#include "Framework/Platform/ClickLatch.h"

namespace Platform {

namespace {
bool g_clickLatched = false;
}

bool IsClickLatched() { return g_clickLatched; }

void SetClickLatched(bool latched) { g_clickLatched = latched; }

}  // namespace Platform
