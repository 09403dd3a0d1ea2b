/* Controls of the host layer that the Win32 subset does not have: for tests,
 * benchmarks and the host's own start-up. Product code never includes this.
 * Each area keeps its controls in a header of its own beside this one. */
#ifndef TOVRIK_HOST_CONTROL_HOST_CONTROL_H
#define TOVRIK_HOST_CONTROL_HOST_CONTROL_H

#include "layer_control.h"
#include "window_control.h"
#include "process_control.h"
#include "registry_control.h"
#include "find_file_control.h"
#include "sheet_control.h"
#include "dialog_template_control.h"

#endif /* TOVRIK_HOST_CONTROL_HOST_CONTROL_H */
