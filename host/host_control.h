/* Controls of the host layer that the Win32 subset does not have: for tests,
 * benchmarks and the host's own start-up. Product code never includes this.
 * Each area keeps its controls in a header of its own under control/. */
#ifndef TOVRIK_HOST_HOST_CONTROL_H
#define TOVRIK_HOST_HOST_CONTROL_H

#include "control/layer_control.h"
#include "control/window_control.h"
#include "control/process_control.h"
#include "control/registry_control.h"
#include "control/find_file_control.h"
#include "control/sheet_control.h"

#endif /* TOVRIK_HOST_HOST_CONTROL_H */
