/* The one AppState of the process. */
#include "app/app_state.h"

AppState g_app;
