/* Find-file controls on the host. */
#ifndef TOVRIK_HOST_CONTROL_FIND_FILE_CONTROL_H
#define TOVRIK_HOST_CONTROL_FIND_FILE_CONTROL_H

#include <windows.h>

#endif /* TOVRIK_HOST_CONTROL_FIND_FILE_CONTROL_H */
