// Centring arithmetic, shared by the dialogs' placement and the picture's
// crop. Portable: no Windows headers, so native tests call it directly.
#pragma once

#include <cstdint>

// Where something `inner` long starts when centred in something `outer` long:
// a signed division that truncates toward zero, so -3 / 2 is -1 and an odd
// difference leaves the extra unit on the far side.
inline int32_t CentredOffset(int32_t outer, int32_t inner) { return (outer - inner) / 2; }

// The installer dialogs count one pixel more in each dimension than the main
// window does when they centre themselves.
enum : int32_t { kMainWindowExtent = 0, kInstallerDialogExtent = 1 };
