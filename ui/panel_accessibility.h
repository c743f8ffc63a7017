// Internal to the run-time layer: descriptions for assistive technology
// where Qt's own would name a control after its value.
#ifndef KVOR_UI_PANEL_ACCESSIBILITY_H
#define KVOR_UI_PANEL_ACCESSIBILITY_H

namespace uilayer {

// Called once the application object exists.
void InstallAccessibleDescriptions();

}  // namespace uilayer

#endif
