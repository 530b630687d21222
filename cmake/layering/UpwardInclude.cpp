// Compiled at configure time as if it were part of the framework: it must not compile, because the framework may
// not see the application.
#include "app/Settings.h"
