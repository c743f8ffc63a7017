// Internal to the run-time layer: what assistive technology is told about a
// panel's window.
#ifndef KVOR_RUNTIME_USERINT_ACCESSIBILITY_H
#define KVOR_RUNTIME_USERINT_ACCESSIBILITY_H

namespace uilayer {

// Called once the application object exists.
void InstallAccessibleDescriptions();

}  // namespace uilayer

#endif
