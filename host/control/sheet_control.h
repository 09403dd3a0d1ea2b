/* Driving the property sheet on the host. */
#ifndef TOVRIK_HOST_CONTROL_SHEET_CONTROL_H
#define TOVRIK_HOST_CONTROL_SHEET_CONTROL_H

#include <windows.h>

#endif /* TOVRIK_HOST_CONTROL_SHEET_CONTROL_H */
