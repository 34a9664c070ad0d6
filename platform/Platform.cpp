#include "platform/Platform.h"

#include "platform/InputPanel.h"
#include "platform/ScreenChange.h"
#include "platform/SoftKeyBar.h"
#include "platform/SystemColor.h"
#include "platform/TopLevelWindow.h"

#ifdef _WIN32_WCE
// The device's imports, declared under the names its modules export them by:
// the desktop headers name some differently (SetProp is a macro for SetPropW
// there) or not at all. The pasted and quoted export names are never macro
// expanded; an import by ordinal only links through the import library,
// which maps the name to the ordinal.
#define PLATFORM_FUNCTION(name, ret, params, desktop, device, ordinal, module, since) \
  extern "C" DECLSPEC_IMPORT ret WINAPI Device_##device params __asm__(#device);
#include "platform/PlatformFunctions.inc"
#undef PLATFORM_FUNCTION
#endif

namespace {

TPlatformApi BindRealFunctions() {
  TPlatformApi api = {};
#ifdef _WIN32_WCE
#define PLATFORM_FUNCTION(name, ret, params, desktop, device, ordinal, module, since) \
  api.name = Device_##device;
#else  // desktop: the real function, or a stand-in where the desktop lacks the device's
#define PLATFORM_FUNCTION(name, ret, params, desktop, device, ordinal, module, since) \
  api.name = desktop;
#endif
#include "platform/PlatformFunctions.inc"
#undef PLATFORM_FUNCTION
  return api;
}

}  // namespace

// DefaultApi is defined first so that Api, in the same unit, is copied from a
// table that is already bound (static initialisation runs in definition order).
const TPlatformApi DefaultApi = BindRealFunctions();
TPlatformApi Api = DefaultApi;
